#include "support/StreamServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <future>

namespace {

QByteArray header(int status, const QByteArray &reason, const QByteArray &type, qsizetype length) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
}

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
            request_.remove(socket);
            answered_.remove(socket);
            socket->deleteLater();
        });
    }

    void answer(QTcpSocket *socket) {
        const Options &o = options_;
        switch (o.behaviour) {
        case Behaviour::Hang:
            return;
        case Behaviour::NotFound:
            socket->write(header(404, "Not Found", "text/plain", 0));
            socket->disconnectFromHost();
            return;
        case Behaviour::ServerError:
            socket->write(header(500, "Internal Server Error", "text/plain", 0));
            socket->disconnectFromHost();
            return;
        case Behaviour::Serve:
            socket->write(header(200, "OK", o.contentType, o.body.size()));
            if (o.bytesPerSecond <= 0) {
                socket->write(o.body);
                socket->disconnectFromHost();
                return;
            }
            pace(socket);
            return;
        }
    }

    // Sends the body in tenths of a second's worth, as a live source would.
    void pace(QTcpSocket *socket) {
        auto *timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket, timer, sent] {
            const qsizetype chunk = std::max(1, options_.bytesPerSecond / 10);
            socket->write(options_.body.mid(*sent, chunk));
            *sent += chunk;
            if (*sent >= options_.body.size()) {
                timer->stop();
                socket->disconnectFromHost();
            }
        });
        timer->start(100);
    }

    Options options_;
    std::promise<quint16> *promise_ = nullptr;
    QHash<QTcpSocket *, QByteArray> request_;
    QSet<QTcpSocket *> answered_;
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

quint16 StreamServer::refusingPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when `probe` goes
}
