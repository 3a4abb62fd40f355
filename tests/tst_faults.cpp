// Servers on 127.0.0.1 that fail in every way we know of, each tuned in the real window with the
// real player. Whatever comes back, the status ends as the connection monitor's rules say, the
// window's event loop keeps running, no window of the player's own shows, and playlists from the
// network never get a local file opened: the files they name are watched while the case runs.
// Streams that stall again and again are counted in tst_connection.

#include "support/DisplayWindows.h"
#include "support/EventLoopWatch.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"
#include "support/Tuning.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// The longest the window may go without handling its events.
// Shorter than the player's own, so that connections without progress fail quickly here.
constexpr auto GiveUpAfter = 2s;

const QString SignalError = "Connection signal Error...";
const QString Connected = "Connected to QTV";

// Local files for hostile playlists to name, each watched for being opened or read: a plain
// file, a device, a FIFO (whose reader would wait for ever) and the directory that holds them.
class LocalFiles {
public:
    LocalFiles() {
        const QByteArray dir = QFile::encodeName(dir_.path());
        plain_ = dir + "/passwd";
        fifo_ = dir + "/fifo";
        device_ = dir + "/zero";
        QFile file(QFile::decodeName(plain_));
        if (file.open(QIODevice::WriteOnly))
            file.write("root:x:0:0:root:/root:/bin/sh\n");
        file.close();
        ::mkfifo(fifo_.constData(), 0600);
        // A device needs the privilege to make one; without it the FIFO stands in.
        if (::mknod(device_.constData(), S_IFCHR | 0600, makedev(1, 5)) != 0)
            device_ = fifo_;
        watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(watch_, dir.constData(), IN_OPEN | IN_ACCESS);
    }
    ~LocalFiles() { ::close(watch_); }

    bool ready() const { return watch_ >= 0 && QFileInfo(QFile::decodeName(plain_)).isFile(); }

    // Every way a playlist may name them, and the system's own files besides.
    QStringList entries() const {
        const QString plain = QFile::decodeName(plain_);
        return {"file://" + plain,
                plain,
                "file://" + QFile::decodeName(device_),
                "file://" + QFile::decodeName(fifo_),
                "file://" + dir_.path() + '/',
                "file:///etc/passwd",
                "file:///dev/zero"};
    }

