// A guide matched to a playlist: which guide channel each entry shows (by tvg-id, else tvg-name,
// else title), and its programmes at their times as shown, moved by the entry's tvg-shift or the
// playlist's.

#include "guide/ChannelGuide.h"
#include "support/GuideText.h"

#include <QDateTime>
#include <QTest>

namespace {

// 2024-03-01 12:00 UTC.
constexpr GuideTime Noon = 1'709'294'400;
constexpr GuideTime Hour = 3600;

// Each channel of the guide with one programme at noon, titled by its id.
QByteArray guideOfChannels(const QList<XmltvChannel> &channels) {
    QList<XmltvProgramme> programmes;
    for (const XmltvChannel &channel : channels)
        programmes.append({channel.id, Noon, Noon + Hour, channel.id});
    return xmltvText(channels, programmes);
}

// Per entry, the id of the channel it shows and how many minutes its programme moved ("a+90"),
// or "-" for none.
QString render(const ChannelGuide &guide, qint32 entries) {
    QStringList shown;
    for (qint32 entry = 0; entry < entries; ++entry) {
        const std::optional<ProgrammeSlot> slot = guide.after(entry, Noon - 2 * 24 * Hour);
        if (!guide.hasChannel(entry) || !slot) {
            shown << u"-"_qs;
            continue;
        }
        QString text = guide.guide().channelId(guide.channel(entry));
        if (const GuideTime moved = (slot->start - Noon) / 60; moved != 0)
            text += (moved > 0 ? u"+"_qs : u""_qs) + QString::number(moved);
        shown << text;
    }
    return shown.join(u' ');
}

// "One 12:00-13:00", in UTC.
QString slotText(const ChannelGuide &guide, const ProgrammeSlot &slot) {
    const auto time = [](GuideTime t) {
        return QDateTime::fromSecsSinceEpoch(t, Qt::UTC).toString(u"HH:mm"_qs);
    };
    return guide.title(slot) + u' ' + time(slot.start) + u'-' + time(slot.stop);
}

GuideTime at(const char *time) {
    const QTime t = QTime::fromString(QString::fromLatin1(time), u"HH:mm"_qs);
    return Noon - 12 * Hour + t.msecsSinceStartOfDay() / 1000;
}

} // namespace

class TestChannelGuide : public QObject {
    Q_OBJECT
private slots:
    void matching_data();
    void matching();
    void times_data();
    void times();
    void details();
    void span();
    void counts();
};

void TestChannelGuide::matching_data() {
    QTest::addColumn<QByteArray>("playlist");
    QTest::addColumn<QList<XmltvChannel>>("channels");
    QTest::addColumn<QString>("expected");

    const QList<XmltvChannel> uk{
        {"bbcone.uk", {"BBC One"}}, {"itv1.uk", {"ITV 1", "ITV"}}, {"ch4.uk", {"Channel_4"}}};
    QTest::newRow("tvg-id, ignoring case")
        << QByteArray("#EXTINF:-1 tvg-id=\"BBCOne.UK\",x\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-id=\"ITV1.uk\",y\nhttp://a/2\n")
        << uk << "bbcone.uk itv1.uk";
    QTest::newRow("@feed ids: the feed's channel, else the channel's")
        << QByteArray("#EXTINF:-1 tvg-id=\"CNN.us@East\",x\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-id=\"cnn.us@hd\",y\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-id=\"@cnn.us\",z\nhttp://a/3\n")
        << QList<XmltvChannel>{{"CNN.us", {"CNN"}}, {"CNN.us@HD", {"CNN HD"}}}
        << "CNN.us CNN.us@HD -";
    QTest::newRow("tvg-name: case, spaces and underscores alike")
        << QByteArray("#EXTINF:-1 tvg-name=\"BBC_One\",x\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-name=\"itv  1\",y\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-name=\"channel 4\",z\nhttp://a/3\n"
                      "#EXTINF:-1 tvg-name=\"BBCOne\",w\nhttp://a/4\n")
        << uk << "bbcone.uk itv1.uk ch4.uk -";
    QTest::newRow("the title when the playlist names no channel")
        << QByteArray("#EXTINF:-1,bbc one\nhttp://a/1\n#EXTINF:-1,Channel 4\nhttp://a/2\n"
                      "#EXTINF:-1,Film4\nhttp://a/3\n")
        << uk << "bbcone.uk ch4.uk -";
    QTest::newRow("tvg-id first, then tvg-name, then the title")
        << QByteArray("#EXTINF:-1 tvg-id=\"ch4.uk\" tvg-name=\"ITV\",BBC One\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-id=\"none.uk\" tvg-name=\"ITV\",BBC One\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-id=\"none.uk\" tvg-name=\"none\",BBC One\nhttp://a/3\n")
        << uk << "ch4.uk itv1.uk bbcone.uk";
    QTest::newRow("no match, nor by an untitled entry's address")
        << QByteArray("#EXTINF:-1 tvg-id=\"bbc\" tvg-name=\"BBC\",BBC 2\nhttp://a/1\n"
                      "http://a/2\n")
        << QList<XmltvChannel>{{"bbcone.uk", {"BBC One"}}, {"a2", {"http://a/2"}}} << "- -";
    QTest::newRow("any of a channel's names; a name shared: the first channel with it")
        << QByteArray("#EXTINF:-1 tvg-name=\"Shared\",x\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-name=\"B two\",y\nhttp://a/2\n"
                      "#EXTINF:-1,shared\nhttp://a/3\n")
        << QList<XmltvChannel>{{"a", {"A one", "Shared"}}, {"b", {"Shared", "B one", "B two"}}}
        << "a b a";
    QTest::newRow("several entries of one channel")
        << QByteArray("#EXTINF:-1 tvg-id=\"bbcone.uk\",BBC One HD\nhttp://a/1\n"
                      "#EXTINF:-1,BBC One\nhttp://a/2\n")
        << uk << "bbcone.uk bbcone.uk";
    QTest::newRow("tvg-shift per entry: negative, fractional; none")
        << QByteArray("#EXTINF:-1 tvg-id=\"bbcone.uk\" tvg-shift=\"2\",x\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-id=\"bbcone.uk\" tvg-shift=\"-1.5\",y\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-id=\"bbcone.uk\" tvg-shift=\"0.25\",z\nhttp://a/3\n"
                      "#EXTINF:-1 tvg-id=\"bbcone.uk\",w\nhttp://a/4\n")
        << uk << "bbcone.uk+120 bbcone.uk-90 bbcone.uk+15 bbcone.uk";
    QTest::newRow("tvg-shift from the header, unless the entry gives its own")
        << QByteArray("#EXTM3U tvg-shift=\"-1\"\n"
                      "#EXTINF:-1 tvg-id=\"bbcone.uk\",x\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-id=\"bbcone.uk\" tvg-shift=0,y\nhttp://a/2\n"
                      "#EXTINF:-1 tvg-id=\"itv1.uk\" tvg-shift=+1,z\nhttp://a/3\n")
        << uk << "bbcone.uk-60 bbcone.uk itv1.uk+60";
}

