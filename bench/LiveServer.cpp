// A live MPEG-TS source on 127.0.0.1 for the zap and playing figures, in a process of its own so
// that its work counts for no player. A request for one of its paths gets that file from its start,
// paced in real time at BYTES_PER_SECOND in whole 188-byte packets as a constant-rate broadcast
// arrives, looped, with no length and no ranges, until the client goes away. A client that
// falls behind misses what it did not take, as with a live source.
//
// A path ending in '/' names a folder instead, served as it is at the time of each request, whole
// files with their length and no pacing: an HLS live stream whose playlist and segments a
// real-time encoder keeps writing there.
//
// usage: bench_live_server BYTES_PER_SECOND PORT PATH=FILE|PATH/=FOLDER... ; PORT 0 picks a free
// port. Prints the port it listens on.

#include "ProcStat.h"

#include <QCoreApplication>
#include <QDir>
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

// Types of what an HLS folder holds; anything else goes as bytes.
constexpr struct {
    const char *suffix;
    const char *type;
} FolderTypes[] = {{".m3u8", "application/vnd.apple.mpegurl"}, {".ts", "video/mp2t"}};

struct Client {
    QByteArray request;
    bool answered = false;
    const QByteArray *body = nullptr; // for a paced file
    qint64 start = 0;                 // monotonic ns of the first byte of the body
    qint64 sent = 0;                  // bytes of the endless stream passed so far
};

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 rate = args.value(1).toLongLong();
    const quint16 port = args.value(2).toUShort();
    QHash<QByteArray, QByteArray> files; // by path
    QHash<QByteArray, QString> folders;  // by path, with its '/'
    for (const QString &pair : args.mid(3)) {
        const QString path = pair.section('=', 0, 0);
        if (path.startsWith('/') && path.endsWith('/') && QDir(pair.section('=', 1)).exists()) {
            folders.insert(path.toUtf8(), pair.section('=', 1));
            continue;
        }
        QFile file(pair.section('=', 1));
        if (!path.startsWith('/') || !file.open(QIODevice::ReadOnly) || file.size() < PacketSize) {
            std::fprintf(stderr, "bench_live_server: cannot serve %s\n", qPrintable(pair));
            return 1;
        }
        files.insert(path.toUtf8(), file.readAll());
    }
    if (rate <= 0 || (files.isEmpty() && folders.isEmpty())) {
        std::fprintf(stderr,
                     "usage: bench_live_server BYTES_PER_SECOND PORT PATH=FILE|PATH/=FOLDER...\n");
        return 2;
    }

    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, port))
        return 1;
    QHash<QTcpSocket *, Client> clients;

    auto notFound = [](QTcpSocket *socket) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
    };

    // A file of a folder, whole, as it is now; nothing above the folder.
    auto answerFromFolder = [&](QTcpSocket *socket, const QByteArray &path) {
        const qsizetype slash = path.lastIndexOf('/') + 1;
        const auto folder = folders.constFind(path.left(slash));
        const QByteArray name = path.mid(slash);
        QFile file(folder == folders.cend() ? QString() : folder.value() + '/' + name);
        if (name.isEmpty() || name.startsWith('.') || !file.open(QIODevice::ReadOnly))
            return notFound(socket);
        const QByteArray body = file.readAll();
        const char *type = "application/octet-stream";
        for (const auto &known : FolderTypes) {
            if (name.endsWith(known.suffix))
                type = known.type;
        }
        socket->write(QByteArray("HTTP/1.1 200 OK\r\nContent-Type: ") + type +
                      "\r\nCache-Control: no-cache\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    };

    auto answer = [&](QTcpSocket *socket, Client &client) {
        const QList<QByteArray> line = client.request.left(client.request.indexOf('\r')).split(' ');
        const auto file = files.constFind(line.value(1));
        if (file == files.cend())
            return answerFromFolder(socket, line.value(1));
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
                if (!client.answered && client.request.contains("\r\n\r\n")) {
                    client.answered = true;
                    answer(socket, client);
                }
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
