// The program on a machine where the media engine is missing or does not start: the window opens
// and works, and every tuning ends in the connection monitor's error and its warning, whenever
// it comes: while the engine would still be starting, or after it failed.

#include "player/MpvLibrary.h"
#include "support/DisplayWindows.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"
#include "support/Tuning.h"

#include <QSlider>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(MpvFault)

class TestNoEngine : public QObject {
    Q_OBJECT

    QByteArray stream;

private slots:
    void initTestCase() {
        stream = makeTestStream(5);
        QVERIFY2(!stream.isEmpty(), "ffmpeg made no test stream");
    }

    void cleanup() { setMpvFault(MpvFault::None); }

    void everyTuningFails_data() {
        QTest::addColumn<MpvFault>("fault");
        QTest::newRow("no library") << MpvFault::NoLibrary;
        QTest::newRow("engine not created") << MpvFault::NotCreated;
        QTest::newRow("engine not started") << MpvFault::NotStarted;
    }
    void everyTuningFails() {
        QFETCH(MpvFault, fault);
        // A stream that plays wherever there is an engine.
        StreamServer server({.body = stream});
        setMpvFault(fault);
        MpvPlayer player(2s);
        MainForm form(player);
        form.show();
        // The first tuning comes before the engine's start has ended, the others after it.
        for (const char *channel : {"QTV", "Nasa Tv", "QTV"}) {
            tuneMonitored(form, channel, server.url());
            QTRY_COMPARE_WITH_TIMEOUT(form.controls().lblBuffering->text(),
                                      "Connection signal Error...", 5000);
            QTRY_COMPARE(openWarnings(form), 1);
            QVERIFY(player.streamFailed());
            QVERIFY(form.isVisible());
        }
        // The rest of the window goes on working.
        QSlider *slider = form.controls().sldMainVolume;
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(slider->value(), slider->maximum());
        QTest::qWait(1000);
        QCOMPARE(openWarnings(form), 1);
        QCOMPARE(strayWindows(form), 0);
        QCOMPARE(foreignWindowsShown(), 0);
        QCOMPARE(server.connections(), 0);
        QCOMPARE(player.handle(), nullptr);
    }
};

QTEST_MAIN(TestNoEngine)
#include "tst_noengine.moc"
