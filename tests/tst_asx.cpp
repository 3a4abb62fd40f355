// XML ASX playlists, which the player reads itself, tuned in the real window with the real player:
// served from 127.0.0.1 together with the MPEG-TS streams they name. The window's event loop keeps
// running while they are read, and reading ends with the tuning or the window.

#include "support/EventLoopWatch.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"
#include "support/TimeScale.h"
#include "support/Tuning.h"

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;

namespace {

constexpr auto GiveUpAfter = 3s;

const QString Waiting = "Waiting for connection...";
const QString SignalError = "Connection signal Error...";
const QString Connected = "Connected to QTV";

StreamServer::Options asxDocument(const QByteArray &body) {
    return {.body = body, .contentType = "video/x-ms-asf"};
}

} // namespace

class TestAsx : public QObject {
    Q_OBJECT

    QByteArray stream; // 20 seconds

    StreamServer::Options live() const { return StreamServer::live(stream, 20); }

private slots:
    void initTestCase() {
        stream = makeTestStream(20);
        QVERIFY2(!stream.isEmpty(), "ffmpeg made no test stream");
    }

    void playlists_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("status");
        QTest::newRow("an entry naming the stream") << "/live.asx" << Connected;
        QTest::newRow("as a server writes it") << "/Radio.ASX" << Connected;
        QTest::newRow("nested in an entryref") << "/nested.wax" << Connected;
        QTest::newRow("a dead entry before the stream") << "/fallback.asx" << Connected;
        QTest::newRow("only local files") << "/local.asx" << SignalError;
        QTest::newRow("no entries") << "/empty.asx" << SignalError;
        QTest::newRow("an entryref naming its own document") << "/loop.wvx" << SignalError;
    }
    void playlists() {
        QFETCH(QString, path);
        QFETCH(QString, status);
        StreamServer server({.behaviour = StreamServer::Behaviour::NotFound});
        const QString refused = QString("http://127.0.0.1:%1/").arg(StreamServer::refusingPort());
        server.route("/stream.ts", live());
        server.route("/stream.ts?a=1&b=2", live());
        server.route("/live.asx", StreamServer::asx({server.url()}));
        server.route("/Radio.ASX",
                     asxDocument("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
                                 "<ASX Version=\"3.0\"><Title>Rock & Roll <3 \x96 "
                                 "live</Title>\r\n<Entry><Ref HREF=\"stream.ts?a=1&b=2\""
                                 "/></Entry></ASX>\r\n"));
        server.route("/nested.wax", asxDocument("<asx><entryref href=\"live.asx\"/></asx>"));
        server.route("/fallback.asx", StreamServer::asx({refused, server.url()}));
        server.route("/local.asx",
                     StreamServer::asx({"file:///etc/passwd", "/etc/passwd", "file:///dev/zero"}));
        server.route("/empty.asx", asxDocument("<asx version=\"3.0\">\n</asx>\n"));
        server.route("/loop.wvx", asxDocument("<asx><entryref href=\"loop.wvx\"/></asx>"));

        PlayerWindow w(GiveUpAfter);
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        EventLoopWatch watch;
        tuneMonitored(w.form, "QTV", server.url(path));
        QTRY_COMPARE_WITH_TIMEOUT(w.status(), status, 10000);
        QTest::qWait(1000);
        QCOMPARE(w.status(), status);
        const bool failed = status == SignalError;
        QCOMPARE(w.player.bufferingCount(), failed ? 0 : 1);
        QCOMPARE(w.player.streamFailed(), failed);
        QCOMPARE(w.openWarnings(), failed ? 1 : 0);
        QCOMPARE(w.strayWindows(), 0);
        if (!failed)
            QVERIFY(engineProperty(w.player.handle(), "path").contains("/stream.ts"));
        QVERIFY2(watch.keptRunning(), watch.held());
    }

    // Tuning another channel while the ASX server has not answered ends the reading: the
    // connection closes, and only the new channel counts.
    void tuningAwayCancelsTheReading() {
        StreamServer hanging({.behaviour = StreamServer::Behaviour::Hang});
        StreamServer good(live());
        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        tuneMonitored(w.form, "Old", hanging.url("/live.asx"));
        QTRY_COMPARE_WITH_TIMEOUT(hanging.requests(), 1, 5000);
        QTest::qWait(1000);
        QCOMPARE(w.player.bufferingCount(), 0);
        QCOMPARE(w.status(), Waiting);
        tuneMonitored(w.form, "QTV", good.url());
        QTRY_COMPARE_WITH_TIMEOUT(hanging.hangUps(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(w.status(), Connected, 10000);
        QCOMPARE(hanging.requests(), 1);
        QCOMPARE(w.player.bufferingCount(), 1);
        QVERIFY(!w.player.streamFailed());
    }

    // The window goes at once, also while the player waits for an ASX server that never answers.
    void closingWhileReading() {
        StreamServer hanging({.behaviour = StreamServer::Behaviour::Hang});
        QElapsedTimer clock;
        {
            PlayerWindow w;
            w.form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w.form));
            tuneMonitored(w.form, "QTV", hanging.url("/live.asx"));
            QTRY_COMPARE_WITH_TIMEOUT(hanging.requests(), 1, 5000);
            QTest::qWait(200);
            clock.start();
        }
        QVERIFY2(clock.elapsed() < 1000 * timeScale(),
                 qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE(hanging.hangUps(), 1);
    }
};

QTEST_MAIN(TestAsx)
#include "tst_asx.moc"
