#include "support/LiveServers.h"

#include "support/OriginPriority.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

namespace {

constexpr int LiveSeconds = 60; // longer than any test plays one stream
constexpr int StartTimeoutMs = 15000;

// ffmpeg's arguments, written as one line.
QStringList arguments(const char *line) {
    return QString::fromLatin1(line).split(' ');
}

// A live picture with a tone, encoded as it is made, as live channels send it: H.264 and AAC,
// a key frame every second.
const QStringList LiveFeed =
    arguments("-nostdin -loglevel error -re -f lavfi -i testsrc2=size=320x240:rate=25 -f lavfi "
              "-i sine=frequency=440:sample_rate=48000 -c:v libx264 -preset ultrafast -g 25 "
              "-c:a aac") +
    QStringList{"-t", QString::number(LiveSeconds)};

// Key frames every second make one-second segments; the HLS playlist keeps the last three.
const QStringList HlsWriter =
    arguments("-f hls -hls_time 1 -hls_list_size 3 -hls_flags delete_segments live.m3u8");
// The DASH manifest lists every segment by name from the first on: ffmpeg's reader of live
// manifests goes back to earlier segments when they are named by a template or slide out of the
// list, and plays the same seconds again.
const QStringList DashWriter =
    arguments("-f dash -seg_duration 1 -window_size 0 -use_template 0 -use_timeline 0 live.mpd");

const QString RtspServerScript = QStringLiteral(RUREDIVU_TEST_SUPPORT_DIR "/rtsp-server.py");
constexpr const char *RtmpModule = "/usr/lib/nginx/modules/ngx_rtmp_module.so";

// nginx's own configuration, for one user, in a folder of its own: a single process in the
// foreground, its log on the standard error, listening on 127.0.0.1 alone.
QByteArray nginxConfig(quint16 port) {
    return QStringLiteral("load_module %1;\n"
                          "daemon off;\n"
                          "master_process off;\n"
                          "pid nginx.pid;\n"
                          "error_log stderr warn;\n"
                          "events {}\n"
                          "rtmp {\n"
                          "    server {\n"
                          "        listen 127.0.0.1:%2;\n"
                          "        application live {\n"
                          "            live on;\n"
                          "            record off;\n"
                          "        }\n"
                          "    }\n"
                          "}\n")
        .arg(QLatin1String(RtmpModule))
        .arg(port)
        .toUtf8();
}

// A program started as a server or as the feed of one, ended with the object.
class Program {
public:
    Program(QString name, const QString &program, const QStringList &arguments,
            const QString &directory = {})
        : name_(std::move(name)) {
        process_.setWorkingDirectory(directory);
        process_.setChildProcessModifier(runAsOrigin);
        process_.start(program, arguments);
        process_.waitForStarted();
    }
    ~Program() { end(); }

    // Why it is not running, with what it said; empty while it runs.
    QString failure() {
        if (process_.state() == QProcess::Running)
            return {};
        return QStringLiteral("%1 is not running (%2): %3")
            .arg(name_, process_.errorString(),
                 QString::fromLocal8Bit(process_.readAllStandardError()).trimmed());
    }

    // The first line it prints, once it comes.
    QString firstLine() {
        const QDeadlineTimer deadline(StartTimeoutMs);
        while (!process_.canReadLine() && process_.state() == QProcess::Running &&
               !deadline.hasExpired())
            process_.waitForReadyRead(100);
        return QString::fromLocal8Bit(process_.readLine()).trimmed();
    }

    void signal(int number) {
        if (process_.state() == QProcess::Running)
            ::kill(pid_t(process_.processId()), number);
    }

    void end() {
        signal(SIGCONT);
        signal(SIGKILL);
        process_.waitForFinished(5000);
    }

private:
    QString name_;
    QProcess process_;
};

// Waits until `ready` holds or a program gives up; the failure then, if any.
template <typename Ready> QString waitFor(Ready ready, Program &program, const QString &what) {
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!ready()) {
        if (const QString failure = program.failure(); !failure.isEmpty())
            return failure;
        if (deadline.hasExpired())
            return what + QStringLiteral(" did not come within %1 s").arg(StartTimeoutMs / 1000);
        QThread::msleep(50);
    }
    return {};
}

bool listening(quint16 port) {
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.1"), port);
    return probe.waitForConnected(200);
}

