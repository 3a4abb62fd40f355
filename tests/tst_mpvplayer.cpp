// The real player on libmpv, inside the real window, playing real streams from 127.0.0.1.

#include "app/Controls.h"
#include "app/MainForm.h"
#include "player/MpvPlayer.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"

#include <QElapsedTimer>
#include <QTest>

#include <mpv/client.h>

namespace {

QString engine(mpv_handle *mpv, const char *name) {
    char *value = mpv_get_property_string(mpv, name);
    const QString text = QString::fromUtf8(value);
    mpv_free(value);
    return text;
}

// Share of pixels that are not black in what the video area shows.
double litShare(QWidget *video) {
    const QImage frame = video->grab().toImage();
    int lit = 0;
    for (int y = 0; y < frame.height(); y += 8)
        for (int x = 0; x < frame.width(); x += 8)
            lit += qGray(frame.pixel(x, y)) > 40;
    return double(lit) / ((frame.height() / 8 + 1) * (frame.width() / 8 + 1));
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
        QCOMPARE(engine(mpv, "keepaspect"), "yes");
        QCOMPARE(engine(mpv, "volume").toDouble(), 0.0);
        QCOMPARE(engine(mpv, "mute"), "no");
        QCOMPARE(engine(mpv, "pause"), "no");
        QCOMPARE(engine(mpv, "idle-active"), "yes");
        // Start-up turned the engine's own messages and windows off.
        QCOMPARE(engine(mpv, "terminal"), "no");
        QCOMPARE(engine(mpv, "force-window"), "no");
        QCOMPARE(player.bufferingCount(), 0);
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

        player.setVolume(70);
        QTRY_COMPARE(engine(player.handle(), "volume").toDouble(), 70.0);
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
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(TestMpvPlayer)
#include "tst_mpvplayer.moc"
