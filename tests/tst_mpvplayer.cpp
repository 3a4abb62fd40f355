// The real player on libmpv, inside the real window, playing real streams from 127.0.0.1.

#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"
#include "support/TimeScale.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSlider>
#include <QTest>
#include <QThread>

#include <clocale>

using namespace std::chrono_literals;

namespace {

const auto engine = engineProperty;

QString refusedAddress() {
    return QString("http://127.0.0.1:%1/stream.ts").arg(StreamServer::refusingPort());
}

// Keeps the test's thread busy, handling no events, until the engine has asked `server` for its
// stream and gone idle again: the end of that stream is reported but not yet read.
bool endsUnread(MpvPlayer &player, const StreamServer &server) {
    const QDeadlineTimer deadline(10000 * timeScale());
    while (server.requests() == 0 || engine(player.handle(), "idle-active") != "yes") {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace

class TestMpvPlayer : public QObject {
    Q_OBJECT

    QByteArray stream;

private slots:
    void initTestCase() {
        stream = makeTestStream(20);
        QVERIFY2(!stream.isEmpty(), "ffmpeg made no test stream");
    }

    void startSettings() {
        MpvPlayer player;
        MainForm form(player);
        mpv_handle *mpv = player.handle();
        QCOMPARE(engine(mpv, "osc"), "no");
        QCOMPARE(engine(mpv, "input-default-bindings"), "no");
        QCOMPARE(engine(mpv, "input-vo-keyboard"), "no");
        QCOMPARE(engine(mpv, "load-scripts"), "no");
        QCOMPARE(engine(mpv, "ytdl"), "no");
        QCOMPARE(engine(mpv, "load-unsafe-playlists"), "no");
        QCOMPARE(engine(mpv, "cache-pause"), "yes");
        QCOMPARE(engine(mpv, "rtsp-transport"), "lavf");
        QCOMPARE(engine(mpv, "keepaspect"), "yes");
        QCOMPARE(engine(mpv, "volume").toDouble(), 0.0);
        QCOMPARE(engine(mpv, "mute"), "no");
        QCOMPARE(engine(mpv, "pause"), "no");
        QCOMPARE(engine(mpv, "idle-active"), "yes");
        // Start-up turned the engine's own messages and windows off.
        QCOMPARE(engine(mpv, "terminal"), "no");
        QCOMPARE(engine(mpv, "force-window"), "no");
        QCOMPARE(player.bufferingCount(), 0);
        QVERIFY(!player.streamFailed());
    }

    // Settings of the whole process are made once, before any player: a player leaves them as
    // it finds them, and the engine starts once they are made.
    void processSettings() {
        QVERIFY(std::setlocale(LC_NUMERIC, "C.UTF-8") != nullptr);
        {
            MpvPlayer player;
            MainForm form(player);
            QCOMPARE(std::setlocale(LC_NUMERIC, nullptr), "C.UTF-8");
        }
        applyProcessSettings();
        QCOMPARE(std::setlocale(LC_NUMERIC, nullptr), "C");
        MpvPlayer player;
        QVERIFY(player.handle() != nullptr);
    }

    void playsALocalStream() {
        StreamServer server({.body = stream, .bytesPerSecond = int(stream.size() / 20)});
        MpvPlayer player;
        MainForm form(player);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        mpv_set_property_string(player.handle(), "ao", "null");
        QWidget *video = form.controls().videoControl;
        QVERIFY(litShare(video) < 0.05);

        player.setUrl(server.url());
        QCOMPARE(player.bufferingCount(), 0);
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(player.bufferingCount(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(engine(player.handle(), "time-pos").toDouble() > 1.0, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(litShare(video) > 0.5, 5000);
        QCOMPARE(engine(player.handle(), "path"), server.url());
        // A healthy stream does not count again.
        QCOMPARE(player.bufferingCount(), 1);

        QVERIFY(!player.streamFailed());
    }

    // The engine starts once the window has been painted, or sooner when a stream is set; what
    // was asked of it before (start-up's settings, a volume) reaches it in order.
    void requestsBeforeTheEngineRuns() {
        StreamServer server({.body = stream, .bytesPerSecond = int(stream.size() / 20)});
        {
            MpvPlayer player;
            MainForm form(player);
            player.setVolume(70);
            QTest::qWait(200);
            QVERIFY(player.findChild<QThread *>() == nullptr);
            form.show();
            QTRY_VERIFY(player.findChild<QThread *>() != nullptr);
            player.setUrl(server.url());
            player.play();
            QTRY_COMPARE_WITH_TIMEOUT(player.bufferingCount(), 1, 10000);
            QCOMPARE(engine(player.handle(), "volume").toDouble(), 70.0);
            QCOMPARE(engine(player.handle(), "terminal"), "no");
        }
        MpvPlayer hidden;
        hidden.setUrl(server.url());
        hidden.play();
        QTRY_COMPARE_WITH_TIMEOUT(hidden.bufferingCount(), 1, 10000);
        QVERIFY(!hidden.streamFailed());
    }

    // The slider's position, ten times over, is the engine's volume, and stays so when another
    // stream is set.
    void volumeFollowsTheSlider() {
        StreamServer server({.body = stream});
        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        QSlider *slider = w.c().sldMainVolume;
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_End);
        QTRY_COMPARE(engine(w.player.handle(), "volume").toDouble(), 100.0);
        QTest::keyClick(slider, Qt::Key_Left);
        QTRY_COMPARE(engine(w.player.handle(), "volume").toDouble(), 90.0);
        w.player.setUrl(server.url());
        w.player.play();
        QTRY_COMPARE_WITH_TIMEOUT(w.player.bufferingCount(), 1, 10000);
        QCOMPARE(engine(w.player.handle(), "volume").toDouble(), 90.0);
    }

    // The engine reports the end of a stream after the next one has been set; that end belongs
    // to the stream before and marks nothing.
    void lateEndsOfEarlierStreams() {
        StreamServer good({.body = stream, .bytesPerSecond = int(stream.size() / 20)});
        StreamServer missing({.behaviour = StreamServer::Behaviour::NotFound});
        MpvPlayer player;
        mpv_set_property_string(player.handle(), "ao", "null");
        player.setUrl(missing.url());
        player.play();
        // The first stream fails while the window is busy, so its end waits to be read.
        QVERIFY2(endsUnread(player, missing), "the missing stream did not end");
        QCOMPARE(missing.requests(), 1);
        player.setUrl(good.url());
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(player.bufferingCount(), 1, 10000);
        QTest::qWait(1000);
        QVERIFY(!player.streamFailed());
        QCOMPARE(player.bufferingCount(), 1);
        // And the other way round: the good stream's end does not hide the failure.
        player.setUrl(refusedAddress());
        QCOMPARE(player.bufferingCount(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(player.streamFailed(), 10000);
        QCOMPARE(player.bufferingCount(), 0);
    }

    // A playlist is no stream of its own: the count and the failure are those of the stream it
    // leads to.
    void playlists() {
        StreamServer good({.body = stream, .bytesPerSecond = int(stream.size() / 20)});
        StreamServer list({.body = good.url().toUtf8() + "\n", .contentType = "audio/x-mpegurl"});
        StreamServer badList(
            {.body = refusedAddress().toUtf8() + "\n", .contentType = "audio/x-mpegurl"});
        MpvPlayer player;
        mpv_set_property_string(player.handle(), "ao", "null");
        player.setUrl(list.url("/live.m3u"));
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(player.bufferingCount(), 1, 10000);
        QTRY_COMPARE(good.requests(), 1);
        QTest::qWait(500);
        QVERIFY(!player.streamFailed());
        player.setUrl(badList.url("/live.m3u"));
        QTRY_VERIFY_WITH_TIMEOUT(player.streamFailed(), 10000);
        QCOMPARE(player.bufferingCount(), 0);
    }

    // A connection that makes no progress is given up and closed; a flowing stream is not, and
    // neither is one whose stalls end in time.
    void givesUpWithoutProgress() {
        StreamServer silent({.behaviour = StreamServer::Behaviour::Hang});
        MpvPlayer player(2s);
        mpv_set_property_string(player.handle(), "ao", "null");
        QElapsedTimer clock;
        clock.start();
        player.setUrl(silent.url());
        player.play();
        QTRY_VERIFY_WITH_TIMEOUT(player.streamFailed(), 10000);
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE(silent.hangUps(), 1);

        StreamServer flowing({.body = stream,
                              .bytesPerSecond = int(stream.size() / 20),
                              .stallEveryMs = 2000,
                              .stallForMs = 1500});
        player.setUrl(flowing.url());
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(flowing.stalls(), 2, 10000);
        QTest::qWait(2000);
        QVERIFY(!player.streamFailed());
        QVERIFY(player.bufferingCount() >= 2);
    }

    void givesUpOnAStallTooLong() {
        StreamServer stalling({.body = stream,
                               .bytesPerSecond = int(stream.size() / 20),
                               .stallEveryMs = 2000,
                               .stallForMs = 6000});
        MpvPlayer player(2s);
        mpv_set_property_string(player.handle(), "ao", "null");
        player.setUrl(stalling.url());
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(player.bufferingCount(), 2, 10000);
        QVERIFY(!player.streamFailed());
        QTRY_VERIFY_WITH_TIMEOUT(player.streamFailed(), 5000);
        QVERIFY(stalling.stalling());
        QTRY_COMPARE(stalling.hangUps(), 1);
    }

    // A typed-in look: white space around the address is no part of it.
    void trimsSurroundingSpace() {
        StreamServer server({.body = stream});
        MpvPlayer player;
        mpv_set_property_string(player.handle(), "ao", "null");
        mpv_set_property_string(player.handle(), "vo", "null");
        player.setUrl(" " + server.url());
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(engine(player.handle(), "path"), server.url(), 10000);
    }

    // The window goes at once, also while the player waits for a server that never answers.
    void shutsDownWhileConnecting() {
        StreamServer server({.behaviour = StreamServer::Behaviour::Hang, .body = {}});
        QElapsedTimer clock;
        {
            auto player = std::make_unique<MpvPlayer>();
            MainForm form(*player);
            form.show();
            player->setUrl(server.url());
            player->play();
            QTRY_COMPARE_WITH_TIMEOUT(server.requests(), 1, 5000);
            QTest::qWait(200);
            clock.start();
        }
        QVERIFY2(clock.elapsed() < 1000 * timeScale(),
                 qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(TestMpvPlayer)
#include "tst_mpvplayer.moc"
