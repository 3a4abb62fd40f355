// XMLTV guides as they are found in the wild, read as their bytes arrive, plain, gzip or xz, in
// pieces of any size: channels, programmes and their texts, times in every zone, stops that are
// missing, overlaps, documents merged, damage that costs no more than the programme it is in,
// files that are no guide, limits, and documents that try to make the reader load or expand
// what they name.

#include "guide/GuideBuilder.h"
#include "support/GuideText.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <lzma.h>

Q_DECLARE_METATYPE(GuideLimits)

namespace {

// 2024-01-01 00:00 UTC, the day the documents below are on.
constexpr GuideTime Day = 1'704'067'200;

QByteArray tv(const QByteArray &body, const QByteArray &declaration = "UTF-8") {
    return "<?xml version=\"1.0\" encoding=\"" + declaration + "\"?>\n<tv>\n" + body + "</tv>\n";
}

// A programme on "a" from hh:mm to hh:mm of the day, titled.
QByteArray programme(const char *from, const char *to, const QByteArray &title,
                     const QByteArray &channel = "a") {
    return "<programme start=\"20240101" + QByteArray(from).replace(":", "") +
           "00 +0000\" stop=\"20240101" + QByteArray(to).replace(":", "") +
           "00 +0000\" channel=\"" + channel + "\"><title>" + title + "</title></programme>\n";
}

QByteArray xzCompressed(const QByteArray &bytes) {
    QByteArray out(qsizetype(lzma_stream_buffer_bound(std::size_t(bytes.size()))),
                   Qt::Uninitialized);
    std::size_t written = 0;
    lzma_easy_buffer_encode(1, LZMA_CHECK_CRC64, nullptr,
                            reinterpret_cast<const uint8_t *>(bytes.constData()),
                            std::size_t(bytes.size()), reinterpret_cast<uint8_t *>(out.data()),
                            &written, std::size_t(out.size()));
    out.resize(qsizetype(written));
    return out;
}

QString shownTime(GuideTime time) {
    const QDateTime at = QDateTime::fromSecsSinceEpoch(time, Qt::UTC);
    const QString clock = at.toString(at.time().second() == 0 ? u"HH:mm"_qs : u"HH:mm:ss"_qs);
    return time >= Day && time < Day + 86'400 ? clock : at.toString(u"yyyy-MM-dd "_qs) + clock;
}

// The guide as lines: each channel with its names and icon, then its programmes with what they
// have.
QString render(const Guide &guide) {
    QStringList lines;
    for (qsizetype c = 0; c < guide.channelCount(); ++c) {
        QString line = guide.channelId(c);
        if (!guide.displayNames(c).isEmpty())
            line += u" names="_qs + guide.displayNames(c).join(u'|');
        if (!guide.channelIcon(c).isEmpty())
            line += u" icon="_qs + guide.channelIcon(c);
        lines << line;
        const auto [first, end] = guide.programmesOf(c);
        for (qint32 p = first; p < end; ++p) {
            const GuideProgramme shown = guide.programme(p);
            QString item = u"  "_qs + shownTime(shown.start) + u'-' + shownTime(shown.stop) + u' ' +
                           shown.title;
            const std::pair<const char *, QString> fields[]{{"sub", shown.subTitle},
                                                            {"desc", shown.description},
                                                            {"cat", shown.categories.join(u',')},
                                                            {"ep", shown.episode},
                                                            {"icon", shown.icon}};
            for (const auto &[name, value] : fields) {
                if (!value.isEmpty())
                    item += u" "_qs + QLatin1StringView(name) + u"=["_qs + value + u']';
            }
            lines << item;
        }
    }
    return lines.join(u'\n');
}

QString summary(const GuideDocument &document) {
    QString text = QStringLiteral("%1 programmes, %2 channels")
                       .arg(document.programmes)
                       .arg(document.channels);
    if (document.unknownZones > 0)
        text += QStringLiteral(", %1 unknown zones").arg(document.unknownZones);
    if (!document.stopped.isEmpty())
        text += u": "_qs + document.stopped;
    return text;
}

enum class Form { Whole, Pieces, Gzip, Xz };
constexpr Form Forms[]{Form::Whole, Form::Pieces, Form::Gzip, Form::Xz};

const char *nameOf(Form form) {
    switch (form) {
    case Form::Whole:
        return "whole";
    case Form::Pieces:
        return "in small pieces";
    case Form::Gzip:
        return "gzip in small pieces";
    case Form::Xz:
        break;
    }
    return "xz in small pieces";
}

struct Read {
    QString guide;
    QStringList documents; // summary() of each
    bool refused = false;  // feed() said false for some document
    std::shared_ptr<const Guide> built;
};

// Feeds the bytes whole, or in pieces of 1 to 23 bytes that are the same on every run.
bool feedAll(GuideBuilder &builder, const QByteArray &bytes, bool whole, quint32 seed) {
    if (whole)
        return builder.feed(bytes);
    QRandomGenerator random(seed);
    bool accepted = true;
    for (qsizetype at = 0; at < bytes.size() && accepted;) {
        const qsizetype size = std::min<qsizetype>(random.bounded(1, 24), bytes.size() - at);
        accepted = builder.feed(QByteArrayView(bytes).sliced(at, size));
        at += size;
    }
    return accepted;
}

Read readDocuments(const QList<QByteArray> &documents, Form form = Form::Whole,
                   GuideLimits limits = {}) {
    GuideBuilder builder(limits);
    Read read;
    quint32 seed = 1;
    for (const QByteArray &document : documents) {
        const QByteArray bytes = form == Form::Gzip ? gzipped(document)
                                 : form == Form::Xz ? xzCompressed(document)
                                                    : document;
        builder.begin();
        read.refused |= !feedAll(builder, bytes, form == Form::Whole, seed++);
        read.documents << summary(builder.end());
    }
    read.built = builder.finish();
    read.guide = render(*read.built);
    return read;
}

// Expected lines, joined.
QString lines(const QStringList &list) {
    return list.join(u'\n');
}

} // namespace

