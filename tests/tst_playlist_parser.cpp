// Playlists as they are found in the wild, each read from a local file or from an address, and
// what comes out of them: entries, groups of each tuner, HTTP headers, logos, channel numbers,
// entries left out, or why the playlist was refused.

#include "playlist/Playlist.h"
#include "support/ListedAddresses.h"

#include <QTest>

namespace {

const QString FromFile = QStringLiteral("file:///lists/tv.m3u");
const QString FromNetwork = QStringLiteral("https://lists.example/tv/all.m3u");

// One line per entry: "title <address>", its headers, logo, " radio" and its channel number when
// given; then the groups of each tuner with the numbers of their entries, and the count of entries
// left out.
QString render(const ParsedPlaylist &parsed) {
    if (!parsed.playlist)
        return u"error: "_qs + parsed.error;
    const Playlist &list = *parsed.playlist;
    QStringList lines;
    for (qsizetype entry = 0; entry < list.size(); ++entry) {
        QString line = list.title(entry) + u" <"_qs + list.address(entry) + u'>';
        if (!list.userAgent(entry).isEmpty())
            line += u" ua="_qs + list.userAgent(entry);
        if (!list.referrer(entry).isEmpty())
            line += u" ref="_qs + list.referrer(entry);
        if (!list.logo(entry).isEmpty())
            line += u" logo="_qs + list.logo(entry);
        if (list.isRadio(entry))
            line += u" radio"_qs;
        if (list.number(entry) != entry + 1)
            line += u" ch="_qs + QString::number(list.number(entry));
        lines << line;
    }
    for (const auto &[tuner, groups] :
         {std::pair{u"tv"_qs, &list.tvGroups()}, std::pair{u"radio"_qs, &list.radioGroups()}}) {
        QStringList names;
        for (const PlaylistGroup &group : *groups) {
            QString name = group.name;
            for (const qint32 entry : group.entries)
                name += u' ' + QString::number(entry + 1);
            names << name;
        }
        if (!names.isEmpty())
            lines << tuner + u": "_qs + names.join(u"; "_qs);
    }
    if (list.leftOut() > 0)
        lines << u"left out: "_qs + QString::number(list.leftOut());
    return lines.join(u'\n');
}

// A title's bytes are the title, and there are none where the address stands for the title.
bool titleBytesAgree(const ParsedPlaylist &parsed) {
    for (qsizetype entry = 0; parsed.playlist && entry < parsed.playlist->size(); ++entry) {
        const Playlist &list = *parsed.playlist;
        const QByteArrayView bytes = list.titleBytes(entry);
        if (bytes.isEmpty() ? list.title(entry) != list.address(entry)
                            : QString::fromUtf8(bytes) != list.title(entry))
            return false;
    }
    return true;
}

// A list from the network with a channel that is always played, then `listed`.
QByteArray listedPlaylist(const ListedAddress &listed) {
    return "http://a.example/ok\n" + QByteArray(listed.written) + '\n';
}

QString listedExpectation(const ListedAddress &listed) {
    const QString kept = u"http://a.example/ok <http://a.example/ok>\n"_qs;
    switch (listed.outcome) {
    case Listed::Opened:
        return kept + QStringLiteral("%1 <%1>\n").arg(QString::fromUtf8(listed.opened)) +
               u"tv: Other channels 1 2"_qs;
    case Listed::LeftOut:
        return kept + u"tv: Other channels 1\nleft out: 1"_qs;
    case Listed::Broken:
        break;
    }
    return kept + u"tv: Other channels 1"_qs;
}

} // namespace

class TestPlaylistParser : public QObject {
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
};

