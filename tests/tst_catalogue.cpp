// The channel catalogue and tuning: every row as the channel list promises it, the exact lookup,
// addresses of the right kind that point only at hosts reserved for examples, and the three ways
// of starting a stream.

#include "app/MainForm.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Tuning.h"
#include "form/Controls.h"
#include "support/FakePlayer.h"
#include "tuner/BuiltInSource.h"
#include "tuner/Genres.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

namespace {

using enum PlayMethod;

// Address kinds, as patterns over the whole text.
const QString SwfNoQuery = R"(^http://[^/\s]+/[^?\s]+\.swf$)";
const QString SwfQuery = R"(^http://[^/\s]+/[^?\s]+\.swf\?\S+$)";
const QString ViewerQuery = R"(^http://[^/\s]+/[^?\s]*viewer\.swf\?\S+$)";
const QString Asx = R"(^http://[^/\s]+/\S+\.asx$)";
const QString MmsLive = R"(^mms://[^/\s]+/[^.?\s]+$)";
const QString MmsShortQuery = R"(^mms://[^/\s]+/[^?\s]+\?[^&\s]{1,8}$)";
const QString MmsSixParameters = R"(^mms://[^/\s]+/[^?\s]+\?([^&=\s]+=[^&\s]+&){5}user=[0-9a-f]+$)";
const QString Reflector = R"(^http://[^/\s]+/reflector:\d+$)";
const QString LongEncoded =
    R"(^http://[^/\s]+/[^?\s]+\.swf\?[a-z]+=(%[0-9A-F]{2}|[A-Za-z0-9._~-])+%[0-9A-F]?$)";

struct Expected {
    const char16_t *label;
    const char16_t *caption;
    PlayMethod method;
    QString kind;
};

// The catalogue as the channel list promises it, row by row.
const Expected ExpectedRows[50]{
    {u"CCTV 9", u"CCTV 9", Monitored, R"(^(rtsp://\d+\.\d+\.\d+\.\d+/\S+) \1$)"},
    {u"QTV", u"QTV", Monitored, R"(^mms://\d+\.\d+\.\d+\.\d+/\S+\.wsx$)"},
    {u"Sky news", u"Sky news", Monitored, MmsLive},
    {u"BBC World", u"BBC World News", Monitored, R"(^mms://[^/\s]+/\S+\.wmv$)"},
    {u"Aljazeera news Eng", u"Aljazeera News (English)", FlashEarly, SwfNoQuery},
    {u"Fjtv4", u"Fujian News", Monitored, MmsShortQuery},
    {u"Nasa Tv", u"Nasa HDTV", Monitored, Reflector},
    {u"BBC Arabic", u"BBC News (Arabic)", Flash, SwfQuery},
    {u"TVA", u"TVA", Flash, R"(^http://[^/\s]+/[^?\s]+\.swf\?file=rtmp://[^&\s]+(&\w+=\w+)+$)"},
    {u"QatarSC", u"Qatar Sattelite Channel", Flash, SwfQuery},
    {u"IPTV", u"IPTV (China local)", Monitored, MmsLive},
    {u"fjtv1", u"fujian tv1 (China local)", Monitored, MmsShortQuery},
    {u"Chinese3", u"Chinese 3", Monitored, MmsLive},
    {u"GDTV", u"Guangdong TV (Chinese local)", Monitored, Asx},
    {u"MBC 1", u"MBC 1", Flash, SwfQuery},
    {u"Syria TV", u"Syria TV", Flash, SwfNoQuery},
    {u"Palestine TV", u"Channel Palestine", Flash, Asx},
    {u"Alaqsa TV", u"Alaqsa TV", Flash, ViewerQuery},
    {u"Alquds TV", u"Alquds TV", Flash, SwfQuery},
    {u"Noor TV", u"Noor TV", Flash, ViewerQuery},
    {u"Lebanon TV", u"Lebanon TV", Flash, MmsSixParameters},
    {u"ISTV", u"Iraqi Satellite TV", Flash, MmsSixParameters},
    {u"Peace TV", u"Peace TV", Flash, SwfQuery},
    {u"Mohammed TV", u"Mohammed TV", Flash, LongEncoded},
    {u"Gulf TV", u"Gulf TV", Flash, LongEncoded},
    {u"Zee TV", u"Zee TV", Flash, R"(^chttp://[^/\s]+/\S+\.flv$)"},
    {u"France 24", u"France 24", Flash, SwfQuery},
    {u"RT1", u"Russia Today (Arabic)", Flash, SwfNoQuery},
    {u"BBC Live News", u"BBC World News (English)", Flash,
     R"(^http://[^/\s]+/[^?\s]+\.swf\?streamer=rtmp://[^&\s]+&file=[^&\s]+\.sdp$)"},
    {u"Cartoon Network", u"Cartoon Network", Flash, SwfNoQuery},
    {u"Disney TV", u"Disney TV", Flash, SwfNoQuery},
    {u"Ajman TV", u"Ajman TV", Flash, SwfNoQuery},
    {u"Yemen TV", u"Yemen TV", Flash, ViewerQuery},
    {u"Saudi Sports", u"Saudi Sports channel", Monitored,
     R"(^mms://\d+\.\d+\.\d+\.\d+/[^?\s]+\?\S*\.asf$)"},
    {u"Sahara", u"Sahara", Flash, SwfQuery},
    {u"ZDF", u"ZDF(German)", Monitored, Asx},
    {u"3Sat", u"3Sat(German)", Monitored, Asx},
    {u"NBC", u"NBC", Monitored, Asx},
    {u"Satanta Sports", u"Satanta Sports (UK)", Monitored, Asx},
    {u"CBC Toronto", u"CBC Toronto", Monitored, R"(^ http://[^/\s]+/\S+\.wmv$)"},
    {u"Islamic TV", u"Islamic TV", Monitored, R"(^rtmp://[^/\s]+/ondemand\?[^~\s]+(~[^~\s]+)+$)"},
    {u"BBC Politics", u"BBC Politics", Monitored, R"(^ http://[^/\s]+/\S+\.asx$)"},
    {u"DW Arabic", u"DWTV (Arabic)", Flash, SwfNoQuery},
    {u"CCTV Arabic", u"CCTV Arabic", Monitored, Asx},
    {u"CNN News", u"CNN World News", Flash, SwfNoQuery},
    {u"Fox TV", u"Fox TV", Flash, R"(^rtmp://[^*\s]+\*http://[^/\s]+/[^?\s]+\?\S+$)"},
    {u"ESPN", u"ESPN", Flash, R"(^[a-z.]+\.[a-z]+/\S+\.swf$)"},
    {u"Hope TV", u"Hope TV", Monitored, Asx},
    {u"INTERACITV", u"INTRACITV (French)", Monitored, R"(^http://[^/\s]+/[a-z]+$)"},
    {u"Nasa Tv2", u"Nasa TV2", Monitored, Reflector},
};

// Names and networks reserved for documentation and examples.
const QRegularExpression ReservedHost(
    R"(^((?:[a-z0-9-]+\.)*example\.(com|net|org)|(192\.0\.2|198\.51\.100|203\.0\.113)\.\d{1,3})$)");

// Every host an address names: after each scheme, also inside queries and percent escapes, and
// the leading host of an address without a scheme.
QStringList hostsIn(const QString &address) {
    QStringList hosts;
    const QString decoded = QUrl::fromPercentEncoding(address.toUtf8());
    static const QRegularExpression afterScheme(R"([a-z]+://([^/:?&*~\s"]+))");
    for (const QString &text : {address, decoded})
        for (const auto &match : afterScheme.globalMatch(text))
            hosts << match.captured(1);
    if (!address.contains("://"))
        hosts << address.section('/', 0, 0);
    return hosts;
}

