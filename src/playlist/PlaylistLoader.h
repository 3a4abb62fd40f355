#pragma once
// Opens a playlist from a file or an http(s) address without ever keeping the caller's thread
// busy: reading, fetching and parsing happen on a thread of the loader's own, and the caller
// only receives the finished list or one sentence saying why there is none.

#include "playlist/Playlist.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

class PlaylistReader;
class QThread;

class PlaylistLoader : public QObject {
    Q_OBJECT
public:
    // A transfer that makes no progress for `stallTimeout` fails.
    explicit PlaylistLoader(std::chrono::milliseconds stallTimeout = std::chrono::seconds(15),
                            QObject *parent = nullptr);
    // Cancels what is running and returns at once, even while a server hangs or a huge list is
    // being parsed: a thread still parsing is left to finish alone, and the program waits for it
    // only on its way out.
    ~PlaylistLoader() override;

    // Starts reading `source`: a local path, a file: URL, or an http/https address. A load still
    // running is cancelled first and its result never arrives.
    void load(const QString &source);

signals:
    void loaded(std::shared_ptr<const Playlist> playlist);
    // One sentence, e.g. "Could not open the playlist /tmp/x.m3u: the file does not exist."
    void failed(const QString &message);

private:
    QThread *thread_;
    PlaylistReader *reader_; // lives on `thread_`
    quint64 loads_ = 0;      // the number of the load whose result is awaited
    QString source_;         // its source, as given
};
