// Long use: the real window and player tuned again and again, in a fixed random order, between
// two healthy live streams and one whose server refuses. Every tuning starts counting afresh, so
// each tick shows either "Waiting for connection..." or the status that stream comes to, never
// one carried over from the stream before; and once warmed up the process's memory stays put.
// RUREDIVU_SOAK_TUNINGS sets the number of tunings.

#include "support/EventLoopWatch.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"
#include "support/Tuning.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace {

constexpr int DefaultTunings = 60;
// Memory is measured from this tuning on; the first ones load the engine's decoders and the
// renderer's shaders.
constexpr int WarmUpTunings = 12;
constexpr qint64 MaxGrowthBytes = 10 << 20;

const QString Waiting = "Waiting for connection...";
const QString SignalError = "Connection signal Error...";

// Resident memory of this process, from the kernel's count of its pages.
qint64 residentBytes() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> pages = statm.readAll().split(' ');
    return pages.size() > 1 ? pages[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

struct SoakChannel {
    QString name;
    QString address;
    QString status; // where it comes to
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void tuningOverAndOver() {
        const int tunings = qEnvironmentVariableIsSet("RUREDIVU_SOAK_TUNINGS")
                                ? qEnvironmentVariableIntValue("RUREDIVU_SOAK_TUNINGS")
                                : DefaultTunings;
        QVERIFY2(tunings > WarmUpTunings, "too few tunings to measure memory after warm-up");
        // Two pictures of different sizes, so that the video's size changes between them too.
        const QByteArray news = makeTestStream(30);
        const QByteArray sports = makeTestStream(30, QSize(480, 272));
        QVERIFY2(!news.isEmpty() && !sports.isEmpty(), "ffmpeg made no test stream");
        StreamServer newsServer(
            {.body = news, .bytesPerSecond = int(news.size() / 30), .announceLength = false});
        StreamServer sportsServer(
            {.body = sports, .bytesPerSecond = int(sports.size() / 30), .announceLength = false});
        const SoakChannel channels[]{
            {"Sky news", newsServer.url(), "Connected to Sky news"},
            {"Saudi Sports", sportsServer.url(), "Connected to Saudi Sports"},
            {"QTV", QString("http://127.0.0.1:%1/qtv.ts").arg(StreamServer::refusingPort()),
             SignalError},
        };

        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        const SoakChannel *tuned = nullptr;
        QStringList wrong;
        QObject::connect(w.c().TimeConnection, &QTimer::timeout, this, [&] {
            if (w.status() != Waiting && w.status() != tuned->status)
                wrong << tuned->name + ": " + w.status();
        });
        EventLoopWatch watch;
        QRandomGenerator random(20240611);
        qint64 warm = 0;
        for (int i = 0; i < tunings; ++i) {
            if (i == WarmUpTunings)
                warm = residentBytes();
            tuned = &channels[random.bounded(3)];
            QSignalSpy ticks(w.c().TimeConnection, &QTimer::timeout);
            tuneMonitored(w.form, tuned->name, tuned->address);
            QCOMPARE(w.player.bufferingCount(), 0);
            QVERIFY(!w.player.streamFailed());
            QVERIFY(ticks.wait(2000));
            QTRY_COMPARE_WITH_TIMEOUT(w.status(), tuned->status, 10000);
            QVERIFY2(wrong.isEmpty(), qPrintable(QString::number(i) + ": " + wrong.join(", ")));
            QCOMPARE(w.player.bufferingCount(), tuned->status == SignalError ? 0 : 1);
            QCOMPARE(w.openWarnings(), tuned->status == SignalError ? 1 : 0);
        }
        const qint64 end = residentBytes();
        qInfo("%d tunings: resident %lld MiB after warm-up, %lld MiB at the end (%+lld KiB); "
              "longest event-loop gap %lld ms",
              tunings, warm >> 20, end >> 20, (end - warm) >> 10, watch.longestGapMs());
        QVERIFY(warm > 0 && end > 0);
#ifndef __SANITIZE_ADDRESS__
        // The address sanitizer holds freed memory back on purpose; leaks are its to report.
        QVERIFY(end - warm <= MaxGrowthBytes);
#endif
        QVERIFY2(watch.keptRunning(), watch.held());
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
