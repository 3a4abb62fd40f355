// What a playlist says about its programme guide: where the guides are (the #EXTM3U line's
// x-tvg-url, url-tvg and tvg-url), and each entry's channel in them (tvg-id, tvg-name) and the
// shift of its times (tvg-shift), its own or the playlist's.

#include "playlist/Playlist.h"
#include "support/ListedAddresses.h"

#include <QTest>

namespace {

const QString FromFile = QStringLiteral("file:///lists/tv.m3u");
const QString FromNetwork = QStringLiteral("https://lists.example/tv/all.m3u");

// "guides: <a> <b>" when there are any, then one line per entry: its title, and its guide id,
// name and shift when it has them, with its headers and logo to show that they stay its own.
QString render(const ParsedPlaylist &parsed) {
    if (!parsed.playlist)
        return u"error: "_qs + parsed.error;
    const Playlist &list = *parsed.playlist;
    QStringList lines;
    if (!list.guideAddresses().isEmpty())
        lines << u"guides: <"_qs + list.guideAddresses().join(u"> <"_qs) + u'>';
    for (qsizetype entry = 0; entry < list.size(); ++entry) {
        QString line = list.title(entry);
        if (!list.guideId(entry).isEmpty())
            line += u" id="_qs + list.guideId(entry);
        if (!list.guideName(entry).isEmpty())
            line += u" name="_qs + list.guideName(entry);
        if (list.guideShift(entry) != 0)
            line += u" shift="_qs + QString::number(list.guideShift(entry));
        if (!list.userAgent(entry).isEmpty())
            line += u" ua="_qs + list.userAgent(entry);
        if (!list.referrer(entry).isEmpty())
            line += u" ref="_qs + list.referrer(entry);
        if (!list.logo(entry).isEmpty())
            line += u" logo="_qs + list.logo(entry);
        lines << line;
    }
    return lines.join(u'\n');
}

// A playlist of one entry that names `guides` in its header.
QByteArray namingGuides(const QByteArray &guides) {
    return "#EXTM3U x-tvg-url=\"" + guides + "\"\n#EXTINF:-1,A\nhttp://a.example/1\n";
}

// An entry with the shift `shift` after a header with `header`.
QByteArray shifted(const QByteArray &header, const QByteArray &shift) {
    return "#EXTM3U " + header + "\n#EXTINF:-1 tvg-shift=\"" + shift + "\",A\nhttp://a.example/1\n";
}

} // namespace

class TestPlaylistGuides : public QObject {
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
};

