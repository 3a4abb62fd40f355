// The television keys in the real window with the real player, in and out of full screen: a
// playlist from 127.0.0.1 naming two live streams served there, zapped by the channel keys, by
// number and back to the last channel, with the banner over the video.

#include "app/Zapping.h"
#include "support/LiveServers.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TimeScale.h"
#include "support/Zapping.h"
#include "zap/Banner.h"

#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

const int Scale = timeScale();

} // namespace

class TestZappingPlay : public QObject {
    Q_OBJECT

    std::unique_ptr<LiveServer> hls;
    std::unique_ptr<LiveServer> ts;
    std::unique_ptr<StreamServer> lists;

private slots:
    void initTestCase() {
        hls = LiveServer::start(StreamKind::Hls);
        QVERIFY2(hls->failure().isEmpty(), qPrintable(hls->failure()));
        ts = LiveServer::start(StreamKind::HttpTs);
        QVERIFY2(ts->failure().isEmpty(), qPrintable(ts->failure()));
        const QString list = "#EXTM3U\n#EXTINF:-1 group-title=\"Live\",One\n" + hls->address() +
                             "\n#EXTINF:-1 group-title=\"Live\",Two\n" + ts->address() + "\n";
        lists = std::make_unique<StreamServer>(
            StreamServer::Options{.body = list.toUtf8(), .contentType = "audio/x-mpegurl"});
    }

    void keysZapInAndOutOfFullScreen() {
        PlayerWindow w;
        w.form.show();
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        w.form.openPlaylist(lists->url("/tv.m3u"));
        QTRY_COMPARE_WITH_TIMEOUT(w.form.windowTitle(), "tv.m3u - RURE DIVU", 10000 * Scale);
        clickText(w.form, "Live");
        clickText(w.form, "One");
        waitPlaying(w, "One", hls->address());

        // In the window: the page keys from the video, a number, the last channel.
        w.c().videoControl->setFocus();
        QTRY_VERIFY(w.c().videoControl->hasFocus());
        press(Qt::Key_PageUp);
        waitPlaying(w, "Two", ts->address());
        press(Qt::Key_1);
        waitPlaying(w, "One", hls->address());
        press(Qt::Key_Backspace);
        waitPlaying(w, "Two", ts->address());

        // In full screen: Up and Down are the channel keys, and the banner covers the screen's
        // bottom, over the video.
        QTRY_VERIFY_WITH_TIMEOUT(w.c().cmdFS->isEnabled(), 10000 * Scale);
        QTest::mouseClick(w.c().cmdFS, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.player.isFullScreen() && w.form.isFullScreen(), 10000 * Scale);
        QTRY_VERIFY(w.c().videoControl->hasFocus());
        press(Qt::Key_Up);
        waitPlaying(w, "One", hls->address());
        auto *banner = w.form.findChild<Banner *>("osdBanner");
        QVERIFY(banner != nullptr);
        QTRY_VERIFY(banner->isVisible());
        QVERIFY(banner->accessibleName().contains("One"));
        const QRect screen = w.form.screen()->geometry();
        QTRY_VERIFY(banner->width() > screen.width() / 2);
        press(Qt::Key_Down);
        waitPlaying(w, "Two", ts->address());
        QTRY_VERIFY(banner->accessibleName().contains("Connected to Two"));
        press(Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!w.player.isFullScreen() && !w.form.isFullScreen(), 10000 * Scale);
        QVERIFY(banner->width() < screen.width() / 2);
        QCOMPARE(w.openWarnings(), 0);
        QCOMPARE(w.strayWindows(), 0);
    }
};

QTEST_MAIN(TestZappingPlay)
#include "tst_zapping_play.moc"