class TestGuideReader : public QObject {
    Q_OBJECT

private slots:
    void shapes_data();
    void shapes();
    void times_data();
    void times();
    void episodes_data();
    void episodes();
    void damage_data();
    void damage();
    void cutOff();
    void compressedCutOff_data();
    void compressedCutOff();
    void notGuides_data();
    void notGuides();
    void limits_data();
    void limits();
    void nothingLoaded_data();
    void nothingLoaded();
    void entitiesNotExpanded();
    void documentsMerge_data();
    void documentsMerge();
    void queries();
    void textsKeptOnce();
    void manyTexts();
    void builderStartsAfresh();
};

// Each document read whole, in small pieces, and compressed both ways gives the same guide.
void TestGuideReader::shapes_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("guide");
    QTest::addColumn<QString>("summary");

    QTest::newRow("channel, programme with everything")
        << tv("<channel id=\"BBCOne.uk@SD\">\n"
              "  <display-name lang=\"en\">BBC One</display-name>\n"
              "  <display-name lang=\"cy\">BBC Un</display-name>\n"
              "  <display-name>BBC One</display-name>\n"
              "  <icon src=\"http://logos.example/bbc1.png\" />\n"
              "  <url>http://www.bbc.co.uk</url>\n"
              "</channel>\n"
              "<programme start=\"20240101060000 +0000\" stop=\"20240101091500 +0000\" "
              "channel=\"BBCOne.uk@SD\">\n"
              "  <title lang=\"en\">Breakfast</title>\n"
              "  <sub-title lang=\"en\">Monday</sub-title>\n"
              "  <desc lang=\"en\">The latest news, sport and weather.</desc>\n"
              "  <credits><presenter>Jane Doe</presenter></credits>\n"
              "  <category lang=\"en\">News</category>\n"
              "  <category lang=\"en\">Magazine</category>\n"
              "  <icon src=\"http://img.example/breakfast.jpg\" />\n"
              "  <episode-num system=\"xmltv_ns\">3.11.</episode-num>\n"
              "  <rating system=\"UK\"><value>U</value><icon src=\"http://img.example/u.png\"/>"
              "</rating>\n"
              "</programme>\n")
        << lines({u"BBCOne.uk@SD names=BBC One|BBC Un icon=http://logos.example/bbc1.png"_qs,
                  u"  06:00-09:15 Breakfast sub=[Monday] desc=[The latest news, sport and "
                  "weather.] cat=[News,Magazine] ep=[S4 E12] "
                  "icon=[http://img.example/breakfast.jpg]"_qs})
        << u"1 programmes, 1 channels"_qs;
    QTest::newRow("several languages: the first of each text")
        << tv("<programme start=\"20240101100000\" stop=\"20240101110000\" channel=\"a\">"
              "<title lang=\"de\">Tagesschau</title><title lang=\"en\">Daily News</title>"
              "<desc lang=\"de\">Nachrichten</desc><desc lang=\"en\">News</desc>"
              "<category lang=\"de\">Nachrichten</category><category lang=\"en\">News"
              "</category><category lang=\"de\">Politik</category>"
              "<category lang=\"de\">Nachrichten</category></programme>\n")
        << lines({u"a"_qs, u"  10:00-11:00 Tagesschau desc=[Nachrichten] "
                           "cat=[Nachrichten,Politik]"_qs})
        << u"1 programmes, 0 channels"_qs;
    QTest::newRow("child elements in any order, empty ones passed over")
        << tv("<programme channel=\"a\" stop=\"20240101110000\" start=\"20240101100000\">"
              "<icon src=\"i.png\"/><desc>D</desc><title></title><category>C</category>"
              "<title>T</title><sub-title>S</sub-title><date>2024</date></programme>\n")
        << lines({u"a"_qs, u"  10:00-11:00 T sub=[S] desc=[D] cat=[C] icon=[i.png]"_qs})
        << u"1 programmes, 0 channels"_qs;
    QTest::newRow("channels: ids of a feed, case ignored, duplicates merged")
        << tv("<channel id=\"BBCOne.uk@SD\"><display-name>BBC One</display-name></channel>\n"
              "<channel id=\"ITV1.uk@HD\"><display-name>ITV1 HD</display-name></channel>\n"
              "<channel id=\"bbcone.UK@sd\"><display-name>BBC 1</display-name>"
              "<display-name>BBC One</display-name><icon src=\"b.png\"/></channel>\n" +
              programme("10:00", "11:00", "News", "BBCONE.UK@SD") +
              programme("10:00", "10:30", "Morning", "itv1.uk@hd"))
        << lines({u"BBCOne.uk@SD names=BBC One|BBC 1 icon=b.png"_qs, u"  10:00-11:00 News"_qs,
                  u"ITV1.uk@HD names=ITV1 HD"_qs, u"  10:00-10:30 Morning"_qs})
        << u"2 programmes, 3 channels"_qs;
    QTest::newRow("channels without a channel element, in order of appearance")
        << tv(programme("12:00", "13:00", "Z1", "zulu") + programme("10:00", "11:00", "A1") +
              "<channel id=\"zulu\"><display-name>Zulu TV</display-name></channel>\n")
        << lines(
               {u"zulu names=Zulu TV"_qs, u"  12:00-13:00 Z1"_qs, u"a"_qs, u"  10:00-11:00 A1"_qs})
        << u"2 programmes, 1 channels"_qs;
    QTest::newRow("missing stops: the next programme's start; the last has none")
        << tv("<programme start=\"20240101100000 +0000\" channel=\"a\"><title>One</title>"
              "</programme>\n"
              "<programme start=\"20240101120000 +0000\" channel=\"a\"><title>Three</title>"
              "</programme>\n"
              "<programme start=\"20240101110000 +0000\" channel=\"a\"><title>Two</title>"
              "</programme>\n")
        << lines({u"a"_qs, u"  10:00-11:00 One"_qs, u"  11:00-12:00 Two"_qs})
        << u"2 programmes, 0 channels"_qs;
    QTest::newRow("a stop before the start counts as none")
        << tv("<programme start=\"20240101233000\" stop=\"20240101003000\" channel=\"a\">"
              "<title>Late</title></programme>\n" +
              programme("23:45", "23:59", "Later"))
        << lines({u"a"_qs, u"  23:30-23:45 Late"_qs, u"  23:45-23:59 Later"_qs})
        << u"2 programmes, 0 channels"_qs;
    QTest::newRow("overlaps: the later start ends the earlier; the first of one start stays")
        << tv(programme("10:00", "12:00", "Long") + programme("11:00", "11:30", "Inside") +
              programme("11:00", "11:45", "Same start") + programme("11:30", "12:30", "Last"))
        << lines({u"a"_qs, u"  10:00-11:00 Long"_qs, u"  11:00-11:30 Inside"_qs,
                  u"  11:30-12:30 Last"_qs})
        << u"3 programmes, 0 channels"_qs;
    QTest::newRow("texts trimmed, entities, CDATA, character references")
        << tv("<programme start=\"20240101100000\" stop=\"20240101110000\" channel=\" a \">"
              "<title>\n   Tom &amp; Jerry &lt;3&gt; &#233;t&#xE9; &#x263A; &quot;&apos;\t</title>"
              "<desc><![CDATA[ <b>Bold</b> & more ]]></desc>"
              "<sub-title>Part <![CDATA[one]]> of two</sub-title></programme>\n")
        << lines({u"a"_qs, u"  10:00-11:00 Tom & Jerry <3> été ☺ \"' sub=[Part one of two] "
                           "desc=[<b>Bold</b> & more]"_qs})
        << u"1 programmes, 0 channels"_qs;
    QTest::newRow("ISO-8859-1")
        << tv("<programme start=\"20240101100000\" stop=\"20240101110000\" channel=\"a\">"
              "<title>Caf\xe9 m\xfcnchen \xbd</title></programme>\n",
              "ISO-8859-1")
        << lines({u"a"_qs, u"  10:00-11:00 Café münchen ½"_qs}) << u"1 programmes, 0 channels"_qs;
    QTest::newRow("ISO-8859-2")
        << tv("<channel id=\"tvp\"><display-name>TVP \xa3\xf3\x64\xbc</display-name></channel>"
              "<programme start=\"20240101100000\" stop=\"20240101110000\" channel=\"tvp\">"
              "<title>Wiadomo\xb6\x63i \xbfycia \xb3\xf3\x64\xbc</title></programme>\n",
              "ISO-8859-2")
        << lines({u"tvp names=TVP Łódź"_qs, u"  10:00-11:00 Wiadomości życia łódź"_qs})
        << u"1 programmes, 1 channels"_qs;
    QTest::newRow("UTF-8 everywhere: text, attributes, CDATA, comments, instructions")
        << tv("<!-- Programmübersicht für «Kanal» --><?tool zürich?>"
              "<channel id=\"kanal-ü\"><display-name>Kanal Ü</display-name>"
              "<icon src=\"http://logos.example/ü.png\"/></channel>"
              "<programme start=\"20240101100000\" stop=\"20240101110000\" channel=\"KANAL-Ü\">"
              "<title lang=\"de\">Grüße aus Köln — „Tatort“ 🎬</title>"
              "<desc><![CDATA[Straße & <b>Gasse</b> ½]]> und mehr…</desc>"
              "<sub-title>\xe2\x80\xa8Zeile\xc2\xa0zwei\xe2\x80\xa8</sub-title></programme>\n")
        << lines({u"kanal-ü names=Kanal Ü icon=http://logos.example/ü.png"_qs,
                  u"  10:00-11:00 Grüße aus Köln — „Tatort“ 🎬 sub=[\u2028Zeile\u00a0zwei\u2028] "
                  "desc=[Straße & <b>Gasse</b> ½ und mehr…]"_qs})
        << u"1 programmes, 1 channels"_qs;
    QTest::newRow("ISO-8859-1 in CDATA and attributes")
        << tv("<programme start=\"20240101100000\" stop=\"20240101110000\" channel=\"\xe9t\xe9\">"
              "<title><![CDATA[\xc0 la carte]]> \xe0 Paris</title></programme>\n",
              "iso-8859-1")
        << lines({u"été"_qs, u"  10:00-11:00 À la carte à Paris"_qs})
        << u"1 programmes, 0 channels"_qs;
    QTest::newRow("bytes that are no UTF-8 read as Windows-1252, costing nothing else")
        << tv("<channel id=\"caf\xe9\"><display-name><![CDATA[Caf\xe9 TV]]></display-name>"
              "</channel>"
              "<programme start=\"20240101100000\" stop=\"20240101110000\" channel=\"caf\xe9\">"
              "<title>\x93"
              "Caf\xe9\x94 \xe2\x82 cut \xff</title></programme>\n"
              "<programme start=\"20240101110000\" stop=\"20240101120000\" channel=\"caf\xc3\xa9\">"
              "<title>Th\xc3\xa9 &#233;</title></programme>\n")
        << lines({u"café names=Café TV"_qs, u"  10:00-11:00 “Café” â\u201a cut ÿ"_qs,
                  u"  11:00-12:00 Thé é"_qs})
        << u"2 programmes, 1 channels"_qs;
    QTest::newRow("windows-1252, read as it says")
        << tv("<programme start=\"20240101100000\" stop=\"20240101110000\" channel=\"a\">"
              "<title>\x93Quoted\x94 \x80 5</title></programme>\n",
              "windows-1252")
        << lines({u"a"_qs, u"  10:00-11:00 “Quoted” € 5"_qs}) << u"1 programmes, 0 channels"_qs;
    QTest::newRow("UTF-8 with a byte-order mark and no declaration")
        << QByteArray("\xef\xbb\xbf<tv>" + programme("10:00", "11:00", "Ελληνικά ☺") + "</tv>")
        << lines({u"a"_qs, u"  10:00-11:00 Ελληνικά ☺"_qs}) << u"1 programmes, 0 channels"_qs;
    QTest::newRow("a DTD named and declared, never loaded")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<tv generator-info-name=\"g\">" +
                      programme("10:00", "11:00", "T") + "</tv>")
        << lines({u"a"_qs, u"  10:00-11:00 T"_qs}) << u"1 programmes, 0 channels"_qs;
    QTest::newRow("programmes without a time or channel dropped")
        << tv("<programme stop=\"20240101110000\" channel=\"a\"><title>No start</title>"
              "</programme>\n"
              "<programme start=\"20240101100000\" stop=\"20240101110000\"><title>No channel"
              "</title></programme>\n"
              "<programme start=\"2024010110\" stop=\"20240101110000\" channel=\"a\">"
              "<title>Bad start</title></programme>\n"
              "<programme start=\"20240101100000\" stop=\"tomorrow\" channel=\"a\">"
              "<title>Bad stop</title></programme>\n" +
              programme("12:00", "13:00", "Good"))
        << lines({u"a"_qs, u"  12:00-13:00 Good"_qs}) << u"1 programmes, 0 channels"_qs;
    QTest::newRow("an empty guide") << QByteArray("<?xml version=\"1.0\"?><tv/>") << QString()
                                    << u"0 programmes, 0 channels"_qs;
}

