// A playlist from 127.0.0.1 naming a live HLS stream and a live MPEG-TS stream, both made with
// ffmpeg and served from 127.0.0.1, in the real window with the real player: each channel is
// tuned by clicks in the list, plays, and its server receives the user agent and referrer that
// the playlist gives for it, in each of the playlist's ways of giving them.

#include "support/Lists.h"
#include "support/LiveServers.h"
#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TimeScale.h"

#include <QTest>

namespace {

const int Scale = timeScale();

const QString BrowserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko)";
const QString Page = R"(http://127.0.0.1/guide?day=1,"today")";
const QString TunerAgent = "Tuner/2.0 (a, b)";
const QString TsPage = "http://127.0.0.1/ts";

} // namespace

class TestPlaylistPlay : public QObject {
    Q_OBJECT

    std::unique_ptr<LiveServer> hls;
    std::unique_ptr<LiveServer> ts;
    std::unique_ptr<StreamServer> lists;

    static void click(PlayerWindow &w, const QString &text) {
        const int row = findRow(w.c().lstTuner, text);
        QVERIFY2(row >= 0, qPrintable(text));
        QTest::mouseClick(w.c().lstTuner->viewport(), Qt::LeftButton, {},
                          rowCentre(w.c().lstTuner, row));
    }

private slots:
    void initTestCase() {
        hls = LiveServer::start(StreamKind::Hls);
        QVERIFY2(hls->failure().isEmpty(), qPrintable(hls->failure()));
        ts = LiveServer::start(StreamKind::HttpTs);
        QVERIFY2(ts->failure().isEmpty(), qPrintable(ts->failure()));
        const QString list =
            "#EXTM3U\n"
            "#EXTINF:-1 group-title=\"Live\" http-user-agent=\"" +
            BrowserAgent + "\" http-referrer='" + Page + "',HLS channel\n" + hls->address() +
            "\n#EXTINF:-1 group-title=\"Live\",TS channel\n" + ts->address() +
            "|User-Agent=Tuner%2F2.0%20(a,%20b)&Referer=" + QUrl::toPercentEncoding(TsPage) + "\n";
        lists = std::make_unique<StreamServer>(
            StreamServer::Options{.body = list.toUtf8(), .contentType = "audio/x-mpegurl"});
    }

    void channelsPlayWithTheirHeaders() {
        PlayerWindow w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        w.form.openPlaylist(lists->url("/tv.m3u"));
        QTRY_COMPARE_WITH_TIMEOUT(w.form.windowTitle(), "tv.m3u - RURE DIVU", 10000 * Scale);
        QCOMPARE(rowTexts(w.c().lstTuner), QStringList{"Live"});
        click(w, "Live");
        for (const auto &[channel, server, agent, referrer] :
             {std::tuple{"HLS channel", hls.get(), BrowserAgent, Page},
              std::tuple{"TS channel", ts.get(), TunerAgent, TsPage}}) {
            click(w, channel);
            QTRY_COMPARE_WITH_TIMEOUT(w.status(), QString("Connected to ") + channel,
                                      15000 * Scale);
            QCOMPARE(server->lastHeader("User-Agent"), agent.toUtf8());
            QCOMPARE(server->lastHeader("Referer"), referrer.toUtf8());
            QTRY_VERIFY_WITH_TIMEOUT(litShare(w.c().videoControl) > 0.2, 10000 * Scale);
        }
        QCOMPARE(w.c().lblIndexNo->text(), "CH 00002");
        QCOMPARE(w.openWarnings(), 0);
    }
};

QTEST_MAIN(TestPlaylistPlay)
#include "tst_playlist_play.moc"
