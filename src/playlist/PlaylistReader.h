#pragma once
// The working side of PlaylistLoader, on the loader's own thread: reads a playlist file or
// fetches an address, then parses it. One load runs at a time; a newer one drops it.

#include "playlist/Playlist.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

class PlaylistReader : public QObject {
    Q_OBJECT
public:
    explicit PlaylistReader(std::chrono::milliseconds stallTimeout);

    // From any thread: the load whose result is wanted now, 0 for none. Work on any other load
    // gives no result and stops at its next step; a parse under way cannot be stopped sooner.
    void want(quint64 load) { wanted_ = load; }

    // On the reader's thread: reads `source` as load number `load`.
    void read(quint64 load, const QString &source);

signals:
    // A playlist, or why there is none as the end of a sentence ("the file does not exist").
    void done(quint64 load, std::shared_ptr<const Playlist> playlist, const QString &error);

private:
    void readFile(quint64 load, const QString &path);
    // `redirects`: how many led to `address`.
    void fetch(quint64 load, const QUrl &address, int redirects);
    void fetched(quint64 load, int redirects);
    void dropTransfer();
    void parse(quint64 load, QByteArrayView bytes, const QUrl &location);
    void fail(quint64 load, const QString &error);

    const std::chrono::milliseconds stallTimeout_;
    std::atomic<quint64> wanted_{0};
    QNetworkAccessManager *network_ = nullptr; // made on first use, so on this thread
    QPointer<QNetworkReply> reply_;            // the transfer under way
    QByteArray received_;                      // and what it has brought so far
};