void TestGuideReader::shapes() {
    QFETCH(QByteArray, document);
    QFETCH(QString, guide);
    QFETCH(QString, summary);
    for (const Form form : Forms) {
        const Read read = readDocuments({document}, form);
        QVERIFY2(
            read.guide == guide,
            qPrintable(
                QStringLiteral("%1:\n%2").arg(QLatin1StringView(nameOf(form))).arg(read.guide)));
        QCOMPARE(read.documents, QStringList{summary});
    }
}

void TestGuideReader::times_data() {
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QString>("shown"); // empty: the programme is dropped
    QTest::addColumn<int>("unknownZones");

    QTest::newRow("seconds, UTC offset")
        << QByteArray("20240101103015 +0000") << u"10:30:15"_qs << 0;
    QTest::newRow("no seconds") << QByteArray("202401011030 +0000") << u"10:30"_qs << 0;
    QTest::newRow("no zone is UTC") << QByteArray("20240101103000") << u"10:30"_qs << 0;
    QTest::newRow("no space before the offset")
        << QByteArray("20240101103000+0100") << u"09:30"_qs << 0;
    QTest::newRow("spaces around") << QByteArray("  20240101103000   -0500 ") << u"15:30"_qs << 0;
    QTest::newRow("offset with a colon") << QByteArray("20240101103000 +01:00") << u"09:30"_qs << 0;
    QTest::newRow("half hour east") << QByteArray("20240101103000 +0530") << u"05:00"_qs << 0;
    QTest::newRow("quarter hour east") << QByteArray("20240101103000 +0545") << u"04:45"_qs << 0;
    QTest::newRow("half hour west, colon")
        << QByteArray("20240101103000 -03:30") << u"14:00"_qs << 0;
    QTest::newRow("back over midnight")
        << QByteArray("20240101003000 +0100") << u"2023-12-31 23:30"_qs << 0;
    QTest::newRow("Z") << QByteArray("20240101103000Z") << u"10:30"_qs << 0;
    QTest::newRow("UTC") << QByteArray("20240101103000 UTC") << u"10:30"_qs << 0;
    QTest::newRow("GMT") << QByteArray("20240101103000 GMT") << u"10:30"_qs << 0;
    QTest::newRow("an unknown zone name is UTC, counted")
        << QByteArray("20240101103000 CET") << u"10:30"_qs << 1;
    QTest::newRow("leap day") << QByteArray("20240229120000") << u"2024-02-29 12:00"_qs << 0;
    QTest::newRow("a leap second") << QByteArray("20231231235960") << u"00:00"_qs << 0;
    QTest::newRow("no leap day in 2023") << QByteArray("20230229120000") << QString() << 0;
    QTest::newRow("hours only") << QByteArray("2024010110") << QString() << 0;
    QTest::newRow("odd digits") << QByteArray("2024010110301") << QString() << 0;
    QTest::newRow("month 13") << QByteArray("20241301103000") << QString() << 0;
    QTest::newRow("hour 24") << QByteArray("20240101243000") << QString() << 0;
    QTest::newRow("minute 60") << QByteArray("20240101106000") << QString() << 0;
    QTest::newRow("an offset too far") << QByteArray("20240101103000 +2500") << QString() << 0;
    QTest::newRow("an offset cut short") << QByteArray("20240101103000 +01") << QString() << 0;
    QTest::newRow("words") << QByteArray("yesterday") << QString() << 0;
    QTest::newRow("a zone that is no name")
        << QByteArray("20240101103000 +01:00 x") << QString() << 0;
}

