#include "support/StreamServer.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

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

} // namespace

class StreamServer::Worker : public QThread {
public:
    explicit Worker(Options options) : options_(std::move(options)) {}

    quint16 start() {
        std::promise<quint16> listening;
        auto port = listening.get_future();
        promise_ = &listening;
        QThread::start();
        return port.get();
    }

    std::atomic<int> requests{0};
    std::atomic<int> stalls{0};
    std::atomic<bool> stalling{false};
    std::atomic<int> hangUps{0};

protected:
    void run() override {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                accept(socket);
        });
        promise_->set_value(server.serverPort());
        exec();
    }

private:
    void accept(QTcpSocket *socket) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            request_[socket] += socket->readAll();
            if (!request_[socket].contains("\r\n\r\n") || answered_.contains(socket))
                return;
            answered_.insert(socket);
            ++requests;
            answer(socket);
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            if (!closing_.contains(socket))
                ++hangUps;
            request_.remove(socket);
            answered_.remove(socket);
            closing_.remove(socket);
            socket->deleteLater();
        });
    }

    void close(QTcpSocket *socket) {
        closing_.insert(socket);
        socket->disconnectFromHost();
    }

    void answer(QTcpSocket *socket) {
        const Options &o = options_;
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
        case Behaviour::Serve:
            socket->write(header(200, "OK", o.contentType, o.announceLength ? o.body.size() : -1));
            if (o.bytesPerSecond <= 0) {
                socket->write(o.body);
                close(socket);
                return;
            }
            pace(socket);
            return;
        }
    }

    // Keeps what has been sent in step with the time spent sending, so the stream neither runs
    // ahead of real time nor falls behind it, however late the timer fires.
    void pace(QTcpSocket *socket) {
        struct Pacing {
            QTimer timer;
            QElapsedTimer sending; // runs while sending, not during stalls
            qint64 sentBefore = 0; // sending time before the current stretch, ms
            qsizetype sent = 0;
        };
        auto *p = new Pacing;
        QObject::connect(socket, &QObject::destroyed, [p] { delete p; });
        p->timer.setTimerType(Qt::PreciseTimer);
        p->sending.start();
        QObject::connect(&p->timer, &QTimer::timeout, socket, [this, socket, p] {
            const Options &o = options_;
            const qint64 stretch = p->sending.elapsed();
            const qint64 due = std::min<qint64>(o.body.size(), (p->sentBefore + stretch) *
                                                                   o.bytesPerSecond / 1000);
            socket->write(o.body.mid(p->sent, due - p->sent));
            p->sent = due;
            if (p->sent >= o.body.size()) {
                p->timer.stop();
                close(socket);
            } else if (o.stallEveryMs > 0 && stretch >= o.stallEveryMs) {
                p->sentBefore += stretch;
                p->timer.stop();
                ++stalls;
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

    Options options_;
    std::promise<quint16> *promise_ = nullptr;
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

QString StreamServer::url(const QString &path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
}

int StreamServer::requests() const {
    return worker_->requests;
}

int StreamServer::stalls() const {
    return worker_->stalls;
}

bool StreamServer::stalling() const {
    return worker_->stalling;
}

int StreamServer::hangUps() const {
    return worker_->hangUps;
}

quint16 StreamServer::refusingPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when `probe` goes
}
