// A playlist's guide in the real window with the real player: a playlist served from 127.0.0.1
// names its gzip-compressed guide there, and two live streams; the list and the banner show what
// is on now, and a click on a channel's programme on now in the guide grid plays that channel.

#include "epg/GuideGrid.h"
#include "support/GuideText.h"
#include "support/Lists.h"
#include "support/LiveServers.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TimeScale.h"
#include "support/Zapping.h"
#include "zap/Banner.h"

#include <QDateTime>
#include <QTest>

namespace {

const int Scale = timeScale();
constexpr GuideTime Hour = 3600;

} // namespace

class TestGuidePlay : public QObject {
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
        // Programmes around the time the test runs: one on now on each channel, and one next.
        const GuideTime now = QDateTime::currentSecsSinceEpoch();
        const QByteArray guide =
            xmltvText({{"one.tv", {"One"}}, {"two.tv", {"Two"}}},
                      {{"one.tv", now - Hour, now + 2 * Hour, "Morning News"},
                       {"one.tv", now + 2 * Hour, now + 3 * Hour, "Weather"},
                       {"two.tv", now - Hour, now + 2 * Hour, "Match of the Day"}});
        const QString list = "#EXTM3U url-tvg=\"guide.xml.gz\"\n"
                             "#EXTINF:-1 tvg-id=\"ONE.tv\" group-title=\"Live\",One\n" +
                             hls->address() +
                             "\n#EXTINF:-1 tvg-id=\"two.tv\" group-title=\"Live\",Two\n" +
                             ts->address() + "\n";
        lists = std::make_unique<StreamServer>(
            StreamServer::Options{.body = list.toUtf8(), .contentType = "audio/x-mpegurl"});
        lists->route("/guide.xml.gz", {.body = gzipped(guide), .contentType = "application/gzip"});
    }

    void nowInTheListTheBannerAndTheGrid() {
        PlayerWindow w;
        w.form.show();
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        w.form.openPlaylist(lists->url("/tv.m3u"));
        QTRY_COMPARE_WITH_TIMEOUT(w.status(), "Guide loaded: 3 programmes for 2 of 2 channels",
                                  15000 * Scale);
        clickText(w.form, "Live");

        // The list: each channel's programme on now, for the eye and for screen readers.
        const QAbstractItemModel *rows = w.c().lstTuner->model();
        const int two = findRow(w.c().lstTuner, "Two");
        QVERIFY(two >= 0);
        QVERIFY2(rows->index(two, 0)
                     .data(Qt::AccessibleTextRole)
                     .toString()
                     .contains("Match of the Day"),
                 qPrintable(rows->index(two, 0).data(Qt::AccessibleTextRole).toString()));

        // The banner: now and next of the channel tuned.
        clickText(w.form, "One");
        waitPlaying(w, "One", hls->address());
        auto *banner = w.form.findChild<Banner *>("osdBanner");
        QVERIFY(banner != nullptr);
        QTRY_VERIFY(banner->isVisible());
        QTRY_VERIFY2(banner->accessibleName().contains("Morning News") &&
                         banner->accessibleName().contains("Weather"),
                     qPrintable(banner->accessibleName()));

        // The grid: a click on Two's programme on now plays Two.
        w.c().videoControl->setFocus();
        QTRY_VERIFY(w.c().videoControl->hasFocus());
        press(Qt::Key_G);
        auto *grid = w.form.findChild<GuideGrid *>("grdGuide");
        QVERIFY(grid != nullptr);
        QTRY_VERIFY(grid->isVisible());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->pointOf(two, QDateTime::currentSecsSinceEpoch()));
        waitPlaying(w, "Two", ts->address());
        QCOMPARE(w.c().lstTuner->currentIndex().row(), two);
        QCOMPARE(w.openWarnings(), 0);
        QCOMPARE(w.strayWindows(), 0);
    }
};

QTEST_MAIN(TestGuidePlay)
#include "tst_guide_play.moc"
