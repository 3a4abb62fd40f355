#pragma once
// The working side of GuideLoader, on the loader's own thread: reads each guide of a load in
// turn, from a file in chunks or from the network as its bytes arrive, into one guide, then
// matches it to the playlist. One load runs at a time; a newer one drops it.

#include "guide/ChannelGuide.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <memory>

class Playlist;
class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

class GuideReader : public QObject {
    Q_OBJECT
public:
    explicit GuideReader(std::chrono::milliseconds stallTimeout);
    ~GuideReader() override;

    // From any thread: the load whose result is wanted now, 0 for none. Any other load gives no
    // result and stops at its next chunk of bytes.
    void want(quint64 load) { wanted_ = load; }

    // On the reader's thread: reads `sources` for `playlist` as load number `load`.
    void read(quint64 load, const QStringList &sources, std::shared_ptr<const Playlist> playlist);
    // Drops the load under way.
    void drop();

signals:
    // The guide, its summary and the problems met; or no guide, and `summary` says why.
    void done(quint64 load, std::shared_ptr<const ChannelGuide> guide, const QString &summary,
              const QStringList &problems);

private:
    struct Load;

    bool wanted() const;
    // Reads the sources from the next one on, until one is fetched or all are read.
    void next();
    // Why the file could not be read whole; empty when it could.
    QString readFile(const QString &path);
    // `redirects`: how many led to `address`.
    void fetch(const QUrl &address, int redirects);
    void received(QNetworkReply *reply);
    void fetched(int redirects);
    void dropTransfer();
    // The source's document is over; `error` is why it ended early, if it did.
    void endSource(const QString &error);
    void finish();

    const std::chrono::milliseconds stallTimeout_;
    std::atomic<quint64> wanted_{0};
    QNetworkAccessManager *network_ = nullptr; // made on first use, so on this thread
    QPointer<QNetworkReply> reply_;            // the transfer under way
    qint64 receivedBytes_ = 0;                 // and what it has brought so far
    std::unique_ptr<Load> load_;
};
