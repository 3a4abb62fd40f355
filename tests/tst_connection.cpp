// The connection monitor on the real player: streams made with ffmpeg, served from 127.0.0.1,
// tuned in the window, that flow or stall. Whatever the stream does, the window's event loop
// keeps running. Streams that fail outright are in tst_faults.

#include "support/EventLoopWatch.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"
#include "support/Tuning.h"

#include <QPushButton>
#include <QTest>

namespace {

// The longest the window may go without handling its events.

const QString SignalError = "Connection signal Error...";

void report(const char *what, qint64 gap) {
    qInfo("%s: longest event-loop gap %lld ms", what, gap);
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT

    QByteArray stream; // 40 seconds, sent in real time

    StreamServer::Options live() const { return StreamServer::live(stream, 40); }

private slots:
    void initTestCase() {
        stream = makeTestStream(40);
        QVERIFY2(!stream.isEmpty(), "ffmpeg made no test stream");
    }

    void healthyLiveStream() {
        StreamServer server(live());
        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        EventLoopWatch watch;
        tuneMonitored(w.form, "Sky news", server.url());
        QTRY_COMPARE_WITH_TIMEOUT(w.status(), "Connected to Sky news", 10000);
        QVERIFY(w.c().cmdFS->isEnabled());
        // It stays connected and never buffers again.
        QTest::qWait(6000);
        QCOMPARE(w.status(), "Connected to Sky news");
        QCOMPARE(w.player.bufferingCount(), 1);
        QVERIFY(!w.player.streamFailed());
        QCOMPARE(w.openWarnings(), 0);
        report("healthy", watch.longestGapMs());
        QVERIFY2(watch.keptRunning(), watch.held());
    }

    // Each stall outlasts what the engine has cached and counts once; from the fourth
    // buffering on the stream is in error, with one warning however often it stalls again.
    void stallingStream() {
        StreamServer::Options stalling = live();
        stalling.stallEveryMs = 2000;
        stalling.stallForMs = 2500;
        StreamServer server(stalling);
        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        EventLoopWatch watch;
        tuneMonitored(w.form, "QTV", server.url());
        QTRY_COMPARE_WITH_TIMEOUT(w.status(), "Connected to QTV", 10000);
        int count = 1;
        bool wasStalling = false;
        while (server.stalls() < 4 || server.stalling()) {
            QTest::qWait(20);
            const int now = w.player.bufferingCount();
            if (now != count) {
                QCOMPARE(now, count + 1);
                QVERIFY2(server.stalling(), "counted while the stream was flowing");
                count = now;
            }
            if (wasStalling && !server.stalling())
                QCOMPARE(count, 1 + server.stalls());
            wasStalling = server.stalling();
            const bool error = w.status() == SignalError;
            QVERIFY(w.status().startsWith("Connected to QTV") || error);
            QVERIFY2(error == (count >= 4) || count == 4, qPrintable(w.status()));
            QCOMPARE(w.openWarnings(), count >= 4 && error ? 1 : 0);
        }
        QTest::qWait(1000);
        QCOMPARE(w.player.bufferingCount(), 5);
        QCOMPARE(w.status(), SignalError);
        QCOMPARE(w.openWarnings(), 1);
        report("stalling", watch.longestGapMs());
        QVERIFY2(watch.keptRunning(), watch.held());
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
