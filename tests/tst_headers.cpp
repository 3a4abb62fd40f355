// A stream's HTTP headers, as the server on 127.0.0.1 receives them from the real player: whole,
// with every request of that stream and of no other.

#include "support/PlayerWindow.h"
#include "support/StreamServer.h"
#include "support/TestMedia.h"

#include <QTest>

namespace {

const QString BrowserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko)";
const QString Page = R"(http://127.0.0.1:1234/page?a=1,b="2")";

} // namespace

class TestHeaders : public QObject {
    Q_OBJECT

    QByteArray stream; // 20 seconds

    StreamServer::Options live() const { return StreamServer::live(stream, 20); }

private slots:
    void initTestCase() {
        stream = makeTestStream(20);
        QVERIFY2(!stream.isEmpty(), "ffmpeg made no test stream");
    }

    void headers_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("userAgent");
        QTest::addColumn<QString>("referrer");
        QTest::addColumn<QString>("sentAgent"); // null: the engine's own
        QTest::addColumn<QString>("sentReferrer");
        QTest::newRow("stream") << "/stream.ts" << BrowserAgent << Page << BrowserAgent << Page;
        QTest::newRow("stream, not ASCII") << "/stream.ts"
                                           << "Lecteur/1.0 (télé; ©)"
                                           << "http://127.0.0.1/ß"
                                           << "Lecteur/1.0 (télé; ©)"
                                           << "http://127.0.0.1/ß";
        QTest::newRow("stream, a line break in the agent")
            << "/stream.ts"
            << "Agent\r\nX-Injected: yes" << Page << QString() << Page;
        QTest::newRow("stream, a tab in the referrer")
            << "/stream.ts" << BrowserAgent << "http://a/\tb" << BrowserAgent << QString();
        QTest::newRow("asx and its stream")
            << "/live.asx" << BrowserAgent << Page << BrowserAgent << Page;
        QTest::newRow("hls playlist and its segment")
            << "/live.m3u8" << BrowserAgent << Page << BrowserAgent << Page;
    }
    // The playlist (ASX, HLS) and the stream come from two servers, so each has the request of its
    // own. The next stream without headers goes out with the engine's.
    void headers() {
        QFETCH(QString, path);
        QFETCH(QString, userAgent);
        QFETCH(QString, referrer);
        QFETCH(QString, sentAgent);
        QFETCH(QString, sentReferrer);
        StreamServer streams(live());
        StreamServer playlists(StreamServer::asx({streams.url()}));
        playlists.route("/live.m3u8",
                        {.body = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:20\n"
                                 "#EXTINF:20.0,\n" +
                                 streams.url("/segment0.ts").toUtf8() + "\n#EXT-X-ENDLIST\n",
                         .contentType = "application/vnd.apple.mpegurl"});
        StreamServer &first = path == "/stream.ts" ? streams : playlists;
        MpvPlayer player;
        mpv_set_property_string(player.handle(), "ao", "null");
        mpv_set_property_string(player.handle(), "vo", "null");
        const QByteArray engineAgent = engineProperty(player.handle(), "user-agent").toUtf8();

        player.setUrl(first.url(path), {userAgent, referrer});
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(player.bufferingCount(), 1, 10000);
        for (StreamServer *server : {&first, &streams}) {
            if (!sentAgent.isNull())
                QCOMPARE(server->lastHeader("User-Agent"), sentAgent.toUtf8());
            else
                QVERIFY(server->lastHeader("User-Agent") != userAgent.toUtf8());
            QCOMPARE(server->lastHeader("Referer"), sentReferrer.toUtf8());
            QVERIFY(server->lastHeader("X-Injected").isNull());
        }

        const int requests = streams.requests();
        player.setUrl(streams.url());
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(streams.requests(), requests + 1, 10000);
        QCOMPARE(streams.lastHeader("User-Agent"), engineAgent);
        QVERIFY(streams.lastHeader("Referer").isNull());
    }
};

QTEST_MAIN(TestHeaders)
#include "tst_headers.moc"