void TestChannelGuide::matching() {
    QFETCH(QByteArray, playlist);
    QFETCH(QList<XmltvChannel>, channels);
    QFETCH(QString, expected);
    const auto guide = channelGuideOf(playlist, guideOfChannels(channels));
    QVERIFY(guide);
    const qint32 entries = qint32(expected.count(u' ') + 1);
    QCOMPARE(render(*guide, entries), expected);
    QCOMPARE(guide->matchedEntries(), entries - expected.split(u' ').count(u"-"_qs));
    QVERIFY(!guide->hasChannel(entries));
    QVERIFY(!guide->hasChannel(-1));
}

// One channel with a gap between its second and third programmes; the second entry sees it an
// hour and a half earlier; the third has none.
void TestChannelGuide::times_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<qint32>("entry");
    QTest::addColumn<GuideTime>("from");
    QTest::addColumn<GuideTime>("to");
    QTest::addColumn<QString>("expected");
    const struct {
        const char *query;
        qint32 entry;
        const char *from;
        const char *to;
        const char *expected;
    } rows[] = {
        {"at", 0, "12:00", "", "One 12:00-13:00"},
        {"at", 0, "12:59", "", "One 12:00-13:00"},
        {"at", 0, "13:00", "", "Two 13:00-14:00"},
        {"at", 0, "14:00", "", ""},
        {"at", 0, "11:59", "", ""},
        {"at", 0, "16:00", "", ""},
        {"at", 1, "12:00", "", "Two 11:30-12:30"},
        {"at", 1, "10:30", "", "One 10:30-11:30"},
        {"at", 2, "12:00", "", ""},
        {"after", 0, "14:00", "", "Three 15:00-16:00"},
        {"after", 0, "11:00", "", "One 12:00-13:00"},
        {"after", 0, "15:00", "", ""},
        {"after", 1, "12:00", "", "Three 13:30-14:30"},
        {"after", 2, "00:00", "", ""},
        {"between", 0, "12:30", "15:30", "One 12:00-13:00, Two 13:00-14:00, Three 15:00-16:00"},
        {"between", 0, "13:00", "15:00", "Two 13:00-14:00"},
        {"between", 0, "14:00", "14:30", ""},
        {"between", 0, "00:00", "23:00", "One 12:00-13:00, Two 13:00-14:00, Three 15:00-16:00"},
        {"between", 0, "13:00", "13:00", ""},
        {"between", 0, "16:00", "18:00", ""},
        {"between", 1, "12:00", "13:31", "Two 11:30-12:30, Three 13:30-14:30"},
        {"between", 2, "00:00", "23:00", ""},
    };
    for (const auto &row : rows) {
        QTest::addRow("%s entry %d %s %s", row.query, row.entry, row.from, row.to)
            << row.query << row.entry << at(row.from) << (*row.to ? at(row.to) : 0) << row.expected;
    }
}

