// Closing the window ends the program at once, also while the player waits on a server that
// never answers, whatever the protocol, and while the engine is still starting: the program runs
// as a process of its own (tuner_closing), its window closed at such a moment, and must be gone
// within a second of that, with exit code 0 and the engine ended.

#include "support/StreamServer.h"

#include <QProcess>
#include <QTest>

#include <chrono>

namespace {

// One second; longer by RUREDIVU_TIME_SCALE in the slower sanitizer build, whose leak check also
// runs at exit.
const qint64 MaxShutdownMs =
    1000 * std::max(1, qEnvironmentVariableIntValue("RUREDIVU_TIME_SCALE"));

// Waits for the program to say that it closes its window, then for its end, which leaves none
// of the engine's threads behind: the engine was ended, not abandoned.
void endsPromptly(QProcess &program, const char *what) {
    QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine() || program.state() == QProcess::NotRunning,
                             10000);
    const QByteArray line = program.readLine().trimmed();
    QVERIFY2(line.startsWith("closing "), program.readAllStandardError().constData());
    const qint64 closedAt = line.mid(8).toLongLong();

    QVERIFY(program.waitForFinished(10000));
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const qint64 took =
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count() - closedAt;
    qInfo("%s: ended %lld ms after the window closed", what, took);
    const QByteArray errors = program.readAllStandardError();
    QVERIFY2(program.exitStatus() == QProcess::NormalExit, errors.constData());
    QVERIFY2(program.exitCode() == 0, errors.constData());
    QVERIFY(took < MaxShutdownMs);
    QCOMPARE(program.readLine().trimmed(), "engine threads 0");
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
        QProcess program;
        program.start(QStringLiteral(TUNER_CLOSING), {server.url(path, scheme)});
        QVERIFY(program.waitForStarted());
        // Once the player waits on the server, and a little longer, the window closes.
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 1, 10000);
        QTest::qWait(500);
        QCOMPARE(server.openConnections(), 1);
        program.write("close\n");
        endsPromptly(program, qPrintable(scheme));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(server.connections(), 1);
    }

    // The engine starts on a thread of its own after the window's first paint; the window closes
    // while it is still at it, again and again, since how far it got differs each time.
    void closingWhileTheEngineStarts() {
        for (int run = 0; run < 5 && !QTest::currentTestFailed(); ++run) {
            QProcess program;
            program.start(QStringLiteral(TUNER_CLOSING), {});
            QVERIFY(program.waitForStarted());
            endsPromptly(program, "engine starting");
        }
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
