#include "support/StreamServer.h"

#include "support/OriginPriority.h"
#include "support/TestMedia.h"
#include "support/TimeScale.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <future>

namespace {

QByteArray header(int status, const QByteArray &reason, const QByteArray &type,
                  qsizetype length = -1) {
    QByteArray text = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                      "\r\nContent-Type: " + type + "\r\n";
    if (length >= 0)
        text += "Content-Length: " + QByteArray::number(length) + "\r\n";
    return text + "Connection: close\r\n\r\n";
}

// How often a paced body is topped up.
constexpr int PaceTickMs = 20;

// The path of a request's first line, "GET /path HTTP/1.1"; other protocols name a whole URL.
QString requestPath(const QByteArray &request) {
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    return words.size() >= 2 ? QString::fromUtf8(words[1]) : QString();
}

QByteArray xmlEscaped(const QString &text) {
    return text.toHtmlEscaped().toUtf8();
}

// Types of the files that live streams over HTTP are made of, by their names' endings.
constexpr const char *FileTypes[][2]{
    {".m3u8", "application/vnd.apple.mpegurl"},
    {".mpd", "application/dash+xml"},
    {".ts", "video/mp2t"},
    {".m4s", "video/iso.segment"},
    {".mp4", "video/mp4"},
};

// A live origin holds a request for a segment that is still being made, up to this long.
constexpr int FileWaitMs = 8000;
constexpr int FileWaitTickMs = 50;

// The file of `path` under `directory`, if there is one there.
QString fileName(const QString &directory, const QString &path) {
    const QString name = QDir::cleanPath(path.section('?', 0, 0));
    return name.startsWith("/..") ? QString() : directory + name;
}

// The answer with the file named `name`.
StreamServer::Options fileAnswer(const QString &name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {.behaviour = StreamServer::Behaviour::NotFound};
    QByteArray type = "application/octet-stream";
    for (const auto &[ending, fileType] : FileTypes) {
        if (name.endsWith(QLatin1String(ending)))
            type = fileType;
    }
    return {.body = file.readAll(), .contentType = type};
}

} // namespace

class StreamServer::Worker : public QThread {
public:
    explicit Worker(Options options) : options_(std::move(options)) {}

    void route(const QString &path, Options options) {
        QMutexLocker lock(&routesMutex_);
        routes_.insert(path, std::move(options));
    }

    void resume() {
        paused = false;
        QMetaObject::invokeMethod(context_, [this] {
            for (const auto &[socket, path] : std::exchange(waiting_, {}))
                respond(socket, path);
        });
    }

    quint16 start() {
        std::promise<quint16> listening;
        auto port = listening.get_future();
        promise_ = &listening;
        QThread::start();
        return port.get();
    }

    std::atomic<int> connections{0};
    std::atomic<int> openConnections{0};
    std::atomic<int> mostOpenConnections{0};
    std::atomic<int> requests{0};
    std::atomic<bool> stalling{false};
    mutable QMutex stallsMutex;
    QList<qint64> stallsBegunAt;
    std::atomic<int> hangUps{0};
    std::atomic<bool> paused{false};

    QByteArray lastHeader(const QByteArray &name) const {
        QMutexLocker lock(&lastRequestMutex_);
        const QByteArray head = lastRequest_.left(lastRequest_.indexOf("\r\n\r\n"));
        for (const QByteArray &line : head.split('\n').mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).compare(name, Qt::CaseInsensitive) == 0)
                return line.mid(colon + 1).chopped(line.endsWith('\r')).trimmed();
        }
        return {};
    }

protected:
    void run() override {
        runAsOrigin();
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                accept(socket);
        });
        context_ = &server;
        promise_->set_value(server.serverPort());
        exec();
    }