void TestPlaylistParser::reads_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("expected");

    QTest::newRow("extended M3U, CRLF, attributes and commas in values and title")
        << QByteArray(
               "#EXTM3U x-tvg-url=\"http://e/epg.xml\"\r\n"
               "#EXTINF:-1 tvg-id=\"a.us\" tvg-name=\"A, the = one\" tvg-logo=\"http://l/a.png\" "
               "group-title=\"News\",A, the one\r\n"
               "http://a.example/live/a b.m3u8?x=1&y=[2]\r\n"
               "#EXTINF:0 TVG-ID=b GROUP-TITLE=Sport,B\r\n"
               "  https://b.example/b.ts  \r\n")
        << FromNetwork
        << "A, the one <http://a.example/live/a b.m3u8?x=1&y=[2]> logo=http://l/a.png\n"
           "B <https://b.example/b.ts>\n"
           "tv: News 1; Sport 2";
    QTest::newRow("plain addresses, comments, blank lines, a second header, any duration")
        << QByteArray("\n   http://a/1\n# a comment\n\n#EXTM3U\n#EXTINF:,One\nhttp://a/2\n"
                      "#EXTINF:2.5,Two\nhttp://a/3\n#EXTINF,Three\nhttp://a/4\n")
        << FromNetwork
        << "http://a/1 <http://a/1>\nOne <http://a/2>\nTwo <http://a/3>\nhttp://a/4 <http://a/4>\n"
           "tv: Other channels 1 2 3 4";
    QTest::newRow("byte-order mark, CR line ends, an #EXTINF without address")
        << QByteArray("\xEF\xBB\xBF#EXTINF:-1,Lost\r#EXTINF:-1,Kept\rhttp://a/1\r#EXTINF:-1,End\r")
        << FromNetwork << "Kept <http://a/1>\ntv: Other channels 1";
    QTest::newRow("not UTF-8: Latin-1")
        << QByteArray("#EXTINF:-1 group-title=\"T\xE9l\xE9\",Caf\xE9\nhttp://a/1\n") << FromNetwork
        << QString::fromUtf8("Café <http://a/1>\ntv: Télé 1");
    QTest::newRow("groups: several, #EXTGRP, first appearance, Other channels last")
        << QByteArray("#EXTINF:-1 ,A\nhttp://a/1\n"
                      "#EXTINF:-1 group-title=\" Sport ; ;News;Sport\",B\nhttp://a/2\n"
                      "#EXTGRP:Music\n#EXTINF:-1,C\nhttp://a/3\n"
                      "#EXTINF:-1 group-title=\"News\",D\n#EXTGRP:Ignored\nhttp://a/4\n"
                      "#EXTINF:-1 group-title=\"\",E\nhttp://a/5\n")
        << FromNetwork
        << "A <http://a/1>\nB <http://a/2>\nC <http://a/3>\nD <http://a/4>\nE <http://a/5>\n"
           "tv: Sport 2; News 2 4; Music 3; Other channels 1 5";
    QTest::newRow("radio entries in the radio tuner's groups")
        << QByteArray("#EXTINF:-1 radio=\"TRUE\" group-title=\"News\",R1\nhttp://r/1\n"
                      "#EXTINF:-1 radio=\"false\" group-title=\"News\",T1\nhttp://t/1\n"
                      "#EXTINF:-1 radio=true,R2\nhttp://r/2\n")
        << FromNetwork
        << "R1 <http://r/1> radio\nT1 <http://t/1>\nR2 <http://r/2> radio\n"
           "tv: News 2\nradio: News 1; Other channels 3";
    QTest::newRow("headers from #EXTINF attributes, whole")
        << QByteArray(
               "#EXTINF:-1 http-user-agent=\"Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 "
               "(KHTML, like Gecko)\" http-referrer=\"http://r/?a=1,2\",A\nhttp://a/1\n"
               "#EXTINF:-1 User-Agent='Kodi/20' REFERRER=http://r/2,B\nhttp://a/2\n")
        << FromNetwork
        << "A <http://a/1> ua=Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like "
           "Gecko) ref=http://r/?a=1,2\n"
           "B <http://a/2> ua=Kodi/20 ref=http://r/2\ntv: Other channels 1 2";
    QTest::newRow("headers from #EXTVLCOPT, for the next entry only, other options ignored")
        << QByteArray(
               "#EXTINF:-1 user-agent=\"Old\",A\n#EXTVLCOPT:http-user-agent=\"VLC \"x\" 3\"\n"
               "#EXTVLCOPT:http-referrer=http://r/\n#EXTVLCOPT:network-caching=1000\n"
               "#KODIPROP:inputstream=adaptive\nhttp://a/1\n#EXTINF:-1,B\nhttp://a/2\n")
        << FromNetwork
        << "A <http://a/1> ua=VLC \"x\" 3 ref=http://r/\nB <http://a/2>\n"
           "tv: Other channels 1 2";
    QTest::newRow("headers from the address suffix, decoded, first of all forms")
        << QByteArray("#EXTVLCOPT:http-user-agent=Option\n"
                      "http://a/1.m3u8|user-agent=Mozilla%2F5.0%20(X11)&REFERER=http%3A%2F%2Fr%2F\n"
                      "http://a/2|Referer=http://r/2&Other=x\n")
        << FromNetwork
        << "http://a/1.m3u8 <http://a/1.m3u8> ua=Mozilla/5.0 (X11) ref=http://r/\n"
           "http://a/2 <http://a/2> ref=http://r/2\ntv: Other channels 1 2";
    QTest::newRow("header values with line breaks or control characters dropped")
        << QByteArray("#EXTINF:-1 user-agent=\"A\tB\",A\n"
                      "http://a/1|User-Agent=x%0D%0AHost:%20evil&Referer=old&Referer=ok\n")
        << FromNetwork << "A <http://a/1> ref=ok\ntv: Other channels 1";
    QTest::newRow("relative addresses from the network")
        << QByteArray("one.ts\n../two.ts\n//other.example/three.ts\nsub/four five.ts\n")
        << FromNetwork
        << "https://lists.example/tv/one.ts <https://lists.example/tv/one.ts>\n"
           "https://lists.example/two.ts <https://lists.example/two.ts>\n"
           "https://other.example/three.ts <https://other.example/three.ts>\n"
           "https://lists.example/tv/sub/four%20five.ts "
           "<https://lists.example/tv/sub/four%20five.ts>\n"
           "tv: Other channels 1 2 3 4";
    QTest::newRow("local files and devices named from the network are left out")
        << QByteArray("file:///etc/passwd\n/dev/video0\n~/x.ts\nC:\\x.ts\n\\\\server\\x\ndvd://1\n"
                      "av://v4l2:/dev/video0\nv4l2:///dev/video0\nfd://3\nmemory://x\nedl://a\n"
                      "lavf://x\n\xEF\xBB\xBF"
                      "file:///etc/passwd\nRTSP://cam/1\n"
                      "udp://@239.0.0.1:1234\nrtmpS://r/live\n")
        << FromNetwork
        << "RTSP://cam/1 <RTSP://cam/1>\nudp://@239.0.0.1:1234 <udp://@239.0.0.1:1234>\n"
           "rtmpS://r/live <rtmpS://r/live>\ntv: Other channels 1 2 3\nleft out: 13";
    QTest::newRow("a local playlist names local files")
        << QByteArray("a.ts\n../b#1.ts\n/media/c.ts\nfile:///media/d.ts\ndvd://1\nhttp://e/\n")
        << FromFile
        << "/lists/a.ts </lists/a.ts>\n/b#1.ts </b#1.ts>\n/media/c.ts </media/c.ts>\n"
           "file:///media/d.ts <file:///media/d.ts>\ndvd://1 <dvd://1>\nhttp://e/ <http://e/>\n"
           "tv: Other channels 1 2 3 4 5 6";
    QTest::newRow("logos from the network: http(s), relative ones resolved, nothing else")
        << QByteArray("#EXTINF:-1 tvg-logo=\"https://l.example/a.png\",A\nhttp://a/1\n"
                      "#EXTINF:-1 TVG-LOGO=HTTP://L.EXAMPLE/B.PNG,B\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-logo=\" logos/c d.png \",C\nhttp://a/3\n"
                      "#EXTINF:-1 tvg-logo=\"//cdn.example/d.png\",D\nhttp://a/4\n"
                      "#EXTINF:-1 tvg-logo=\"/usr/share/icons/e.png\",E\nhttp://a/5\n"
                      "#EXTINF:-1 tvg-logo=\"file:///usr/share/icons/f.png\",F\nhttp://a/6\n"
                      "#EXTINF:-1 tvg-logo=\"C:\\logos\\g.png\",G\nhttp://a/7\n"
                      "#EXTINF:-1 tvg-logo=\"ftp://l.example/h.png\",H\nhttp://a/8\n"
                      "#EXTINF:-1 tvg-logo=\"data:image/png;base64,iVBORw0K\",I\nhttp://a/9\n"
                      "#EXTINF:-1 tvg-logo=\"http:l.example/j.png\",J\nhttp://a/10\n"
                      "#EXTINF:-1 tvg-logo=\"http://l.example/\x01k.png\",K\nhttp://a/11\n"
                      "#EXTINF:-1 tvg-logo=\"\",L\nhttp://a/12\n")
        << FromNetwork
        << "A <http://a/1> logo=https://l.example/a.png\n"
           "B <http://a/2> logo=HTTP://L.EXAMPLE/B.PNG\n"
           "C <http://a/3> logo=https://lists.example/tv/logos/c%20d.png\n"
           "D <http://a/4> logo=https://cdn.example/d.png\n"
           "E <http://a/5>\nF <http://a/6>\nG <http://a/7>\nH <http://a/8>\nI <http://a/9>\n"
           "J <http://a/10>\nK <http://a/11>\nL <http://a/12>\n"
           "tv: Other channels 1 2 3 4 5 6 7 8 9 10 11 12";
    QTest::newRow("logos from a local playlist: local files too")
        << QByteArray("#EXTINF:-1 tvg-logo=\"logos/a.png\",A\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-logo=\"/usr/share/icons/b.png\",B\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-logo=\"file:///usr/share/icons/c.png\",C\nhttp://a/3\n"
                      "#EXTINF:-1 tvg-logo=\"https://l.example/d.png\",D\nhttp://a/4\n"
                      "#EXTINF:-1 tvg-logo=\"dvb://1\",E\nhttp://a/5\n"
                      "#EXTINF:-1 tvg-logo=\"ftp://l.example/f.png\",F\nhttp://a/6\n")
        << FromFile
        << "A <http://a/1> logo=/lists/logos/a.png\n"
           "B <http://a/2> logo=/usr/share/icons/b.png\n"
           "C <http://a/3> logo=file:///usr/share/icons/c.png\n"
           "D <http://a/4> logo=https://l.example/d.png\nE <http://a/5>\nF <http://a/6>\n"
           "tv: Other channels 1 2 3 4 5 6";
    QTest::newRow("logos from an address of no web protocol: relative ones dropped")
        << QByteArray("#EXTINF:-1 tvg-logo=\"a.png\",A\nb.ts\n"
                      "#EXTINF:-1 tvg-logo=\"https://l.example/c.png\",C\nd.ts\n")
        << "rtsp://lists.example/tv/all.m3u"
        << "A <rtsp://lists.example/tv/b.ts>\n"
           "C <rtsp://lists.example/tv/d.ts> logo=https://l.example/c.png\n"
           "tv: Other channels 1 2";
    QTest::newRow("channel numbers: whole numbers from 1 to 99999, else the place")
        << QByteArray("#EXTINF:-1 tvg-chno=\"101\",A\nhttp://a/1\n"
                      "#EXTINF:-1,B\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-chno=\"0\",C\nhttp://a/3\n"
                      "#EXTINF:-1 tvg-chno=\"-5\",D\nhttp://a/4\n"
                      "#EXTINF:-1 tvg-chno=\"twelve\",E\nhttp://a/5\n"
                      "#EXTINF:-1 tvg-chno=\"1.5\",F\nhttp://a/6\n"
                      "#EXTINF:-1 tvg-chno=\"99999999999999999999\",G\nhttp://a/7\n"
                      "#EXTINF:-1 tvg-chno=\"100000\",H\nhttp://a/8\n"
                      "#EXTINF:-1 TVG-CHNO=99999,I\nhttp://a/9\n"
                      "#EXTINF:-1 tvg-chno=\" 007 \",J\nhttp://a/10\n"
                      "#EXTINF:-1 tvg-chno=\"\",K\nhttp://a/11\n"
                      "#EXTINF:-1 tvg-chno=\"+12\",L\nhttp://a/12\n"
                      "#EXTINF:-1 tvg-chno=\"3\",M\nhttp://a/13\n")
        << FromNetwork
        << "A <http://a/1> ch=101\nB <http://a/2>\nC <http://a/3>\nD <http://a/4>\n"
           "E <http://a/5>\nF <http://a/6>\nG <http://a/7>\nH <http://a/8>\n"
           "I <http://a/9> ch=99999\nJ <http://a/10> ch=7\nK <http://a/11>\nL <http://a/12>\n"
           "M <http://a/13> ch=3\ntv: Other channels 1 2 3 4 5 6 7 8 9 10 11 12 13";
    QTest::newRow("a later #EXTINF before the address drops the logo and number of the first")
        << QByteArray("#EXTINF:-1 tvg-logo=\"http://l/a.png\" tvg-chno=9,Lost\n"
                      "#EXTINF:-1,Kept\nhttp://a/1\n")
        << FromNetwork << "Kept <http://a/1>\ntv: Other channels 1";
    QTest::newRow("titles starting with byte-order marks")
        << QByteArray("#EXTINF:-1,\xEF\xBB\xBF\xEF\xBB\xBFOne\nhttp://a/1\n"
                      "#EXTINF:-1,\xEF\xBB\xBF\xEF\xBB\xBF\nhttp://a/2\n")
        << FromNetwork << "One <http://a/1>\nhttp://a/2 <http://a/2>\ntv: Other channels 1 2";
    for (const ListedAddress &listed : ListedAddresses) {
        QTest::addRow("listed: %s", listed.written)
            << listedPlaylist(listed) << RemoteList << listedExpectation(listed);
    }
    QTest::newRow("PLS in the order of N")
        << QByteArray("[Playlist]\r\nNumberOfEntries=3\r\nFile2=http://a/2\r\nTitle2=Two\r\n"
                      "File10=ten.mp3\r\nfile1=http://a/1\r\nTitle3=No file\r\nVersion=2\r\n")
        << FromNetwork
        << "http://a/1 <http://a/1>\nTwo <http://a/2>\n"
           "https://lists.example/tv/ten.mp3 <https://lists.example/tv/ten.mp3>\n"
           "tv: Other channels 1 2 3";
    QTest::newRow("titles of nothing but a byte-order mark show the address")
        << QByteArray("[playlist]\nFile1=http://a/1\nTitle1=\xEF\xBB\xBF\n") << FromNetwork
        << "http://a/1 <http://a/1>\ntv: Other channels 1";

    const QByteArray manyEntries = QByteArray("http://a/1\n").repeated(MaxPlaylistEntries + 1);
    const struct {
        const char *name;
        QByteArray text;
        QString error;
    } refused[] = {
        {"nothing", "", "it is empty"},
        {"white space", " \r\n\t\n", "it is empty"},
        {"header alone", "\xEF\xBB\xBF#EXTM3U\n", "it is empty"},
        {"no address", "#EXTM3U\n#EXTINF:-1,A\n", "it names no channel"},
        {"web page", "\xEF\xBB\xBF \n<!doctype HTML><p>", "it is a web page, not a playlist"},
        {"web page, no type", "<HTML><body>", "it is a web page, not a playlist"},
        {"NUL bytes", QByteArray("#EXTM3U\nhttp://a/\0\0", 19), "it is not a playlist"},
        {"control characters", "\x01\x02\x03\x04http://a/\x05\x06\x07\x08", "it is not a playlist"},
        {"only local files from the network", "/dev/video0\nfile:///x\n",
         "it names only local files, which a playlist from the network may not open"},
        {"too many entries", manyEntries, "it has more than 500,000 entries"},
        {"too large", QByteArray(MaxPlaylistBytes + 1, 'a'), "it is larger than 64 MiB"},
    };
    for (const auto &row : refused)
        QTest::newRow(row.name) << row.text << FromNetwork << u"error: "_qs + row.error;
}

void TestPlaylistParser::reads() {
    QFETCH(QByteArray, text);
    QFETCH(QString, location);
    QFETCH(QString, expected);
    const ParsedPlaylist parsed = parsePlaylist(text, QUrl(location));
    QCOMPARE(render(parsed), expected);
    QVERIFY(titleBytesAgree(parsed));
}

QTEST_APPLESS_MAIN(TestPlaylistParser)
#include "tst_playlist_parser.moc"
