// A live MPEG-TS source on 127.0.0.1 for the zap and playing figures, in a process of its own so
// that its work counts for no player. A request for one of its paths gets that file from its start,
// paced in real time at BYTES_PER_SECOND in whole 188-byte packets as a constant-rate broadcast
// arrives, looped, with no length and no ranges, until the client goes away. A client that
// falls behind misses what it did not take, as with a live source.
//
// usage: bench_live_server BYTES_PER_SECOND PORT PATH=FILE... ; PORT 0 picks a free port.
// Prints the port it listens on.

#include "ProcStat.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>

namespace {

constexpr qint64 PacketSize = 188;
constexpr qint64 Backlog = 4 << 20; // unread bytes a client may hold before it misses some

struct Client {
    QByteArray request;
    const QByteArray *body = nullptr;
    qint64 start = 0; // monotonic ns of the first byte of the body
    qint64 sent = 0;  // bytes of the endless stream passed so far
};

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 rate = args.value(1).toLongLong();
    const quint16 port = args.value(2).toUShort();
    QHash<QByteArray, QByteArray> files; // by path
    for (const QString &pair : args.mid(3)) {
        const QString path = pair.section('=', 0, 0);
        QFile file(pair.section('=', 1));
        if (!path.startsWith('/') || !file.open(QIODevice::ReadOnly) || file.size() < PacketSize) {
            std::fprintf(stderr, "bench_live_server: cannot serve %s\n", qPrintable(pair));
            return 1;
        }
        files.insert(path.toUtf8(), file.readAll());
    }
    if (rate <= 0 || files.isEmpty()) {
        std::fprintf(stderr, "usage: bench_live_server BYTES_PER_SECOND PORT PATH=FILE...\n");
        return 2;
    }

    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, port))
        return 1;
    QHash<QTcpSocket *, Client> clients;

    auto answer = [&](QTcpSocket *socket, Client &client) {
        const QList<QByteArray> line = client.request.left(client.request.indexOf('\r')).split(' ');
        const auto file = files.constFind(line.value(1));
        if (file == files.cend()) {
            socket->write(
                "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\nCache-Control: no-cache\r\n"
                      "Accept-Ranges: none\r\nConnection: close\r\n\r\n");
        client.body = &file.value();
        client.start = monotonicNs();
    };

    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            clients.insert(socket, {});
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                Client &client = clients[socket];
                client.request += socket->readAll();
                if (client.body == nullptr && client.request.contains("\r\n\r\n"))
                    answer(socket, client);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [&, socket] {
                clients.remove(socket);
                socket->deleteLater();
            });
        }
    });

    QTimer pacer;
    pacer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pacer, &QTimer::timeout, [&] {
        const qint64 now = monotonicNs();
        for (auto it = clients.begin(); it != clients.end(); ++it) {
            Client &client = it.value();
            if (client.body == nullptr)
                continue;
            const QByteArray &body = *client.body;
            qint64 due = (now - client.start) * rate / 1'000'000'000;
            due -= due % PacketSize;
            while (client.sent < due) {
                const qint64 offset = client.sent % body.size();
                const qint64 length = std::min(due - client.sent, body.size() - offset);
                if (it.key()->bytesToWrite() < Backlog)
                    it.key()->write(body.constData() + offset, length);
                client.sent += length;
            }
        }
    });
    pacer.start(10);

    std::printf("%d\n", server.serverPort());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