// Whether a player reading `address` finds a picture there: nginx holds players of a stream that
// is not published yet until it is, and ffprobe gives up after a few seconds of nothing.
bool published(const QString &address) {
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                arguments("-v error -rw_timeout 5000000 -show_entries stream=codec_type -of "
                          "csv=p=0") +
                    QStringList{address});
    return probe.waitForFinished(StartTimeoutMs) && probe.readAllStandardOutput().contains("video");
}

// How the test server names and announces a stream of each container.
struct HttpContainer {
    const char *format, *ending, *type;
};
constexpr HttpContainer HttpContainers[]{
    {"mpegts", ".ts", "video/mp2t"},
    {"flv", ".flv", "video/x-flv"},
    {"asf", ".wmv", "video/x-ms-wmv"},
};

// A stream of a container over HTTP, paced as a live source sends it; with `playlist`, the
// address is that of a playlist of this kind naming the stream.
class HttpServer : public LiveServer {
public:
    using Playlist = StreamServer::Options (*)(const QStringList &entries);

    explicit HttpServer(const HttpContainer &container, Playlist playlist = nullptr) {
        const QByteArray stream = makeTestStreamIn(container.format, LiveSeconds);
        if (stream.isEmpty())
            failure_ = QStringLiteral("ffmpeg made no %1 test stream").arg(container.format);
        server_ = std::make_unique<StreamServer>(
            StreamServer::Options{.body = stream,
                                  .contentType = container.type,
                                  .bytesPerSecond = int(stream.size() / LiveSeconds),
                                  .announceLength = false});
        address_ = server_->url("/live" + QLatin1String(container.ending));
        if (playlist != nullptr) {
            server_->route(QStringLiteral("/live.asx"), playlist({address_}));
            address_ = server_->url(QStringLiteral("/live.asx"));
        }
    }

    QString failure() const override { return failure_; }
    QString address() const override { return address_; }
    QByteArray lastHeader(const QByteArray &name) const override {
        return server_ != nullptr ? server_->lastHeader(name) : QByteArray();
    }
    void stall() override { server_->pause(); }
    void flow() override { server_->resume(); }
    void hang() override { server_->pause(); }
    void answer() override { server_->resume(); }
    void goAway() override { server_.reset(); }

protected:
    std::unique_ptr<StreamServer> server_;
    QString address_;
    QString failure_;
};

// ffmpeg writes a live playlist and its segments into a folder that the test server serves.
class SegmentedServer : public LiveServer {
public:
    SegmentedServer(const QStringList &writer, const QString &playlist) {
        if (!folder_.isValid()) {
            failure_ = QStringLiteral("no temporary folder for the segments");
            return;
        }
        writer_ =
            std::make_unique<Program>(QStringLiteral("ffmpeg writing ") + playlist,
                                      QStringLiteral("ffmpeg"), LiveFeed + writer, folder_.path());
        server_ =
            std::make_unique<StreamServer>(StreamServer::Options{.directory = folder_.path()});
        address_ = server_->url('/' + playlist);
        // Players start some segments back from the newest: the playlist has them all.
        failure_ = waitFor([this] { return segments() >= 3; }, *writer_,
                           QStringLiteral("three segments of ") + playlist);
    }

    QString failure() const override { return failure_; }
    QString address() const override { return address_; }
    QByteArray lastHeader(const QByteArray &name) const override {
        return server_ != nullptr ? server_->lastHeader(name) : QByteArray();
    }
    void stall() override { writer_->signal(SIGSTOP); }
    void flow() override { writer_->signal(SIGCONT); }
    void hang() override { server_->pause(); }
    void answer() override { server_->resume(); }
    void goAway() override {
        writer_->end();
        server_.reset();
    }

private:
    int segments() const {
        return QDir(folder_.path()).entryList({"*.ts", "*.m4s"}, QDir::Files).size();
    }

    QTemporaryDir folder_;
    std::unique_ptr<Program> writer_;
    std::unique_ptr<StreamServer> server_;
    QString address_;
    QString failure_;
};

// GStreamer's RTSP server, offering one transport alone.
class RtspServer : public LiveServer {
public:
    explicit RtspServer(const QString &transport)
        : server_(QStringLiteral("the RTSP server (GStreamer, python3-gi)"),
                  QStringLiteral("/usr/bin/python3"), {RtspServerScript, transport}) {
        const quint16 port = server_.firstLine().toUShort();
        if (port == 0)
            failure_ = server_.failure().isEmpty() ? QStringLiteral("the RTSP server named no port")
                                                   : server_.failure();
        address_ = QStringLiteral("rtsp://127.0.0.1:%1/live/qtv").arg(port);
    }

