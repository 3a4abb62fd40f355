// Live streams of the kinds that channels send besides plain HTTP, for the zap figures of each
// kind: HLS written by ffmpeg and served over HTTP, GStreamer's RTSP server, and nginx's RTMP
// module fed by ffmpeg, all on 127.0.0.1. They are the servers the tests play against
// (tests/support/LiveServers.h), run in a process of their own so that their work counts for no
// player. Their streams stay live for a minute.
//
// usage: bench_kind_servers
// Prints "KIND ADDRESS" for each kind (hls, rtsp, rtmp), then "ready"; ends, and ends the
// servers, on SIGTERM or SIGINT.

#include "support/LiveServers.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Kind {
    const char *name;
    StreamKind kind;
};
constexpr Kind Kinds[]{
    {"hls", StreamKind::Hls},
    {"rtsp", StreamKind::RtspTcp},
    {"rtmp", StreamKind::Rtmp},
};

volatile std::sig_atomic_t stopping = 0;

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    std::vector<std::unique_ptr<LiveServer>> servers;
    for (const Kind &kind : Kinds) {
        servers.push_back(LiveServer::start(kind.kind));
        if (const QString failure = servers.back()->failure(); !failure.isEmpty()) {
            std::fprintf(stderr, "bench_kind_servers: %s: %s\n", kind.name, qPrintable(failure));
            return 1;
        }
        std::printf("%s %s\n", kind.name, qPrintable(servers.back()->address()));
    }
    std::printf("ready\n");
    std::fflush(stdout);

    // The servers' programs end with their objects, so a signal ends the event loop first.
    for (const int signal : {SIGTERM, SIGINT})
        std::signal(signal, [](int) { stopping = 1; });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [] {
        if (stopping != 0)
            QCoreApplication::quit();
    });
    poll.start(100);
    return app.exec();
}