private:
    void accept(QTcpSocket *socket) {
        ++connections;
        // Only this thread opens and closes them.
        mostOpenConnections = std::max(mostOpenConnections.load(), ++openConnections);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            request_[socket] += socket->readAll();
            if (!request_[socket].contains("\r\n\r\n") || answered_.contains(socket))
                return;
            answered_.insert(socket);
            {
                QMutexLocker lock(&lastRequestMutex_);
                lastRequest_ = request_[socket];
            }
            ++requests;
            const QString path = requestPath(request_[socket]);
            if (paused)
                waiting_.append({socket, path});
            else
                respond(socket, path);
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            if (!closing_.contains(socket))
                ++hangUps;
            --openConnections;
            request_.remove(socket);
            answered_.remove(socket);
            closing_.remove(socket);
            waiting_.removeIf([socket](const auto &waiting) { return waiting.first == socket; });
            socket->deleteLater();
        });
    }

    void close(QTcpSocket *socket) {
        closing_.insert(socket);
        socket->disconnectFromHost();
    }

    Options optionsFor(const QString &path) {
        QMutexLocker lock(&routesMutex_);
        return routes_.value(path, options_);
    }

    // Files that are not there yet are looked for again until they come or the wait is over.
    void respond(QTcpSocket *socket, const QString &path, int waitedMs = 0) {
        const Options options = optionsFor(path);
        if (options.directory.isEmpty())
            return answer(socket, options);
        const QString name = fileName(options.directory, path);
        if (!name.isEmpty() && !QFile::exists(name) && waitedMs < FileWaitMs) {
            QTimer::singleShot(FileWaitTickMs, socket, [this, socket, path, waitedMs] {
                respond(socket, path, waitedMs + FileWaitTickMs);
            });
            return;
        }
        answer(socket, fileAnswer(name));
    }

    void answer(QTcpSocket *socket, const Options &o) {
        const QByteArray body = o.cutOffAt >= 0 ? o.body.left(o.cutOffAt) : o.body;
        const QByteArray ok =
            header(200, "OK", o.contentType, o.announceLength ? o.body.size() : -1);
        switch (o.behaviour) {
        case Behaviour::Hang:
            return;
        case Behaviour::NotFound:
            socket->write(header(404, "Not Found", "text/plain", 0));
            close(socket);
            return;
        case Behaviour::ServerError:
            socket->write(header(500, "Internal Server Error", "text/plain", 0));
            close(socket);
            return;
        case Behaviour::Redirect:
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + o.location +
                          "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            close(socket);
            return;
        case Behaviour::Trickle:
            pace(socket, ok + body, o);
            return;
        case Behaviour::Serve:
            socket->write(ok);
            if (o.bytesPerSecond <= 0) {
                socket->write(body);
                close(socket);
                return;
            }
            pace(socket, body, o);
            return;
        }
    }

    // Keeps what has been sent in step with the time spent sending, so the stream neither runs
    // ahead of real time nor falls behind it, however late the timer fires.
    void pace(QTcpSocket *socket, const QByteArray &data, const Options &o) {
        struct Pacing {
            Pacing(QByteArray data, Options options)
                : data(std::move(data)), options(std::move(options)) {}
            QByteArray data;
            Options options;
            QTimer timer;
            QElapsedTimer sending; // runs while sending, not during stalls
            qint64 sentBefore = 0; // sending time before the current stretch, ms
            qsizetype sent = 0;
            bool held = false; // the server was paused at the last tick
        };
        auto *p = new Pacing(data, o);
        QObject::connect(socket, &QObject::destroyed, [p] { delete p; });
        p->timer.setTimerType(Qt::PreciseTimer);
        p->sending.start();
        QObject::connect(&p->timer, &QTimer::timeout, socket, [this, socket, p] {
            const Options &o = p->options;
            // A pause is no part of the sending time.
            if (paused) {
                if (!std::exchange(p->held, true))
                    p->sentBefore += p->sending.elapsed();
                return;
            }
            if (std::exchange(p->held, false))
                p->sending.start();
            const qint64 stretch = p->sending.elapsed();
            const qint64 due = std::min<qint64>(p->data.size(), (p->sentBefore + stretch) *
                                                                    o.bytesPerSecond / 1000);
            socket->write(p->data.mid(p->sent, due - p->sent));
            p->sent = due;
            if (p->sent >= p->data.size()) {
                p->timer.stop();
                close(socket);
            } else if (o.stallEveryMs > 0 && stretch >= o.stallEveryMs) {
                p->sentBefore += stretch;
                p->timer.stop();
                {
                    QMutexLocker lock(&stallsMutex);
                    stallsBegunAt.append(monotonicMs());
                }
                stalling = true;
                QTimer::singleShot(o.stallForMs, &p->timer, [this, p] {
                    stalling = false;
                    p->sending.start();
                    p->timer.start();
                });
            }
        });
        p->timer.start(PaceTickMs);
    }

    const Options options_;
    QMutex routesMutex_;
    QHash<QString, Options> routes_;
    mutable QMutex lastRequestMutex_;
    QByteArray lastRequest_;
    std::promise<quint16> *promise_ = nullptr;
    QObject *context_ = nullptr;                      // lives on the server's thread
    QList<std::pair<QTcpSocket *, QString>> waiting_; // requests held by a pause, with their paths
    QHash<QTcpSocket *, QByteArray> request_;
    QSet<QTcpSocket *> answered_;
    QSet<QTcpSocket *> closing_;
};