    QString failure() const override { return failure_; }
    QString address() const override { return address_; }
    void stall() override { server_.signal(SIGSTOP); }
    void flow() override { server_.signal(SIGCONT); }
    void hang() override { server_.signal(SIGSTOP); }
    void answer() override { server_.signal(SIGCONT); }
    void goAway() override { server_.end(); }

private:
    Program server_;
    QString address_;
    QString failure_;
};

// nginx with its RTMP module, run from a folder of its own, and ffmpeg publishing to it.
class RtmpServer : public LiveServer {
public:
    RtmpServer() : port_(StreamServer::refusingPort()) {
        address_ = QStringLiteral("rtmp://127.0.0.1:%1/live/qtv").arg(port_);
        if (!QFile::exists(QLatin1String(RtmpModule))) {
            failure_ = QStringLiteral("nginx's RTMP module is not installed (libnginx-mod-rtmp)");
            return;
        }
        QFile config(folder_.filePath(QStringLiteral("nginx.conf")));
        if (!config.open(QIODevice::WriteOnly) || config.write(nginxConfig(port_)) < 0) {
            failure_ = QStringLiteral("cannot write nginx's configuration");
            return;
        }
        config.close();
        nginx_ = std::make_unique<Program>(
            QStringLiteral("nginx"), QStringLiteral("nginx"),
            QStringList{"-p", folder_.path(), "-c", config.fileName(), "-e", "stderr"});
        failure_ = waitFor([this] { return listening(port_); }, *nginx_,
                           QStringLiteral("nginx listening"));
        if (!failure_.isEmpty())
            return;
        feed_ = std::make_unique<Program>(QStringLiteral("ffmpeg publishing to nginx"),
                                          QStringLiteral("ffmpeg"),
                                          LiveFeed + QStringList{"-f", "flv", address_});
        failure_ = waitFor([this] { return published(address_); }, *feed_,
                           QStringLiteral("the feed's picture at nginx"));
    }

    QString failure() const override { return failure_; }
    QString address() const override { return address_; }
    void stall() override { feed_->signal(SIGSTOP); }
    void flow() override { feed_->signal(SIGCONT); }
    void hang() override { nginx_->signal(SIGSTOP); }
    void answer() override { nginx_->signal(SIGCONT); }
    void goAway() override {
        feed_->end();
        nginx_->end();
    }

private:
    QTemporaryDir folder_;
    quint16 port_;
    QString address_;
    std::unique_ptr<Program> nginx_, feed_;
    QString failure_;
};

// The test server at an mms:// address: players speak MMS over HTTP to it, and it answers with
// a plain stream.
class MmsAddress : public HttpServer {
public:
    MmsAddress() : HttpServer(HttpContainers[0]) {
        address_ = QStringLiteral("mms") + address_.mid(address_.indexOf(':'));
    }
};

} // namespace

std::unique_ptr<LiveServer> LiveServer::start(StreamKind kind) {
    switch (kind) {
    case StreamKind::HttpTs:
        return std::make_unique<HttpServer>(HttpContainers[0]);
    case StreamKind::HttpFlv:
        return std::make_unique<HttpServer>(HttpContainers[1]);
    case StreamKind::HttpAsf:
        return std::make_unique<HttpServer>(HttpContainers[2]);
    case StreamKind::Hls:
        return std::make_unique<SegmentedServer>(HlsWriter, QStringLiteral("live.m3u8"));
    case StreamKind::Dash:
        return std::make_unique<SegmentedServer>(DashWriter, QStringLiteral("live.mpd"));
    case StreamKind::RtspTcp:
        return std::make_unique<RtspServer>(QStringLiteral("tcp"));
    case StreamKind::RtspUdp:
        return std::make_unique<RtspServer>(QStringLiteral("udp"));
    case StreamKind::Rtmp:
        return std::make_unique<RtmpServer>();
    case StreamKind::AsxXml:
        return std::make_unique<HttpServer>(HttpContainers[2], &StreamServer::asx);
    case StreamKind::AsxReference:
        return std::make_unique<HttpServer>(HttpContainers[2], &StreamServer::referenceAsx);
    case StreamKind::Mms:
        return std::make_unique<MmsAddress>();
    }
    return nullptr;
}