void TestPlaylistGuides::reads_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("expected");

    QTest::newRow("the three names, comma-separated lists, in order, each once")
        << QByteArray("#EXTM3U x-tvg-url=\"http://g.example/a.xml, http://g.example/b.xml.gz\" "
                      "url-tvg='http://g.example/b.xml.gz,http://g.example/c.xml' "
                      "tvg-url=http://g.example/d.xml,http://g.example/a.xml tvg-logo=x\n"
                      "#EXTINF:-1,A\nhttp://a.example/1\n")
        << FromNetwork
        << "guides: <http://g.example/a.xml> <http://g.example/b.xml.gz> "
           "<http://g.example/c.xml> <http://g.example/d.xml>\nA";
    QTest::newRow("names in any case, empty items, several #EXTM3U lines")
        << QByteArray(
               "#EXTM3U X-TVG-URL=\"http://g.example/1.xml,, ,\"\n"
               "#EXTINF:-1,A\nhttp://a.example/1\n"
               "#extm3u\tURL-TVG=\"http://g.example/2.xml\" x-tvg-url=\"http://g.example/1.xml\"\n")
        << FromNetwork << "guides: <http://g.example/1.xml> <http://g.example/2.xml>\nA";
    QTest::newRow("no header line but #EXTM3U itself")
        << QByteArray("#EXTM3UX x-tvg-url=\"http://g.example/1.xml\"\n"
                      "#EXTINF:-1 x-tvg-url=\"http://g.example/2.xml\",A\nhttp://a.example/1\n")
        << FromNetwork << "A";
    QTest::newRow("relative from the network: resolved against the playlist")
        << namingGuides("epg/guide.xml.gz,../all.xml,//cdn.example/g.xml") << FromNetwork
        << "guides: <https://lists.example/tv/epg/guide.xml.gz> <https://lists.example/all.xml> "
           "<https://cdn.example/g.xml>\nA";
    QTest::newRow("local guides named from the network: left out")
        << namingGuides("file:///etc/guide.xml,/home/u/g.xml,C:\\g.xml,~/g.xml,"
                        "http://g.example/ok.xml")
        << FromNetwork << "guides: <http://g.example/ok.xml>\nA";
    QTest::newRow("a local playlist: files too, relative ones in its folder")
        << namingGuides("guide.xml,../g2.xml,/srv/g3.xml,file:///srv/g4.xml,https://g.example/5,"
                        "dvb://1,ftp://g.example/6")
        << FromFile
        << "guides: </lists/guide.xml> </g2.xml> </srv/g3.xml> <file:///srv/g4.xml> "
           "<https://g.example/5>\nA";
    QTest::newRow("the same guide written two ways is one")
        << namingGuides("https://lists.example/tv/g.xml,g.xml,./g.xml") << FromNetwork
        << "guides: <https://lists.example/tv/g.xml>\nA";
    // Guides are read with http(s) alone, so of what a playlist may name only web addresses.
    for (const ListedAddress &listed : ListedAddresses) {
        const QString opened = QString::fromUtf8(listed.opened);
        const bool web = opened.startsWith(u"http://"_qs) || opened.startsWith(u"https://"_qs);
        QTest::addRow("listed: %s", listed.written)
            << namingGuides(listed.written) << RemoteList
            << (listed.outcome == Listed::Opened && web ? "guides: <" + opened + ">\nA" : "A");
    }

    QTest::newRow("ids and names, trimmed, in any case, beside logos and headers")
        << QByteArray("#EXTM3U\n"
                      "#EXTINF:-1 tvg-id=\" BBCOne.uk \" tvg-name=\"BBC One\" "
                      "tvg-logo=\"http://l.example/1.png\" user-agent=\"UA\",One\nhttp://a/1\n"
                      "#EXTINF:-1 TVG-ID=cnn.us@East TVG-NAME=CNN_International,Two\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-name=\"\" referrer=\"http://r/\",Three\nhttp://a/3\n"
                      "#EXTINF:-1 tvg-id=\"x\" user-agent=\"UA\" referrer=\"http://r/\",Four\n"
                      "http://a/4\n"
                      "#EXTINF:-1 tvg-name=\"Five, the channel\",Five\nhttp://a/5\n"
                      "#EXTINF:-1 tvg-name=\"Six\" tvg-logo=\"http://l.example/6.png\",Six\n"
                      "http://a/6\n"
                      "#EXTINF:-1 tvg-id=\"7\" tvg-name=\"Seven\",\nhttp://a/7\n")
        << FromNetwork
        << "One id=BBCOne.uk name=BBC One ua=UA logo=http://l.example/1.png\n"
           "Two id=cnn.us@East name=CNN_International\nThree ref=http://r/\n"
           "Four id=x ua=UA ref=http://r/\nFive name=Five, the channel\n"
           "Six name=Six logo=http://l.example/6.png\nhttp://a/7 id=7 name=Seven";
    QTest::newRow("a later #EXTINF before the address drops the id of the first")
        << QByteArray("#EXTINF:-1 tvg-id=\"lost\" tvg-shift=2,Lost\n#EXTINF:-1,Kept\nhttp://a/1\n")
        << FromNetwork << "Kept";
    QTest::newRow("an id longer than any channel's is none")
        << QByteArray("#EXTINF:-1 tvg-id=\"" + QByteArray(70'000, 'i') + "\" tvg-name=\"N\",A\n" +
                      "http://a/1\n")
        << FromNetwork << "A name=N";
    QTest::newRow("PLS gives none")
        << QByteArray("[playlist]\nFile1=http://a/1\nTitle1=A\n") << FromNetwork << "A";

    // Shifts in minutes: the entry's own, else the header's.
    const struct {
        const char *name;
        QByteArray header;
        QByteArray shift;
        int minutes;
    } shifts[] = {
        {"whole hours", "", "2", 120},
        {"with a sign", "", "+3", 180},
        {"negative", "", "-1", -60},
        {"negative and fractional", "", "-1.5", -90},
        {"a quarter", "", "0.25", 15},
        {"no whole part", "", ".5", 30},
        {"no fraction", "", "4.", 240},
        {"rounded to a minute", "", "0.0125", 1},
        {"more than a day: a day", "", "30", 24 * 60},
        {"far less than a day back: a day back", "", "-99999999999999999999", -24 * 60},
        {"padded", "", " 1 ", 60},
        {"the header's", "tvg-shift=\"2\"", "", 120},
        {"the header's, negative, unquoted", "TVG-SHIFT=-0.5", "", -30},
        {"none from the entry overrides the header's", "tvg-shift=2", "0", 0},
        {"not a number: the header's", "tvg-shift=1", "one", 60},
        {"an exponent is no number", "", "1e3", 0},
        {"two points", "", "1.2.3", 0},
        {"two signs", "", "--1", 0},
        {"a sign alone", "", "-", 0},
        {"a comma", "", "1,5", 0},
        {"a point alone", "", ".", 0},
        {"the header's not a number", "tvg-shift=x", "", 0},
    };
    for (const auto &row : shifts) {
        QTest::addRow("shift: %s", row.name)
            << shifted(row.header, row.shift) << FromNetwork
            << (row.minutes == 0 ? u"A"_qs : u"A shift="_qs + QString::number(row.minutes));
    }
}

void TestPlaylistGuides::reads() {
    QFETCH(QByteArray, text);
    QFETCH(QString, location);
    QFETCH(QString, expected);
    QCOMPARE(render(parsePlaylist(text, QUrl(location))), expected);
}

QTEST_APPLESS_MAIN(TestPlaylistGuides)
#include "tst_playlist_guides.moc"