void TestGuideReader::times() {
    QFETCH(QByteArray, start);
    QFETCH(QString, shown);
    QFETCH(int, unknownZones);
    const Read read = readDocuments({tv("<programme start=\"" + start +
                                        "\" stop=\"20300101000000\" channel=\"a\">"
                                        "<title>T</title></programme>")});
    const QString expected = shown.isEmpty()
                                 ? u"0 programmes, 0 channels"_qs
                                 : QStringLiteral("1 programmes, 0 channels%1")
                                       .arg(unknownZones ? u", 1 unknown zones"_qs : QString());
    QCOMPARE(read.documents, QStringList{expected});
    if (!shown.isEmpty())
        QCOMPARE(read.guide, u"a\n  "_qs + shown + u"-2030-01-01 00:00 T"_qs);
}

void TestGuideReader::episodes_data() {
    QTest::addColumn<QByteArray>("numbers");
    QTest::addColumn<QString>("shown");

    const auto ns = [](const char *number) {
        return "<episode-num system=\"xmltv_ns\">" + QByteArray(number) + "</episode-num>";
    };
    const auto onscreen = [](const char *number) {
        return "<episode-num system=\"onscreen\">" + QByteArray(number) + "</episode-num>";
    };
    QTest::newRow("season and episode") << ns("0.4.") << u"S1 E5"_qs;
    QTest::newRow("with the part") << ns("1.2.0/2") << u"S2 E3"_qs;
    QTest::newRow("with totals") << ns("0/3.4/10.") << u"S1 E5"_qs;
    QTest::newRow("spaces") << ns(" 2 . 9 . ") << u"S3 E10"_qs;
    QTest::newRow("episode alone") << ns(".11.") << u"E12"_qs;
    QTest::newRow("season alone") << ns("4..") << u"S5"_qs;
    QTest::newRow("no part at all") << ns("0.0") << u"S1 E1"_qs;
    QTest::newRow("nothing in it") << ns("..") << QString();
    QTest::newRow("onscreen as written") << onscreen("Ep. 12/24") << u"Ep. 12/24"_qs;
    QTest::newRow("xmltv_ns rather than onscreen, whichever comes first")
        << onscreen("Episode five") + ns("0.4.") << u"S1 E5"_qs;
    QTest::newRow("onscreen when xmltv_ns gives nothing")
        << ns("..") + onscreen("Pilot") << u"Pilot"_qs;
    QTest::newRow("onscreen when xmltv_ns is no number")
        << ns("one.two.") + onscreen("S1E2") << u"S1E2"_qs;
    QTest::newRow("other systems passed over")
        << "<episode-num system=\"dd_progid\">EP0001</episode-num>" + ns("2.0.") << u"S3 E1"_qs;
    QTest::newRow("the first of a system") << ns("0.0.") + ns("5.5.") << u"S1 E1"_qs;
}

