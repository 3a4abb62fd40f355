#pragma once

#include "player/AsxDocument.h"
#include "player/Player.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <deque>

class QNetworkAccessManager;
class QNetworkReply;

// Reads the XML ASX document behind an address, and the documents its <entryref>s name, for the
// streams they lead to. Qt Network's replies come as events and documents are parsed on a thread
// of the pool, so the thread of the reader never waits; deleting the reader ends its reading.
class AsxReader : public QObject {
    Q_OBJECT
public:
    // Reads no more than `maxDocuments` documents, each request with `headers`.
    AsxReader(QNetworkAccessManager &network, const StreamHeaders &headers, int maxDocuments);
    ~AsxReader() override;

    // Whether `address` is worth reading before the engine gets it: http(s), with a path that
    // names a Windows Media playlist. Other addresses may hold one too, but reading every
    // address first would delay every stream.
    static bool mayBeAsx(const QUrl &address);

    void read(const QString &address);

signals:
    // Bytes arrived: the reading makes progress.
    void progressed();
    // The addresses to play in order: those the documents name, or the address itself, unchanged,
    // where it holds no XML ASX or could not be read (the engine has its own ways with both);
    // none when the documents name nothing playable. `documents` counts the ASX documents read.
    void finished(const QStringList &streams, int documents);

private:
    void next();
    void fetch(const QUrl &address, const QString &original);
    void received();
    void fetched();
    void done(bool isAsx);

    QNetworkAccessManager &network_;
    const StreamHeaders headers_;
    const int maxDocuments_;
    QString address_;             // as given
    std::deque<AsxItem> pending_; // what is still to read or play, in order
    QStringList streams_;
    int documents_ = 0;
    QNetworkReply *reply_ = nullptr;
    QString fetching_; // the address being read, as the engine gets it if it holds no ASX
    QByteArray body_;
    AsxSniff kind_ = AsxSniff::Undecided; // of `body_`, once its first bytes tell
    QFutureWatcher<std::vector<AsxItem>> parsing_;
};