void TestChannelGuide::times() {
    QFETCH(QString, query);
    QFETCH(qint32, entry);
    QFETCH(GuideTime, from);
    QFETCH(GuideTime, to);
    QFETCH(QString, expected);
    const auto guide = channelGuideOf(
        "#EXTINF:-1 tvg-id=\"a\",A\nhttp://a/1\n"
        "#EXTINF:-1 tvg-id=\"a\" tvg-shift=-1.5,B\nhttp://a/2\n"
        "#EXTINF:-1 tvg-id=\"b\",C\nhttp://a/3\n",
        xmltvText({{"a", {"A"}}}, {{"a", Noon, Noon + Hour, "One"},
                                   {"a", Noon + Hour, Noon + 2 * Hour, "Two"},
                                   {"a", Noon + 3 * Hour, Noon + 4 * Hour, "Three"}}));
    QVERIFY(guide);
    std::vector<ProgrammeSlot> found;
    if (query == u"between") {
        found = guide->between(entry, from, to);
    } else {
        const std::optional<ProgrammeSlot> slot =
            query == u"at" ? guide->at(entry, from) : guide->after(entry, from);
        if (slot)
            found.push_back(*slot);
    }
    QStringList shown;
    for (const ProgrammeSlot &slot : found)
        shown << slotText(*guide, slot);
    QCOMPARE(shown.join(u", "_qs), expected);
}

// The details of a programme are the guide's, at the times shown for the entry.
void TestChannelGuide::details() {
    QByteArray xml = xmltvText({{"a", {"A"}}}, {});
    xml.replace("</tv>", "<programme start=\"20240301120000 +0100\" stop=\"20240301130000 +0100\" "
                         "channel=\"a\"><title>News</title><sub-title>Late</sub-title>"
                         "<desc>What happened.</desc><category>News</category>"
                         "<category>Current affairs</category>"
                         "<episode-num system=\"xmltv_ns\">0.4.</episode-num>"
                         "<icon src=\"http://i.example/n.png\"/></programme></tv>");
    const auto guide =
        channelGuideOf("#EXTINF:-1 tvg-id=\"a\" tvg-shift=\"0.5\",A\nhttp://a/1\n", xml);
    QVERIFY(guide);
    const std::optional<ProgrammeSlot> slot = guide->at(0, Noon - 30 * 60);
    QVERIFY(slot);
    QCOMPARE(slot->start, Noon - 30 * 60);
    const GuideProgramme programme = guide->details(*slot);
    QCOMPARE(programme.start, Noon - 30 * 60);
    QCOMPARE(programme.stop, Noon + 30 * 60);
    QCOMPARE(programme.title, "News");
    QCOMPARE(programme.subTitle, "Late");
    QCOMPARE(programme.description, "What happened.");
    QCOMPARE(programme.categories, QStringList({"News", "Current affairs"}));
    QCOMPARE(programme.episode, "S1 E5");
    QCOMPARE(programme.icon, "http://i.example/n.png");
}

// The span is that of the programmes the entries show, as they show them.
void TestChannelGuide::span() {
    const QByteArray xml = xmltvText({{"a", {"A"}}, {"b", {"B"}}, {"c", {"C"}}},
                                     {{"a", Noon, Noon + Hour, "A1"},
                                      {"a", Noon + Hour, Noon + 2 * Hour, "A2"},
                                      {"b", Noon - Hour, Noon, "B1"},
                                      {"c", Noon - 9 * Hour, Noon + 9 * Hour, "C1"}});
    const auto shifted = channelGuideOf("#EXTINF:-1 tvg-id=\"a\" tvg-shift=2,A\nhttp://a/1\n"
                                        "#EXTINF:-1 tvg-id=\"b\" tvg-shift=-1,B\nhttp://a/2\n",
                                        xml);
    QVERIFY(shifted);
    QCOMPARE(shifted->firstStart(), Noon - 2 * Hour);
    QCOMPARE(shifted->lastStop(), Noon + 4 * Hour);
    const auto none = channelGuideOf("#EXTINF:-1 tvg-id=\"d\",D\nhttp://a/1\n", xml);
    QVERIFY(none);
    QCOMPARE(none->firstStart(), 0);
    QCOMPARE(none->lastStop(), 0);
}

// A channel shown by several entries counts its programmes once.
void TestChannelGuide::counts() {
    const QByteArray xml = xmltvText({{"a", {"A"}}, {"b", {"B"}}, {"c", {"C"}}},
                                     {{"a", Noon, Noon + Hour, "A1"},
                                      {"a", Noon + Hour, Noon + 2 * Hour, "A2"},
                                      {"b", Noon, Noon + Hour, "B1"},
                                      {"c", Noon, Noon + Hour, "C1"}});
    const auto guide = channelGuideOf("#EXTINF:-1 tvg-id=\"a\",A\nhttp://a/1\n"
                                      "#EXTINF:-1,A\nhttp://a/2\n"
                                      "#EXTINF:-1 tvg-id=\"b\",B\nhttp://a/3\n"
                                      "#EXTINF:-1,D\nhttp://a/4\n",
                                      xml);
    QVERIFY(guide);
    QCOMPARE(guide->matchedEntries(), 3);
    QCOMPARE(guide->matchedProgrammes(), 3);
}

QTEST_APPLESS_MAIN(TestChannelGuide)
#include "tst_channelguide.moc"