void TestGuideReader::episodes() {
    QFETCH(QByteArray, numbers);
    QFETCH(QString, shown);
    const Read read =
        readDocuments({tv("<programme start=\"20240101100000\" stop=\"20240101110000\" "
                          "channel=\"a\"><title>T</title>" +
                          numbers + "</programme>")});
    QCOMPARE(read.guide,
             u"a\n  10:00-11:00 T"_qs + (shown.isEmpty() ? QString() : u" ep=["_qs + shown + u']'));
}

// A document of ten good programmes with damage in the fifth: every other one is read as it
// stands.
void TestGuideReader::damage_data() {
    QTest::addColumn<QByteArray>("damaged");

    QTest::newRow("a stray ampersand") << programme("14:00", "15:00", "Tom & Jerry");
    QTest::newRow("an HTML entity") << programme("14:00", "15:00", "Tom&nbsp;Jerry");
    QTest::newRow("an undeclared entity in an attribute")
        << QByteArray("<programme start=\"&start;\" stop=\"20240101150000\" channel=\"a\">"
                      "<title>X</title></programme>");
    QTest::newRow("a control character") << programme("14:00", "15:00", "Tom\x01Jerry\x1b");
    QTest::newRow("a character reference to a control character")
        << programme("14:00", "15:00", "Tom&#1;Jerry");
    QTest::newRow("bytes that are no UTF-8") << programme("14:00", "15:00", "Caf\xe9 \xff\xfe");
    QTest::newRow("an unclosed tag")
        << QByteArray("<programme start=\"20240101140000\" stop=\"20240101150000\" "
                      "channel=\"a\"><title>Unclosed</programme>");
    QTest::newRow("a start tag cut short")
        << QByteArray("<programme start=\"20240101140000\" stop=\"20240101150000\" "
                      "channel=\"a\"><title Unclosed</title></programme>");
    QTest::newRow("an end tag that closes nothing")
        << QByteArray("<programme start=\"20240101140000\" stop=\"20240101150000\" "
                      "channel=\"a\"><title>X</title></desc></programme>");
    QTest::newRow("end tags that close too much")
        << QByteArray("<programme start=\"20240101140000\" stop=\"20240101150000\" "
                      "channel=\"a\"><title>X</title></programme></tv></tv>");
    QTest::newRow("an attribute without quotes")
        << QByteArray("<programme start=20240101140000 stop=\"20240101150000\" channel=\"a\">"
                      "<title>X</title></programme>");
    QTest::newRow("an unclosed attribute")
        << QByteArray("<programme start=\"20240101140000 stop=\"20240101150000\" channel=\"a\">"
                      "<title>X</title></programme>");
    QTest::newRow("a second root element") << QByteArray("</tv><tv>");
    QTest::newRow("text outside any element") << QByteArray("</tv>stray words<tv>");
    QTest::newRow("a NUL byte") << programme("14:00", "15:00", "X@Y").replace('@', '\0');
    QTest::newRow("deep nesting") << QByteArray(
        "<programme start=\"20240101140000\" stop=\"20240101150000\" "
        "channel=\"a\"><title>X</title>" +
        QByteArray("<credits>").repeated(300) + "</programme>");
}

void TestGuideReader::damage() {
    QFETCH(QByteArray, damaged);
    QByteArray body;
    QStringList good;
    for (int hour = 10; hour < 20; ++hour) {
        const QByteArray from = QByteArray::number(hour) + ":00";
        const QByteArray to = QByteArray::number(hour) + ":45";
        if (hour == 14) {
            body += damaged + '\n';
            continue;
        }
        body += programme(from, to, "Show " + QByteArray::number(hour));
        good << QStringLiteral("  %1:00-%1:45 Show %1").arg(hour);
    }
    for (const Form form : {Form::Whole, Form::Pieces}) {
        const Read read = readDocuments({tv(body)}, form);
        QStringList shown = read.guide.split(u'\n');
        QCOMPARE(shown.value(0), u"a"_qs);
        shown.removeFirst();
        // The damaged one may stay, or not, or lose what followed the damage.
        shown.removeIf([](const QString &line) { return line.startsWith(u"  14:00-"_qs); });
        QCOMPARE(shown, good);
    }
}

// A download that breaks off anywhere after the root element keeps every programme that ended
// before.
void TestGuideReader::cutOff() {
    QByteArray body;
    for (int hour = 10; hour < 16; ++hour) {
        body += programme(QByteArray::number(hour) + ":00", QByteArray::number(hour) + ":30",
                          "Show " + QByteArray::number(hour) + " &amp; more");
    }
    const QByteArray document = tv(body);
    const qsizetype rootEnd = document.indexOf("<tv>") + 4;
    const qsizetype documentEnd = document.lastIndexOf("</tv>");
    for (qsizetype cut = rootEnd; cut < documentEnd; ++cut) {
        const QByteArray prefix = document.first(cut);
        const int complete = int(prefix.count("</programme>"));
        // A programme cut in its own end tag has been read whole, and may stay.
        const bool inEndTag = prefix.lastIndexOf("</title></") > prefix.lastIndexOf("</programme>");
        const Read read = readDocuments({prefix});
        const int kept = read.built->programmeCount();
        QVERIFY2(kept == complete || (inEndTag && kept == complete + 1),
                 qPrintable(QStringLiteral("%1 kept of %2 read whole, cut at %3")
                                .arg(kept)
                                .arg(complete)
                                .arg(cut)));
        QStringList expected{u"a"_qs};
        for (int i = 0; i < kept; ++i)
            expected << QStringLiteral("  %1:00-%1:30 Show %1 & more").arg(10 + i);
        QCOMPARE(read.guide, kept == 0 ? QString() : expected.join(u'\n'));
        QCOMPARE(read.documents,
                 QStringList{QStringLiteral("%1 programmes, 0 channels: it is cut off").arg(kept)});
    }
}

void TestGuideReader::compressedCutOff_data() {
    QTest::addColumn<bool>("xz");
    QTest::newRow("gzip") << false;
    QTest::newRow("xz") << true;
}