QString text(QStringView view) {
    return view.toString();
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void rowsAsListed() {
        for (int i = 0; i < 50; ++i) {
            const ChannelEntry &row = Catalogue[i];
            const Expected &expected = ExpectedRows[i];
            QCOMPARE(text(row.ListLabel), QString::fromUtf16(expected.label));
            QCOMPARE(text(row.ChannelName), QString::fromUtf16(expected.caption));
            QCOMPARE(row.PlayMethod, expected.method);
        }
        // The numbers follow the rows, except that row 7 has four digits and 48 is left out.
        for (int i = 0; i < 50; ++i) {
            const int number = i < 7 ? i + 1 : i < 48 ? i : i + 1;
            QString expected = QString("CH %1").arg(number, 5, 10, QChar('0'));
            if (i == 6)
                expected = "CH 0006";
            QCOMPARE(text(Catalogue[i].IndexNo), expected);
        }
        QCOMPARE(text(Catalogue[5].IndexNo), "CH 00006");
    }

    void addressesOfTheirKind() {
        for (int i = 0; i < 50; ++i) {
            const QString address = text(Catalogue[i].StreamAddress);
            const QRegularExpression kind(ExpectedRows[i].kind);
            QVERIFY(kind.isValid());
            QVERIFY2(kind.match(address).hasMatch(),
                     qPrintable(QString("row %1: %2").arg(i + 1).arg(address)));
        }
        QCOMPARE(Catalogue[23].StreamAddress.size(), 622);
        QCOMPARE(Catalogue[24].StreamAddress.size(), 622);
    }

    void addressesNameOnlyReservedHosts() {
        for (const ChannelEntry &row : Catalogue) {
            const QStringList hosts = hostsIn(text(row.StreamAddress));
            QVERIFY(!hosts.isEmpty());
            for (const QString &host : hosts)
                QVERIFY2(ReservedHost.match(host).hasMatch(), qPrintable(host));
        }
        // The pattern itself lets nothing else through.
        for (const char *host : {"example.com.evil.net", "192.0.20.1", "198.51.10.1", "www.bbc.com",
                                 "203.0.113.1.nip.io", "notexample.com"})
            QVERIFY2(!ReservedHost.match(host).hasMatch(), host);
    }

    void findChannelMatchesWholeText() {
        QCOMPARE(FindChannel(""), nullptr);
        QCOMPARE(FindChannel("BBC World"), &Catalogue[3]);
        QCOMPARE(FindChannel("BBC Live News"), &Catalogue[28]);
        QCOMPARE(FindChannel("Nasa Tv"), &Catalogue[6]);
        QCOMPARE(FindChannel("Nasa Tv2"), &Catalogue[49]);
        QCOMPARE(FindChannel("Fjtv4"), &Catalogue[5]);
        QCOMPARE(FindChannel("fjtv1"), &Catalogue[11]);
        QCOMPARE(FindChannel("INTERACITV"), &Catalogue[48]);
        for (const char *miss :
             {"BBC World News", "Nasa TV2", "Sky News", "sky news", "fjtv4", "Fjtv1",
              "INTRACITV (French)", " QTV", "QTV ", "Sky  news", "Sky news\n", "E-Music TV"})
            QVERIFY2(FindChannel(miss) == nullptr, miss);
        for (QStringView genre : TvGenres)
            QCOMPARE(FindChannel(genre.toString()), nullptr);
        for (QStringView genre : RadioGenres)
            QCOMPARE(FindChannel(genre.toString()), nullptr);
        for (const ChannelEntry &row : Catalogue)
            QCOMPARE(FindChannel(row.ListLabel.toString()), &row);
    }

    // Flash plays while the monitor still runs, then stops it and says so; FlashEarly does both
    // before it plays. Monitored leaves the status to the monitor's next tick.
    void playMethods() {
        struct Watching : FakePlayer {
            std::function<void()> onPlay;
            void play() override {
                FakePlayer::play();
                onPlay();
            }
        } watching;
        MainForm window(watching);
        const Controls &w = window.controls();
        // Only tuning may write the status here, not the monitor's ticks.
        w.TimeConnection->setInterval(24 * 3600 * 1000);
        QStringList seen;
        watching.onPlay = [&] {
            seen << QString("%1 / %2").arg(w.TimeConnection->isActive() ? "on" : "off",
                                           w.lblBuffering->text());
        };
        const auto tuneWith = [&](const char *status, const char *label) {
            w.lblBuffering->setText(status);
            TuneChannel(w, watching, window.monitor(), BuiltInSource().channel({label}));
            seen << QString("then %1 / %2")
                        .arg(w.TimeConnection->isActive() ? "on" : "off", w.lblBuffering->text());
        };
        tuneWith("", "QTV");
        tuneWith("Waiting for connection...", "BBC Arabic");
        tuneWith("Flash signal", "Sky news");
        tuneWith("Connected to Sky news", "Aljazeera news Eng");
        QCOMPARE(seen, QStringList({"off / ", "then on / ",                                      //
                                    "on / Waiting for connection...", "then off / Flash signal", //
                                    "off / Flash signal", "then on / Flash signal",              //
                                    "off / Flash signal", "then off / Flash signal"}));
        QCOMPARE(w.lblChannelName->text(), "Aljazeera News (English)");
        QCOMPARE(w.lblIndexNo->text(), "CH 00005");
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
