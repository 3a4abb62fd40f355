#pragma once
// A small HTTP server on 127.0.0.1 for tests of the real player. It runs on a thread of its own,
// so it keeps serving while the test's own thread waits or is busy.

#include <QByteArray>
#include <QString>

#include <memory>

class StreamServer {
public:
    enum class Behaviour {
        Serve,       // 200 with the body, paced at `bytesPerSecond` (0: at once)
        Hang,        // accept the connection and never answer
        NotFound,    // 404
        ServerError, // 500
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
    };

    explicit StreamServer(Options options);
    ~StreamServer();
    StreamServer(const StreamServer &) = delete;
    StreamServer &operator=(const StreamServer &) = delete;

    quint16 port() const;
    QString url(const QString &path = QStringLiteral("/stream.ts")) const;
    // Requests answered or accepted so far.
    int requests() const;
    // Stalls begun so far, and whether one is going on now.
    int stalls() const;
    bool stalling() const;
    // Connections that the client has closed.
    int hangUps() const;

    // A port on 127.0.0.1 where nothing listens: connections are refused.
    static quint16 refusingPort();

private:
    class Worker;
    std::unique_ptr<Worker> worker_;
    quint16 port_ = 0;
};
