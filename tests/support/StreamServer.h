#pragma once
// A small HTTP server on 127.0.0.1 for tests of the real player. It runs on a thread of its own,
// so it keeps serving while the test's own thread waits or is busy. It also stands in for the
// servers of other protocols where they hang: it accepts any connection and, asked to hang,
// never sends a byte, whatever the client says.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class StreamServer {
public:
    enum class Behaviour {
        Serve,       // 200 with the body, paced at `bytesPerSecond` (0: at once)
        Hang,        // accept the connection and never answer
        NotFound,    // 404
        ServerError, // 500
        Trickle,     // the whole answer, header and body, `bytesPerSecond` bytes at a time
        Redirect,    // 302 to `location`
    };

    struct Options {
        Behaviour behaviour = Behaviour::Serve;
        QByteArray body{};
        QByteArray contentType = "video/mp2t";
        // Sends the body at this rate, as a live source does; 0 sends it all at once.
        int bytesPerSecond = 0;
        // A live source announces no length: the stream ends when the server closes it.
        bool announceLength = true;
        // With pacing: after each `stallEveryMs` of sending, send nothing for `stallForMs`.
        int stallEveryMs = 0;
        int stallForMs = 0;
        // Closes the connection once this many bytes of the body are out, whatever length was
        // announced; -1 sends it all.
        qsizetype cutOffAt = -1;
        // Where a redirect leads: a whole address or a path on this server.
        QByteArray location{};
        // Answers with the file of the request's path under this folder instead of `body`, as
        // it is at the time of the request (a live playlist's segments come and go), or 404.
        // Like a live origin it holds a request for a file that is not there yet for some
        // seconds, as the segment a player asks for next may still be in the making.
        QString directory{};
    };

    // A live source: `stream`, which plays for `seconds`, sent in real time with no length.
    static Options live(const QByteArray &stream, int seconds);
    // Ready-made answers that are no stream at all.
    static Options htmlPage();
    static Options garbage();
    // Playlists naming `entries`: M3U, and both kinds of Windows Media's ASX, the XML one and
    // the older "[Reference]" one. The second is sent as plain bytes, as many servers do, since
    // the engine reads it as a playlist only then.
    static Options m3u(const QStringList &entries);
    static Options asx(const QStringList &entries);
    static Options referenceAsx(const QStringList &entries);
    static Options redirect(const QString &location);

    // Answers every path with `options`, but those given to `route`.
    explicit StreamServer(Options options);
    ~StreamServer();
    StreamServer(const StreamServer &) = delete;
    StreamServer &operator=(const StreamServer &) = delete;

    // Answers requests for `path` with `options` from now on.
    void route(const QString &path, Options options);

    // Stops serving, as a server that hangs does: requests wait unanswered and streams send
    // nothing until it resumes, from where they were.
    void pause();
    void resume();

    quint16 port() const;
    QString url(const QString &path = QStringLiteral("/stream.ts"),
                const QString &scheme = QStringLiteral("http")) const;
    // Connections accepted, and requests among them answered or hung on, so far.
    int connections() const;
    int requests() const;
    // Connections that neither side has closed yet.
    int openConnections() const;
    // The most that were open at once so far.
    int mostOpenConnections() const;
    // Stalls begun so far, and whether one is going on now.
    int stalls() const;
    bool stalling() const;
    // When each of them began, by `monotonicMs()`.
    QList<qint64> stallsBegunAt() const;
    // Connections that the client has closed.
    int hangUps() const;
    // The value of the header `name` in the last request, as it came; null when it had none.
    QByteArray lastHeader(const QByteArray &name) const;

    // A port on 127.0.0.1 where nothing listens: connections are refused.
    static quint16 refusingPort();

private:
    class Worker;
    std::unique_ptr<Worker> worker_;
    quint16 port_ = 0;
};
