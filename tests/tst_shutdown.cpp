// Closing the window ends the program at once, also while the player waits on a server that
// never answers, whatever the protocol, and while the engine is still starting: the program runs
// as a process of its own (tuner_closing), its window closed at such a moment, and must be gone
// within a second of that, with exit code 0 and the engine ended.

#include "support/StreamServer.h"
#include "support/TunerClosing.h"

#include <QTest>

namespace {

// One second: the program does not wait on the server or the engine. Longer by
// RUREDIVU_TIME_SCALE in the slower sanitizer build, whose leak check also runs at exit.
const qint64 MaxShutdownMs = 1000 * timeScale();

// The program ends within the limit, with exit code 0, leaving none of the engine's threads
// behind: the engine was ended, not abandoned.
void endsPromptly(ClosingTuner &tuner, const char *what) {
    const Closing closing = tuner.awaitEnd();
    QVERIFY2(closing.failure.isEmpty(), qPrintable(closing.failure));
    qInfo("%s: ended %lld ms after the window closed", what, closing.tookMs);
    QVERIFY2(closing.tookMs < MaxShutdownMs,
             qPrintable(QString("ended %1 ms after its window closed").arg(closing.tookMs)));
    QCOMPARE(closing.engineThreads, 0);
}

} // namespace

class TestShutdown : public QObject {
    Q_OBJECT

private slots:
    void closingWhileConnecting_data() {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("path");
        QTest::newRow("http") << "http"
                              << "/stream.ts";
        QTest::newRow("rtsp") << "rtsp"
                              << "/live/qtv";
        QTest::newRow("rtmp") << "rtmp"
                              << "/live/qtv";
    }
    void closingWhileConnecting() {
        QFETCH(QString, scheme);
        QFETCH(QString, path);
        StreamServer server({.behaviour = StreamServer::Behaviour::Hang});
        ClosingTuner tuner({server.url(path, scheme)});
        const QString failure = tuner.startFailure();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // Once the player waits on the server, and a little longer, the window closes.
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 1, 10000);
        QTest::qWait(500);
        QCOMPARE(server.openConnections(), 1);
        tuner.close();
        endsPromptly(tuner, qPrintable(scheme));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(server.connections(), 1);
    }

    // The engine starts on a thread of its own after the window's first paint; the window closes
    // while it is still at it, again and again, since how far it got differs each time.
    void closingWhileTheEngineStarts() {
        for (int run = 0; run < 5 && !QTest::currentTestFailed(); ++run) {
            ClosingTuner tuner({});
            const QString failure = tuner.startFailure();
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            endsPromptly(tuner, "engine starting");
        }
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