// Compressed data that breaks off keeps what came out of it before.
void TestGuideReader::compressedCutOff() {
    QFETCH(bool, xz);
    QByteArray body;
    for (int minute = 0; minute < 3000; ++minute) {
        const GuideTime start = Day + minute * 60;
        body += "<programme start=\"" + xmltvTime(start) + "\" stop=\"" + xmltvTime(start + 60) +
                "\" channel=\"a\"><title>Minute " + QByteArray::number(minute) +
                "</title></programme>\n";
    }
    const QByteArray compressed = xz ? xzCompressed(tv(body)) : gzipped(tv(body));
    GuideBuilder builder;
    builder.begin();
    QVERIFY(builder.feed(compressed.first(compressed.size() / 2)));
    const GuideDocument document = builder.end();
    QCOMPARE(document.stopped, u"it is cut off"_qs);
    QVERIFY2(document.programmes > 100, qPrintable(summary(document)));
    QVERIFY(document.programmes < 3000);
    const std::shared_ptr<const Guide> guide = builder.finish();
    QCOMPARE(guide->programmeCount(), document.programmes);
    for (qint32 p = 0; p < guide->programmeCount(); ++p)
        QCOMPARE(guide->title(p), QStringLiteral("Minute %1").arg(p));
}

void TestGuideReader::notGuides_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("stopped");

    const QString notXmltv = u"it is not an XMLTV guide"_qs;
    QTest::newRow("an HTML page")
        << QByteArray("<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>"
                      "<body><h1>Not Found</h1><p>The guide&nbsp;moved<br></p>" +
                      programme("10:00", "11:00", "Not in a guide") + "</body></html>\n")
        << notXmltv;
    QTest::newRow("an HTML page, gzip")
        << gzipped("<html><body><tv>" + programme("10:00", "11:00", "No") + "</tv></body></html>")
        << notXmltv;
    QTest::newRow("an RSS feed") << QByteArray("<?xml version=\"1.0\"?><rss><channel id=\"a\">"
                                               "<title>T</title></channel></rss>")
                                 << notXmltv;
    QTest::newRow("JSON") << QByteArray("{\"programmes\": []}") << notXmltv;
    QTest::newRow("text") << QByteArray("Service unavailable\n") << notXmltv;
    QTest::newRow("a declaration alone") << QByteArray("<?xml version=\"1.0\"?>\n") << notXmltv;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << notXmltv;
    QTest::newRow("nothing") << QByteArray() << u"it is empty"_qs;
    QTest::newRow("white space") << QByteArray(" \n\t\r\n ") << u"it is empty"_qs;
    QTest::newRow("a byte-order mark alone") << QByteArray("\xef\xbb\xbf\n") << u"it is empty"_qs;
    QTest::newRow("gzip of nothing") << gzipped({}) << u"it is empty"_qs;
    QTest::newRow("xz of nothing") << xzCompressed({}) << u"it is empty"_qs;
    QTest::newRow("gzip's magic alone") << QByteArray("\x1f\x8b") << u"it is cut off"_qs;
    QTest::newRow("damaged gzip") << QByteArray::fromHex("1f8b0800000000000003") +
                                         "garbage that is no deflate stream"
                                  << u"its compressed data is damaged"_qs;
    QTest::newRow("damaged xz") << QByteArray::fromHex("fd377a585a00") + " and no xz stream"
                                << u"its compressed data is damaged"_qs;
}

void TestGuideReader::notGuides() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, stopped);
    for (const Form form : {Form::Whole, Form::Pieces}) {
        const Read read = readDocuments({bytes}, form);
        QCOMPARE(read.documents, QStringList{u"0 programmes, 0 channels: "_qs + stopped});
        QCOMPARE(read.guide, QString());
    }
}

// Past a limit the reading stops, feed() says so, and what was read before stays.
void TestGuideReader::limits_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<GuideLimits>("limits");
    QTest::addColumn<QString>("stopped");
    // Whether feed() says so at once; past the programmes it may only later.
    QTest::addColumn<bool>("refusedAtOnce");

    QByteArray body;
    for (int minute = 0; minute < 2000; ++minute) {
        const GuideTime start = Day + minute * 60;
        body += "<programme start=\"" + xmltvTime(start) + "\" stop=\"" + xmltvTime(start + 60) +
                "\" channel=\"a\"><title>T</title></programme>\n";
    }
    const QByteArray guide = tv(body);
    // A gzip bomb: a few kilobytes that would be a hundred mebibytes of one comment.
    const QByteArray bomb = gzipped(tv(programme("10:00", "11:00", "Before") + "<!-- " +
                                       QByteArray(100 * 1024 * 1024, ' ') + " -->" +
                                       programme("11:00", "12:00", "After")));

    GuideLimits small;
    small.decompressedBytes = 1024 * 1024;
    QTest::newRow("a gzip bomb") << bomb << small << u"it stops after 1 MiB decompressed"_qs
                                 << true;
    small = {};
    small.decompressedBytes = 20'000;
    QTest::newRow("decompressed, plain")
        << guide << small << u"it stops after 20,000 bytes decompressed"_qs << true;
    small = {};
    small.downloadedBytes = 10 * 1024;
    QTest::newRow("downloaded") << guide << small << u"it stops after 10 KiB downloaded"_qs << true;
    small = {};
    small.programmes = 1000;
    QTest::newRow("programmes") << guide << small << u"it stops at 1,000 programmes"_qs << false;
    QTest::newRow("programmes, xz")
        << xzCompressed(guide) << small << u"it stops at 1,000 programmes"_qs << false;
}

void TestGuideReader::limits() {
    QFETCH(QByteArray, bytes);
    QFETCH(GuideLimits, limits);
    QFETCH(QString, stopped);
    QFETCH(bool, refusedAtOnce);
    GuideBuilder builder(limits);
    builder.begin();
    bool refused = false;
    for (qsizetype at = 0; at < bytes.size() && !refused; at += 4096)
        refused = !builder.feed(
            QByteArrayView(bytes).sliced(at, std::min<qsizetype>(4096, bytes.size() - at)));
    QCOMPARE(refused || !refusedAtOnce, true);
    const GuideDocument document = builder.end();
    QCOMPARE(document.stopped, stopped);
    QVERIFY(document.programmes > 0);
    if (limits.programmes < GuideLimits{}.programmes)
        QCOMPARE(document.programmes, limits.programmes);
    QCOMPARE(builder.finish()->programmeCount(), document.programmes);
    // The next document is read afresh.
    builder.begin();
    QVERIFY(builder.feed(tv(programme("10:00", "11:00", "Next"))));
}