    // Names of the watched files opened or read since the last call. A reader of the FIFO may
    // still wait for a writer, so one is opened for it first, which it would then notice.
    QStringList touched() {
        const int writer = ::open(fifo_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        QStringList names;
        if (writer >= 0) {
            names << "fifo (waiting reader)";
            ::close(writer);
        }
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t size = ::read(watch_, buffer, sizeof buffer);
            if (size <= 0)
                break;
            for (ssize_t at = 0; at < size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                names << (event->len > 0 ? QString::fromUtf8(event->name) : dir_.path());
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    QTemporaryDir dir_;
    QByteArray plain_, fifo_, device_;
    int watch_ = -1;
};

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QByteArray stream; // 20 seconds
    std::unique_ptr<LocalFiles> files;

    StreamServer::Options live() const {
        return {.body = stream, .bytesPerSecond = int(stream.size() / 20), .announceLength = false};
    }

    // The server for a fault, and the address to tune.
    std::pair<std::unique_ptr<StreamServer>, QString> serve(const QString &fault) {
        using B = StreamServer::Behaviour;
        const QStringList local = files->entries();
        StreamServer::Options options;
        QString path = "/stream.ts";
        if (fault == "no answer")
            options = {.behaviour = B::Hang};
        else if (fault == "slow, byte by byte")
            options = {.behaviour = B::Trickle, .body = stream, .bytesPerSecond = 20};
        else if (fault == "not found")
            options = {.behaviour = B::NotFound};
        else if (fault == "server error")
            options = {.behaviour = B::ServerError};
        else if (fault == "html page")
            options = StreamServer::htmlPage();
        else if (fault == "garbage")
            options = StreamServer::garbage();
        else if (fault == "live stream cut off") {
            options = live();
            options.cutOffAt = stream.size() / 5;
        } else if (fault == "cut off short of its length") {
            options = {.body = stream, .cutOffAt = stream.size() / 5};
        } else if (fault == "m3u naming local files") {
            options = StreamServer::m3u(local);
            path = "/live.m3u";
        } else if (fault == "asx naming local files") {
            options = StreamServer::asx(local);
            path = "/live.asx";
        } else if (fault == "reference asx naming local files") {
            options = StreamServer::referenceAsx(local);
            path = "/live.asx";
        }
        auto server = std::make_unique<StreamServer>(options);
        if (fault == "connection refused")
            return {std::move(server),
                    QString("http://127.0.0.1:%1/stream.ts").arg(StreamServer::refusingPort())};
        if (fault == "playlist naming itself") {
            server->route("/self.m3u", StreamServer::m3u({server->url("/self.m3u")}));
            path = "/self.m3u";
        } else if (fault == "local files before a stream") {
            server->route("/live.m3u", StreamServer::m3u(local + QStringList{server->url()}));
            server->route("/stream.ts", live());
            path = "/live.m3u";
        }
        const QString address = server->url(path);
        return {std::move(server), address};
    }

private slots:
    void initTestCase() {
        stream = makeTestStream(20);
        QVERIFY2(!stream.isEmpty(), "ffmpeg made no test stream");
        files = std::make_unique<LocalFiles>();
        QVERIFY(files->ready());
    }

    void faults_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("playsFirst");
        QTest::newRow("connection refused") << SignalError << false;
        QTest::newRow("no answer") << SignalError << false;
        QTest::newRow("slow, byte by byte") << SignalError << false;
        QTest::newRow("not found") << SignalError << false;
        QTest::newRow("server error") << SignalError << false;
        QTest::newRow("html page") << SignalError << false;
        QTest::newRow("garbage") << SignalError << false;
        QTest::newRow("live stream cut off") << SignalError << true;
        QTest::newRow("cut off short of its length") << SignalError << true;
        QTest::newRow("m3u naming local files") << SignalError << false;
        QTest::newRow("asx naming local files") << SignalError << false;
        QTest::newRow("reference asx naming local files") << SignalError << false;
        QTest::newRow("playlist naming itself") << SignalError << false;
        QTest::newRow("local files before a stream") << Connected << true;
    }
    void faults() {
        QFETCH(QString, status);
        QFETCH(bool, playsFirst);
        auto [server, address] = serve(QTest::currentDataTag());
        PlayerWindow w(GiveUpAfter);
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        files->touched();
        EventLoopWatch watch;
        tuneMonitored(w.form, "QTV", address);
        if (playsFirst)
            QTRY_COMPARE_WITH_TIMEOUT(w.status(), Connected, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(w.status(), status, 10000);
        // It stays so, with one warning for a failure and none otherwise, and the player has let
        // go of the server: no connection left open, and none made anew.
        const bool failed = status == SignalError;
        QTRY_COMPARE(server->openConnections(), failed ? 0 : 1);
        const int requests = server->requests();
        QTest::qWait(1500);
        QCOMPARE(server->requests(), requests);
        QCOMPARE(w.status(), status);
        QCOMPARE(w.openWarnings(), failed ? 1 : 0);
        QCOMPARE(w.strayWindows(), 0);
        QCOMPARE(foreignWindowsShown(), 0);
        const QStringList touched = files->touched();
        QVERIFY2(touched.isEmpty(), qPrintable("opened: " + touched.join(", ")));
        qInfo("%s: %d requests; longest event-loop gap %lld ms", QTest::currentDataTag(), requests,
              watch.longestGapMs());
        QVERIFY2(watch.keptRunning(), watch.held());
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
