// Every kind of live stream that channels send, each from a real server of its kind on
// 127.0.0.1, tuned in the real window with the real player; the connection monitor means the
// same for all of them. The channel connects and shows its picture; the server held up for a
// while counts as one more buffering and the channel stays connected; the server gone shows the
// error with one warning; and closing the window while the player waits on the server ends the
// program at once. MMS has no server to test against: its address fails cleanly.

#include "support/LiveServers.h"
#include "support/PlayerWindow.h"
#include "support/TimeScale.h"
#include "support/TunerClosing.h"
#include "support/Tuning.h"

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const int Scale = timeScale();

// Longer than a stall, so that the player holds on through one.
const auto GiveUpAfter = 8s * Scale;
// A stall lasts until the player has run dry and counted it, and a little longer; the longest
// is longer than what the player caches of any kind.
constexpr int MaxStallMs = 6000;
constexpr int StallAfterCountMs = 500;
// The program has started its engine and waits on the server.
const auto ClosingAfter = 1000ms * Scale;
const qint64 MaxShutdownMs = 1000 * Scale;

const QString Connected = "Connected to QTV";
const QString SignalError = "Connection signal Error...";

} // namespace

class TestKinds : public QObject {
    Q_OBJECT

private slots:
    void kinds_data() {
        QTest::addColumn<StreamKind>("kind");
        QTest::addColumn<bool>("plays");
        QTest::newRow("HTTP MPEG-TS") << StreamKind::HttpTs << true;
        QTest::newRow("HTTP FLV") << StreamKind::HttpFlv << true;
        QTest::newRow("HTTP ASF/WMV") << StreamKind::HttpAsf << true;
        QTest::newRow("HLS live") << StreamKind::Hls << true;
        QTest::newRow("DASH live") << StreamKind::Dash << true;
        QTest::newRow("RTSP over TCP") << StreamKind::RtspTcp << true;
        QTest::newRow("RTSP over UDP") << StreamKind::RtspUdp << true;
        QTest::newRow("RTMP") << StreamKind::Rtmp << true;
        QTest::newRow("ASX, XML") << StreamKind::AsxXml << true;
        QTest::newRow("ASX, [Reference]") << StreamKind::AsxReference << true;
        QTest::newRow("MMS") << StreamKind::Mms << false;
    }
    void kinds() {
        QFETCH(StreamKind, kind);
        QFETCH(bool, plays);
        QElapsedTimer took;
        took.start();
        const std::unique_ptr<LiveServer> server = LiveServer::start(kind);
        QVERIFY2(server->failure().isEmpty(), qPrintable(server->failure()));

        server->hang();
        const Closing closing = closeWhileConnecting(server->address(), ClosingAfter);
        server->answer();
        QVERIFY2(closing.failure.isEmpty(), qPrintable(closing.failure));
        QVERIFY2(closing.tookMs < MaxShutdownMs,
                 qPrintable(QString("ended %1 ms after its window closed").arg(closing.tookMs)));

        PlayerWindow w(GiveUpAfter);
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        tuneMonitored(w.form, "QTV", server->address());
        if (plays) {
            QTRY_COMPARE_WITH_TIMEOUT(w.status(), Connected, 15000 * Scale);
            // Any lit pixel is the picture: the RTSP server's is a small ball on black.
            QTRY_VERIFY_WITH_TIMEOUT(litShare(w.c().videoControl) > 0, 10000 * Scale);
            // It plays on for half a second, having filled up first where it waits to.
            const double shownAt = engineProperty(w.player.handle(), "time-pos").toDouble();
            QTRY_VERIFY_WITH_TIMEOUT(engineProperty(w.player.handle(), "time-pos").toDouble() >
                                         shownAt + 0.5,
                                     10000 * Scale);
            QCOMPARE(w.player.bufferingCount(), 1);

            // Through the stall and after it the channel stays connected, one buffering more.
            server->stall();
            const bool counted =
                QTest::qWaitFor([&] { return w.player.bufferingCount() > 1; }, MaxStallMs * Scale);
            const bool left =
                QTest::qWaitFor([&] { return w.status() != Connected; }, StallAfterCountMs);
            server->flow();
            QVERIFY2(counted, "the stall was not counted");
            QVERIFY2(!left, qPrintable(w.status()));
            QCOMPARE(w.player.bufferingCount(), 2);
            QVERIFY(!QTest::qWaitFor([&] { return w.player.bufferingCount() != 2; }, 2000));
            QCOMPARE(w.status(), Connected);
            QCOMPARE(w.openWarnings(), 0);

            server->goAway();
        }
        QTRY_COMPARE_WITH_TIMEOUT(w.status(), SignalError, 15000 * Scale);
        QTest::qWait(1000);
        QCOMPARE(w.status(), SignalError);
        QCOMPARE(w.openWarnings(), 1);
        QCOMPARE(w.strayWindows(), 0);
        qInfo("%s: closed in %lld ms; %lld ms in all", QTest::currentDataTag(), closing.tookMs,
              took.elapsed());
    }
};

QTEST_MAIN(TestKinds)
#include "tst_kinds.moc"