// Whatever a document names outside itself is never read: a file named by an external entity or
// by the DTD is not there in the guide, nor is anything that it declares.
void TestGuideReader::nothingLoaded_data() {
    QTest::addColumn<QByteArray>("prologue");
    QTest::addColumn<QByteArray>("reference");

    QTest::newRow("external entity")
        << QByteArray("<!DOCTYPE tv [<!ENTITY x SYSTEM \"SECRET\">]>") << QByteArray("&x;");
    QTest::newRow("external parameter entity")
        << QByteArray("<!DOCTYPE tv [<!ENTITY % p SYSTEM \"SECRET\"> %p;]>") << QByteArray("&y;");
    QTest::newRow("external DTD") << QByteArray("<!DOCTYPE tv SYSTEM \"SECRET\">")
                                  << QByteArray("&y;");
    QTest::newRow("public DTD") << QByteArray("<!DOCTYPE tv PUBLIC \"-//x//y\" \"SECRET\">")
                                << QByteArray("&y;");
}

void TestGuideReader::nothingLoaded() {
    QFETCH(QByteArray, prologue);
    QFETCH(QByteArray, reference);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString secret = u"kept-from-the-guide-7f3a"_qs;
    // Read as an entity's text, and as a DTD that declares one.
    QFile file(folder.filePath(u"secret.txt"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<!ENTITY y \"" + secret.toUtf8() + "\">" + secret.toUtf8());
    file.close();
    const QByteArray url = QUrl::fromLocalFile(file.fileName()).toEncoded();
    const QByteArray document =
        "<?xml version=\"1.0\"?>\n" + QByteArray(prologue).replace("SECRET", url) +
        "\n<tv><programme start=\"20240101100000\" stop=\"20240101110000\" channel=\"a" +
        reference + "\"><title>Before " + reference + " after</title><desc>" + reference +
        "</desc></programme></tv>";
    const Read read = readDocuments({document});
    QVERIFY2(!read.guide.contains(secret), qPrintable(read.guide));
    QVERIFY2(read.guide.contains(u"Before"_qs), qPrintable(read.guide));
}

// Entities that a document declares are not expanded, however they nest: the billion laughs.
void TestGuideReader::entitiesNotExpanded() {
    QByteArray declarations = "<!ENTITY lol0 \"lol\">";
    for (int level = 1; level < 10; ++level) {
        declarations += "<!ENTITY lol" + QByteArray::number(level) + " \"" +
                        ("&lol" + QByteArray::number(level - 1) + ";").repeated(10) + "\">";
    }
    const QByteArray document = "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [" + declarations +
                                "]>\n<tv>" + programme("10:00", "11:00", "Laughs &lol9;!") +
                                programme("11:00", "12:00", "&lol0;") + "</tv>";
    const Read read = readDocuments({document});
    QCOMPARE(read.guide, lines({u"a"_qs, u"  10:00-11:00 Laughs !"_qs, u"  11:00-12:00 "_qs}));
}

// Documents read one after another make one guide; where two have a programme for the same
// channel and time, the earlier document's stays.
void TestGuideReader::documentsMerge_data() {
    QTest::addColumn<QList<QByteArray>>("documents");
    QTest::addColumn<QString>("guide");
    QTest::addColumn<QStringList>("summaries");

    QTest::newRow("gaps filled, overlaps dropped")
        << QList<QByteArray>{tv(programme("10:00", "11:00", "First 10") +
                                programme("12:00", "13:00", "First 12")),
                             tv(programme("09:00", "10:00", "Second 9") +
                                programme("10:30", "11:30", "Second 10:30") +
                                programme("11:00", "12:00", "Second 11") +
                                programme("12:30", "14:00", "Second 12:30") +
                                programme("14:00", "15:00", "Second 14"))}
        << lines({u"a"_qs, u"  09:00-10:00 Second 9"_qs, u"  10:00-11:00 First 10"_qs,
                  u"  11:00-12:00 Second 11"_qs, u"  12:00-13:00 First 12"_qs,
                  u"  14:00-15:00 Second 14"_qs})
        << QStringList{u"2 programmes, 0 channels"_qs, u"3 programmes, 0 channels"_qs};
    QTest::newRow("channels matched across documents, names merged")
        << QList<QByteArray>{tv("<channel id=\"One.uk\"><display-name>One</display-name>"
                                "</channel>" +
                                programme("10:00", "11:00", "A", "One.uk")),
                             tv("<channel id=\"one.UK\"><display-name>BBC One</display-name>"
                                "<display-name>One</display-name></channel>"
                                "<channel id=\"Two.uk\"/>" +
                                programme("10:00", "11:00", "B", "ONE.uk") +
                                programme("10:00", "11:00", "C", "Two.uk"))}
        << lines({u"One.uk names=One|BBC One"_qs, u"  10:00-11:00 A"_qs, u"Two.uk"_qs,
                  u"  10:00-11:00 C"_qs})
        << QStringList{u"1 programmes, 1 channels"_qs, u"1 programmes, 2 channels"_qs};
    QTest::newRow("a document that is no guide costs nothing else")
        << QList<QByteArray>{tv(programme("10:00", "11:00", "A")), "<html></html>",
                             gzipped(tv(programme("11:00", "12:00", "B")))}
        << lines({u"a"_qs, u"  10:00-11:00 A"_qs, u"  11:00-12:00 B"_qs})
        << QStringList{u"1 programmes, 0 channels"_qs,
                       u"0 programmes, 0 channels: it is not an XMLTV guide"_qs,
                       u"1 programmes, 0 channels"_qs};
}

void TestGuideReader::documentsMerge() {
    QFETCH(QList<QByteArray>, documents);
    QFETCH(QString, guide);
    QFETCH(QStringList, summaries);
    for (const Form form : {Form::Whole, Form::Pieces}) {
        const Read read = readDocuments(documents, form);
        QCOMPARE(read.guide, guide);
        QCOMPARE(read.documents, summaries);
    }
}

void TestGuideReader::queries() {
    const Read read = readDocuments(
        {tv("<channel id=\"Empty.tv\"/>" + programme("10:00", "11:00", "Ten", "News.tv") +
            programme("11:30", "12:00", "Half past", "News.tv") +
            programme("08:00", "09:00", "Early", "Film.tv"))});
    const Guide &guide = *read.built;
    QCOMPARE(guide.channelCount(), 3);
    QCOMPARE(guide.channelById(u"NEWS.tv"), 1);
    QCOMPARE(guide.channelById(u"film.TV"), 2);
    QCOMPARE(guide.channelById(u"Sport.tv"), -1);
    QCOMPARE(guide.programmeCount(), 3);
    QCOMPARE(guide.firstStart(), Day + 8 * 3600);
    QCOMPARE(guide.lastStop(), Day + 12 * 3600);
    QCOMPARE(guide.programmesOf(0), std::make_pair(0, 0));
    const auto [first, end] = guide.programmesOf(1);
    QCOMPARE(end - first, 2);
    QCOMPARE(guide.title(first), u"Ten"_qs);
    QCOMPARE(guide.start(first), Day + 10 * 3600);
    QCOMPARE(guide.stop(first), Day + 11 * 3600);

    struct Query {
        GuideTime time;
        qint32 at;    // offset from the channel's first, -1: none
        qint32 after; // likewise
    };
    const Query table[]{
        {Day + 9 * 3600, -1, 0},     {Day + 10 * 3600, 0, 1},   {Day + 10 * 3600 + 1, 0, 1},
        {Day + 11 * 3600 - 1, 0, 1}, {Day + 11 * 3600, -1, 1},  {Day + 11 * 3600 + 1800, 1, -1},
        {Day + 12 * 3600, -1, -1},   {Day + 13 * 3600, -1, -1},
    };
    for (const Query &query : table) {
        QCOMPARE(guide.at(1, query.time), query.at < 0 ? -1 : first + query.at);
        QCOMPARE(guide.after(1, query.time), query.after < 0 ? -1 : first + query.after);
        QCOMPARE(guide.at(0, query.time), -1);
        QCOMPARE(guide.after(0, query.time), -1);
    }
    QCOMPARE(readDocuments({tv({})}).built->firstStart(), 0);
    QCOMPARE(readDocuments({tv({})}).built->lastStop(), 0);
}

// A text that many programmes share is kept once: a thousand programmes that share a long
// description hold little more than a thousand that have none.
void TestGuideReader::textsKeptOnce() {
    const auto guideOfMinutes = [](const QByteArray &description) {
        QByteArray body;
        for (int minute = 0; minute < 1000; ++minute) {
            const GuideTime start = Day + minute * 60;
            body += "<programme start=\"" + xmltvTime(start) + "\" stop=\"" +
                    xmltvTime(start + 60) + "\" channel=\"a\"><title>Same title</title><desc>" +
                    description + "</desc><category>News</category></programme>\n";
        }
        return readDocuments({tv(body)}).built;
    };
    const QByteArray description = QByteArray("A long description of the same show. ").repeated(50);
    const std::shared_ptr<const Guide> shared = guideOfMinutes(description);
    const std::shared_ptr<const Guide> none = guideOfMinutes({});
    QCOMPARE(shared->programmeCount(), 1000);
    QCOMPARE(shared->programme(500).description, QString::fromUtf8(description.trimmed()));
    QVERIFY(none->memoryBytes() > 1000 * 32);
    QVERIFY(none->memoryBytes() < 1000 * 64);
    QVERIFY2(
        shared->memoryBytes() < none->memoryBytes() + 2 * std::size_t(description.size()),
        qPrintable(
            QStringLiteral("%1 against %2").arg(shared->memoryBytes()).arg(none->memoryBytes())));
}

// Thousands of distinct texts and lists of categories, each read back as it was written.
void TestGuideReader::manyTexts() {
    QByteArray body;
    for (int minute = 0; minute < 3000; ++minute) {
        const GuideTime start = Day + minute * 60;
        body += "<programme start=\"" + xmltvTime(start) + "\" stop=\"" + xmltvTime(start + 60) +
                "\" channel=\"c" + QByteArray::number(minute % 40) + "\"><title>Title " +
                QByteArray::number(minute) + "</title><category>Genre " +
                QByteArray::number(minute % 700) + "</category><category>Kind " +
                QByteArray::number(minute % 3) + "</category></programme>\n";
    }
    const std::shared_ptr<const Guide> guide = readDocuments({tv(body)}).built;
    QCOMPARE(guide->programmeCount(), 3000);
    for (qsizetype c = 0; c < guide->channelCount(); ++c) {
        const auto [first, end] = guide->programmesOf(c);
        for (qint32 p = first; p < end; ++p) {
            const GuideProgramme shown = guide->programme(p);
            const int minute = int((shown.start - Day) / 60);
            QCOMPARE(guide->channelId(c), QStringLiteral("c%1").arg(minute % 40));
            QCOMPARE(shown.title, QStringLiteral("Title %1").arg(minute));
            QCOMPARE(shown.categories, (QStringList{QStringLiteral("Genre %1").arg(minute % 700),
                                                    QStringLiteral("Kind %1").arg(minute % 3)}));
        }
    }
}

// After finish() the builder begins a new guide, and a builder left in the middle of a document
// ends without one.
void TestGuideReader::builderStartsAfresh() {
    GuideBuilder builder;
    builder.begin();
    QVERIFY(builder.feed(tv(programme("10:00", "11:00", "First guide"))));
    builder.end();
    QCOMPARE(builder.finish()->programmeCount(), 1);
    builder.begin();
    QVERIFY(builder.feed(tv(programme("10:00", "11:00", "Second guide"))));
    builder.end();
    const std::shared_ptr<const Guide> second = builder.finish();
    QCOMPARE(render(*second), lines({u"a"_qs, u"  10:00-11:00 Second guide"_qs}));
    // Whatever it holds while it has not ended is dropped with it.
    auto abandoned = std::make_unique<GuideBuilder>();
    abandoned->begin();
    QVERIFY(abandoned->feed(gzipped(tv(programme("10:00", "11:00", "Never finished"))).first(20)));
    abandoned.reset();
}

QTEST_GUILESS_MAIN(TestGuideReader)
#include "tst_guide_reader.moc"