StreamServer::StreamServer(Options options)
    : worker_(std::make_unique<Worker>(std::move(options))) {
    port_ = worker_->start();
}

StreamServer::~StreamServer() {
    worker_->quit();
    worker_->wait();
}

quint16 StreamServer::port() const {
    return port_;
}

void StreamServer::route(const QString &path, Options options) {
    worker_->route(path, std::move(options));
}

void StreamServer::pause() {
    worker_->paused = true;
}

void StreamServer::resume() {
    worker_->resume();
}

QString StreamServer::url(const QString &path, const QString &scheme) const {
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(port_).arg(path);
}

int StreamServer::connections() const {
    return worker_->connections;
}

int StreamServer::openConnections() const {
    return worker_->openConnections;
}

int StreamServer::mostOpenConnections() const {
    return worker_->mostOpenConnections;
}

int StreamServer::requests() const {
    return worker_->requests;
}

int StreamServer::stalls() const {
    return int(stallsBegunAt().size());
}

QList<qint64> StreamServer::stallsBegunAt() const {
    QMutexLocker lock(&worker_->stallsMutex);
    return worker_->stallsBegunAt;
}

bool StreamServer::stalling() const {
    return worker_->stalling;
}

int StreamServer::hangUps() const {
    return worker_->hangUps;
}

QByteArray StreamServer::lastHeader(const QByteArray &name) const {
    return worker_->lastHeader(name);
}

quint16 StreamServer::refusingPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when `probe` goes
}

StreamServer::Options StreamServer::live(const QByteArray &stream, int seconds) {
    return {
        .body = stream, .bytesPerSecond = int(stream.size() / seconds), .announceLength = false};
}

StreamServer::Options StreamServer::htmlPage() {
    return {.body = "<!DOCTYPE html>\n<html><head><title>Live TV</title></head>\n"
                    "<body><p>Our stream is down for maintenance.</p></body></html>\n",
            .contentType = "text/html; charset=utf-8"};
}

StreamServer::Options StreamServer::garbage() {
    return {.body = makeGarbage(1 << 20), .contentType = "application/octet-stream"};
}

StreamServer::Options StreamServer::m3u(const QStringList &entries) {
    return {.body = ("#EXTM3U\n" + entries.join('\n') + '\n').toUtf8(),
            .contentType = "audio/x-mpegurl"};
}

StreamServer::Options StreamServer::asx(const QStringList &entries) {
    QByteArray xml = "<asx version=\"3.0\">\n";
    for (const QString &entry : entries)
        xml += "  <entry><ref href=\"" + xmlEscaped(entry) + "\"/></entry>\n";
    return {.body = xml + "</asx>\n", .contentType = "video/x-ms-asf"};
}

StreamServer::Options StreamServer::referenceAsx(const QStringList &entries) {
    QByteArray ini = "[Reference]\r\n";
    for (int i = 0; i < entries.size(); ++i)
        ini += "Ref" + QByteArray::number(i + 1) + '=' + entries[i].toUtf8() + "\r\n";
    return {.body = ini, .contentType = "application/octet-stream"};
}

StreamServer::Options StreamServer::redirect(const QString &location) {
    return {.behaviour = Behaviour::Redirect, .location = location.toUtf8()};
}
