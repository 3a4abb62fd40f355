// What the window shows of the programme guide, with the stand-in player and a clock set by hand:
// the list's rows with their programme on now, following the clock; now and next on the banner;
// the guide grid over the video, its keys and clicks; and the window as ever without a guide.
// Times are the viewer's local ones: the test runs five and a half hours east of UTC.

#include "app/GuideViews.h"
#include "app/MainForm.h"
#include "app/Zapping.h"
#include "epg/GuideClock.h"
#include "epg/GuideGrid.h"
#include "form/Controls.h"
#include "guide/ChannelGuide.h"
#include "support/FakePlayer.h"
#include "support/GuideText.h"
#include "support/Lists.h"
#include "support/Zapping.h"
#include "tuner/TunerList.h"
#include "zap/Banner.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// 2024-03-01 14:30 UTC: 20:00 where the test runs. The clock stands ten minutes on.
constexpr GuideTime T0 = 1709303400;
constexpr GuideTime Minute = 60;
constexpr GuideTime Now = T0 + 10 * Minute;

// Group "A": channels with programmes, one without a guide channel (Gamma) and one between
// programmes (Delta). Group "B": forty channels whose first and last programmes end soon.
struct Entry {
    const char *name;
    const char *id; // tvg-id; none: the guide has no channel for it
    const char *group;
};
constexpr Entry GroupA[]{
    {"Alpha", "alpha.tv", "A"}, {"Beta", "beta.tv", "A"},   {"Gamma", nullptr, "A"},
    {"Delta", "delta.tv", "A"}, {"Epsilon", "eps.tv", "A"},
};
constexpr int GroupBSize = 40;

struct Show {
    const char *channel;
    GuideTime start; // from T0
    GuideTime stop;
    const char *title;
    const char *more = ""; // further elements, as written
};
const Show Shows[]{
    {"alpha.tv", -60 * Minute, 0, "Morning Show"},
    {"alpha.tv", 0, 60 * Minute, "News",
     "<sub-title>Evening edition</sub-title><desc>Headlines &amp; weather.</desc>"
     "<category>News</category><category>Current affairs</category>"
     "<episode-num system=\"xmltv_ns\">0.4.</episode-num>"},
    {"alpha.tv", 60 * Minute, 90 * Minute, "Weather"},
    {"alpha.tv", 90 * Minute, 210 * Minute, "Late Film"},
    {"beta.tv", -30 * Minute, 90 * Minute, "Film"},
    {"beta.tv", 90 * Minute, 150 * Minute, "Sport"},
    {"delta.tv", -120 * Minute, -60 * Minute, "Early"},
    {"delta.tv", 30 * Minute, 60 * Minute, "Quiz"},
    {"eps.tv", -10 * Minute, 20 * Minute, "Kids & Co <Live>"},
};

QString bName(int n) {
    return QStringLiteral("B%1").arg(n, 2, 10, QChar(u'0'));
}

QByteArray playlistText() {
    QByteArray text = "#EXTM3U\n";
    int n = 0;
    const auto add = [&](const QString &name, const char *id, const char *group) {
        text += "#EXTINF:-1";
        if (id != nullptr)
            text += QByteArray(" tvg-id=\"") + id + '"';
        text += " group-title=\"" + QByteArray(group) + "\"," + name.toUtf8() + '\n';
        text += "http://127.0.0.1:9/" + QByteArray::number(++n) + ".ts\n";
    };
    for (const Entry &e : GroupA)
        add(QString::fromLatin1(e.name), e.id, e.group);
    for (int b = 1; b <= GroupBSize; ++b)
        add(bName(b), (bName(b).toLower() + ".tv").toLatin1().constData(), "B");
    return text;
}

QByteArray programmeXml(const QString &channel, GuideTime start, GuideTime stop,
                        const QString &title, const QByteArray &more = {}) {
    return "<programme start=\"" + xmltvTime(start) + "\" stop=\"" + xmltvTime(stop) +
           "\" channel=\"" + channel.toUtf8() + "\"><title>" + title.toHtmlEscaped().toUtf8() +
           "</title>" + more + "</programme>\n";
}

// Of group B, B01's programme ends 50 s after the clock's time and B40's (off view) 20 s after;
// the others' 10 minutes after.
QByteArray guideText() {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";
    for (const Entry &e : GroupA) {
        if (e.id != nullptr)
            xml += QByteArray("<channel id=\"") + e.id + "\"><display-name>" + e.name +
                   "</display-name></channel>\n";
    }
    for (int b = 1; b <= GroupBSize; ++b)
        xml += "<channel id=\"" + bName(b).toLower().toUtf8() + ".tv\"/>\n";
    for (const Show &s : Shows)
        xml += programmeXml(QString::fromLatin1(s.channel), T0 + s.start, T0 + s.stop,
                            QString::fromUtf8(s.title), s.more);
    for (int b = 1; b <= GroupBSize; ++b) {
        const GuideTime end = b == 1 ? Now + 50 : b == GroupBSize ? Now + 20 : Now + 10 * Minute;
        const QString id = bName(b).toLower() + ".tv";
        xml += programmeXml(id, T0 - 30 * Minute, end, QStringLiteral("Show %1").arg(b));
        xml += programmeXml(id, end, end + 60 * Minute, QStringLiteral("After %1").arg(b));
    }
    return xml + "</tv>\n";
}

enum Key : int {
    Left = Qt::Key_Left,
    Right = Qt::Key_Right,
    Up = Qt::Key_Up,
    Down = Qt::Key_Down,
    PageUp = Qt::Key_PageUp,
    PageDown = Qt::Key_PageDown,
    Home = Qt::Key_Home,
    Enter = Qt::Key_Return,
    Esc = Qt::Key_Escape,
    G = Qt::Key_G,
    Two = Qt::Key_2,
};

} // namespace

class TestGuideView : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    const Controls &c() const { return form->controls(); }
    TunerList *list() const { return c().lstTuner; }
    GuideViews &views() const { return form->zapping().guide(); }
    GuideGrid *grid() const { return form->findChild<GuideGrid *>("grdGuide"); }
    Banner *shownBanner() const { return form->findChild<Banner *>("osdBanner"); }

    // The playlist's group shown, its channel `tuned` tuned by a click, and the guide set.
    void showGroup(const QString &group, const QString &tuned = {}, bool guided = true) {
        QFile file(dir.filePath("guide.m3u"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(playlistText());
        file.close();
        form->openPlaylist(file.fileName());
        QTRY_VERIFY(rowCount(list()) > 0);
        clickText(*form, group);
        if (!tuned.isEmpty())
            clickText(*form, tuned);
        if (guided) {
            const auto guide = channelGuideOf(playlistText(), guideText());
            QVERIFY(guide != nullptr && guide->matchedEntries() > 0);
            form->tuning().setGuide(guide);
        }
    }

    QString tip(const QString &name) const {
        return list()->model()->index(findRow(list(), name), 0).data(Qt::ToolTipRole).toString();
    }
    QString spoken(const QString &name) const {
        return list()
            ->model()
            ->index(findRow(list(), name), 0)
            .data(Qt::AccessibleTextRole)
            .toString();
    }
    int firstRowHeight() const { return list()->visualRect(list()->model()->index(0, 0)).height(); }

    QString selectedChannel() const {
        const qsizetype row = grid()->selectedRow();
        return row < 0 ? QString() : form->tuning().zapList()->item(row).text;
    }
    QString selectedTitle() const {
        const auto &slot = grid()->selectedProgramme();
        return slot ? form->tuning().guide()->title(*slot) : QString();
    }
    // The grid opened from the video, on the guide key.
    void openGrid() {
        c().videoControl->setFocus();
        press(Qt::Key_G);
        QVERIFY(grid() != nullptr && grid()->isVisible());
        QCOMPARE(QApplication::focusWidget(), grid());
    }
    QColor gridColour(const QImage &image, const QString &channel, GuideTime time) const {
        return image.pixelColor(grid()->pointOf(findRow(list(), channel), time));
    }

private slots:
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        views().clock().set(Now);
    }
    void cleanup() {
        delete form;
        delete player;
    }

    // Each row's tooltip and accessible text tell its programme on now; rows without one, and
    // every row without a guide, tell their name alone.
    void listRows_data() {
        QTest::addColumn<bool>("guided");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("programme");
        const auto row = [](const char *tag, bool guided, const char *name, const char *said) {
            QTest::newRow(tag) << guided << QString(name) << QString::fromUtf8(said);
        };
        row("on now", true, "Alpha", "20:00–21:00 News");
        row("started before", true, "Beta", "19:30–21:30 Film");
        row("no guide channel", true, "Gamma", "");
        row("between programmes", true, "Delta", "");
        row("title as written", true, "Epsilon", "19:50–20:20 Kids & Co <Live>");
        row("without a guide", false, "Alpha", "");
        row("without a guide either", false, "Beta", "");
    }
    void listRows() {
        QFETCH(bool, guided);
        QFETCH(QString, name);
        QFETCH(QString, programme);
        showGroup("A", {}, guided);
        QCOMPARE(rowText(list(), findRow(list(), name)), name);
        QCOMPARE(tip(name), programme);
        QCOMPARE(spoken(name), programme.isEmpty() ? name : name + ", " + programme);
    }

    // Rows grow for the programme's line only while the list shows channels of a guide.
    void rowHeights() {
        showGroup("A", {}, false);
        const int plain = firstRowHeight();
        const auto guide = channelGuideOf(playlistText(), guideText());
        form->tuning().setGuide(guide);
        QTRY_VERIFY(firstRowHeight() > plain);
        form->tuning().setGuide({});
        QTRY_COMPARE(firstRowHeight(), plain);
        // The groups, with a guide, are as they were.
        form->tuning().setGuide(guide);
        QTest::mouseClick(c().cmdBack, Qt::LeftButton);
        QTest::mouseClick(c().cmdTv, Qt::LeftButton);
        QTRY_VERIFY(findRow(list(), "A") >= 0);
        QCOMPARE(firstRowHeight(), plain);
    }

    // The list is told to show its rows anew when the first programme on view ends, and a
    // minute on at the latest; a programme that ends off view changes nothing.
    void listFollowsClock_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QList<int>>("seconds"); // after the clock's time, in turn
        QTest::addColumn<QList<bool>>("rings");
        QTest::newRow("on view, not off view")
            << "B" << QList<int>{20, 49, 50} << QList<bool>{false, false, true};
        QTest::newRow("a minute at most") << "A" << QList<int>{59, 60} << QList<bool>{false, true};
        QTest::newRow("and again")
            << "A" << QList<int>{60, 119, 120} << QList<bool>{true, false, true};
    }
    void listFollowsClock() {
        QFETCH(QString, group);
        QFETCH(QList<int>, seconds);
        QFETCH(QList<bool>, rings);
        showGroup(group);
        QSignalSpy changed(list()->model(), &QAbstractItemModel::dataChanged);
        for (int step = 0; step < seconds.size(); ++step) {
            list()->viewport()->repaint();
            changed.clear();
            views().clock().set(Now + seconds[step]);
            if (rings[step]) {
                QTRY_VERIFY(changed.count() > 0);
            } else {
                QCoreApplication::processEvents();
                QCOMPARE(changed.count(), 0);
            }
        }
        if (group == "B") {
            QCOMPARE(tip("B01"), QString("20:10–21:10 After 1"));
            QCOMPARE(tip("B02"), QString("19:30–20:20 Show 2"));
        }
    }

    // Now and next on the banner as a channel is tuned, in its accessible name too.
    void bannerTexts_data() {
        QTest::addColumn<bool>("guided");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("next");
        QTest::addColumn<double>("run");
        const auto row = [](const char *tag, bool guided, const char *channel, const char *now,
                            const char *next, double run) {
            QTest::newRow(tag) << guided << QString(channel) << QString::fromUtf8(now)
                               << QString::fromUtf8(next) << run;
        };
        row("now and next", true, "Alpha", "20:00–21:00 News", "21:00–21:30 Weather", 1 / 6.0);
        row("long programme", true, "Beta", "19:30–21:30 Film", "21:30–22:30 Sport", 1 / 3.0);
        row("no guide channel", true, "Gamma", "", "", 0);
        row("between programmes", true, "Delta", "", "20:30–21:00 Quiz", 0);
        row("without a guide", false, "Alpha", "", "", 0);
    }
    void bannerTexts() {
        QFETCH(bool, guided);
        QFETCH(QString, channel);
        QFETCH(QString, now);
        QFETCH(QString, next);
        QFETCH(double, run);
        showGroup("A", {}, guided);
        clickText(*form, channel);
        Banner *shown = shownBanner();
        QVERIFY(shown != nullptr && shown->isVisible());
        QCOMPARE(shown->programmes().now, now);
        QCOMPARE(shown->programmes().next, next);
        QCOMPARE(qRound(shown->programmes().run * 1000), qRound(run * 1000));
        const QString name = shown->accessibleName();
        QVERIFY(name.startsWith("CH 0000") && name.contains(channel));
        QCOMPARE(name.contains("Now " + now), !now.isEmpty());
        QCOMPARE(name.contains("Next " + next), !next.isEmpty());
        QCOMPARE(name.contains("Now") || name.contains("Next"), !now.isEmpty() || !next.isEmpty());
    }

    // While shown, the banner follows the clock.
    void bannerFollowsClock() {
        showGroup("A", "Alpha");
        c().videoControl->setFocus();
        press(Qt::Key_I);
        press(Qt::Key_I);
        QVERIFY(shownBanner()->isVisible());
        views().clock().set(T0 + 60 * Minute);
        QTRY_COMPARE(shownBanner()->programmes().now, QString("21:00–21:30 Weather"));
        QTRY_VERIFY(shownBanner()->accessibleName().contains("Next 21:30–23:30 Late Film"));
    }

    // The grid's keys, from the tuned channel's programme on now; Enter tunes a programme on
    // now alone, the channel keys never act underneath, Esc and g close.
    void gridKeys_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("channel"); // selected
        QTest::addColumn<QString>("title");   // selected; empty: no programme there
        QTest::addColumn<QString>("tuned");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("fullScreen");
        const auto row = [](const char *tag, QList<int> keys, const char *channel,
                            const char *title, const char *tuned = "Alpha", bool open = true,
                            bool fullScreen = false) {
            QTest::newRow(tag) << keys << QString(channel) << QString(title) << QString(tuned)
                               << open << fullScreen;
        };
        row("opens on now", {}, "Alpha", "News");
        row("right", {Right}, "Alpha", "Weather");
        row("right twice", {Right, Right}, "Alpha", "Late Film");
        row("right past the last", {Right, Right, Right}, "Alpha", "Late Film");
        row("left", {Left}, "Alpha", "Morning Show");
        row("left past the first", {Left, Left}, "Alpha", "Morning Show");
        row("right and back", {Right, Left}, "Alpha", "News");
        row("down", {Down}, "Beta", "Film");
        row("down to no guide channel", {Down, Down}, "Gamma", "");
        row("down to a gap", {Down, Down, Down}, "Delta", "");
        row("right from a gap", {Down, Down, Down, Right}, "Delta", "Quiz");
        row("left from a gap", {Down, Down, Down, Left}, "Delta", "Early");
        row("up at the top", {Up}, "Alpha", "News");
        row("down and up", {Down, Up}, "Alpha", "News");
        row("down keeps the time", {Right, Down}, "Beta", "Film");
        row("down at a later time", {Right, Right, Down}, "Beta", "Sport");
        row("home", {Right, Right, Home}, "Alpha", "News");
        row("page down at the end", {PageDown}, "Epsilon", "Kids & Co <Live>");
        row("page up at the top", {Down, PageUp}, "Alpha", "News");
        row("enter on now tunes", {Down, Enter}, "Beta", "Film", "Beta");
        row("enter on a later programme", {Right, Enter}, "Alpha", "Weather");
        row("enter on nothing", {Down, Down, Enter}, "Gamma", "");
        row("esc closes", {Esc}, "Alpha", "News", "Alpha", false);
        row("g closes", {G}, "Alpha", "News", "Alpha", false);
        row("no zapping underneath", {PageUp, Two}, "Alpha", "News");
        row("full screen: down moves", {Down}, "Beta", "Film", "Alpha", true, true);
        row("full screen: enter tunes", {Down, Enter}, "Beta", "Film", "Beta", true, true);
        row("full screen: esc closes the grid", {Esc}, "Alpha", "News", "Alpha", false, true);
    }
    void gridKeys() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, channel);
        QFETCH(QString, title);
        QFETCH(QString, tuned);
        QFETCH(bool, open);
        QFETCH(bool, fullScreen);
        showGroup("A", "Alpha");
        if (fullScreen)
            player->enterFullScreen();
        openGrid();
        const qsizetype loads = player->log.filter("setUrl").size();
        for (int key : keys)
            press(key);
        QCOMPARE(selectedChannel(), channel);
        QCOMPARE(selectedTitle(), title);
        QCOMPARE(form->tuning().current()->item.text, tuned);
        QCOMPARE(list()->text(), tuned);
        QCOMPARE(player->log.filter("setUrl").size(), loads + (tuned == "Alpha" ? 0 : 1));
        QCOMPARE(grid()->isVisible(), open);
        QCOMPARE(player->isFullScreen(), fullScreen);
        if (!open)
            QCOMPARE(QApplication::focusWidget(), c().videoControl);
        QVERIFY(shownBanner() == nullptr || !shownBanner()->number().endsWith("-"));
    }

    // Page keys move by a screen of rows, keeping the selection in view.
    void gridPages_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("pages"); // the selected row, in screens of rows
        QTest::newRow("down") << QList<int>{PageDown} << 1;
        QTest::newRow("down twice") << QList<int>{PageDown, PageDown} << 2;
        QTest::newRow("down and up") << QList<int>{PageDown, PageDown, PageUp} << 1;
        QTest::newRow("up at the top") << QList<int>{PageUp} << 0;
    }
    void gridPages() {
        QFETCH(QList<int>, keys);
        QFETCH(int, pages);
        showGroup("B", "B01");
        openGrid();
        for (int key : keys)
            press(key);
        const int page = grid()->rowsOnView();
        QVERIFY(page > 1 && 2 * page < GroupBSize);
        QCOMPARE(grid()->selectedRow(), pages * page);
        QCOMPARE(selectedTitle(), QString("Show %1").arg(pages * page + 1));
        QVERIFY(grid()->viewport()->rect().contains(grid()->pointOf(pages * page, Now)));
    }

    // A click selects the programme under it, and tunes its channel when it is on now.
    void gridClicks_data() {
        QTest::addColumn<QString>("channel");
        QTest::addColumn<int>("minutes"); // from 20:00
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("tuned");
        QTest::newRow("on now") << "Beta" << 20 << "Film"
                                << "Beta";
        QTest::newRow("later") << "Alpha" << 70 << "Weather"
                               << "Epsilon";
        QTest::newRow("earlier") << "Alpha" << -20 << "Morning Show"
                                 << "Epsilon";
        QTest::newRow("nothing there") << "Delta" << 10 << ""
                                       << "Epsilon";
        QTest::newRow("the tuned one") << "Epsilon" << 15 << "Kids & Co <Live>"
                                       << "Epsilon";
    }
    void gridClicks() {
        QFETCH(QString, channel);
        QFETCH(int, minutes);
        QFETCH(QString, title);
        QFETCH(QString, tuned);
        showGroup("A", "Epsilon");
        openGrid();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->pointOf(findRow(list(), channel), T0 + minutes * Minute));
        QCOMPARE(selectedChannel(), channel);
        QCOMPARE(selectedTitle(), title);
        QCOMPARE(form->tuning().current()->item.text, tuned);
        QCOMPARE(list()->text(), tuned);
        QVERIFY(grid()->isVisible());
    }

    // The details panel says all that the guide has of the selected programme.
    void gridDetails() {
        showGroup("A", "Alpha");
        openGrid();
        const QStringList lines = grid()->details().split(u'\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QString("News"));
        for (const char *part : {"20:00–21:00", "Alpha", "S1 E5", "News, Current affairs"})
            QVERIFY2(lines[1].contains(QString::fromUtf8(part)), qPrintable(lines[1]));
        QCOMPARE(lines[2], QString("Evening edition"));
        QCOMPARE(lines[3], QString("Headlines & weather."));
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QCOMPARE(grid()->details(), QString("Gamma\nNo programme at this time"));
    }

    // Of a guide of titles alone, the details are the title and when.
    void gridDetailsOfTitles() {
        showGroup("A", "Alpha", false);
        form->tuning().setGuide(channelGuideOf(
            playlistText(),
            xmltvText({{"alpha.tv", {"Alpha"}}}, {{"alpha.tv", T0, T0 + 60 * Minute, "News"}})));
        openGrid();
        const QStringList lines = grid()->details().split(u'\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString("News"));
        QVERIFY(lines[1].endsWith(QString::fromUtf8(", 20:00–21:00 · Alpha")));
    }

    // The tuned channel's programme on now, the selection and the time now are told apart.
    void gridMarks() {
        showGroup("A", "Alpha");
        openGrid();
        press(Qt::Key_Right); // Weather selected, News still on now
        const QImage image = grid()->viewport()->grab().toImage();
        const QColor tunedNow = gridColour(image, "Alpha", T0 + 55 * Minute);
        const QColor onNow = gridColour(image, "Beta", T0 + 85 * Minute);
        const QColor selected = gridColour(image, "Alpha", T0 + 85 * Minute);
        const QColor later = gridColour(image, "Delta", T0 + 55 * Minute);
        QCOMPARE(QSet<QRgb>({tunedNow.rgb(), onNow.rgb(), selected.rgb(), later.rgb()}).size(), 4);
        QVERIFY(gridColour(image, "Beta", Now) != onNow);
    }

    // The grid follows the zap list and closes when the guide goes.
    void gridFollowsTuning() {
        showGroup("A", "Alpha");
        openGrid();
        press(Qt::Key_Down);
        clickText(*form, "Beta"); // a click in the list still tunes
        QCOMPARE(form->tuning().current()->item.text, QString("Beta"));
        form->tuning().setGuide({});
        QVERIFY(!grid()->isVisible());
        c().videoControl->setFocus();
        press(Qt::Key_G);
        QVERIFY(!grid()->isVisible());
    }

    // Without a guide the guide key is as any letter: the list's own, and no grid opens; in a
    // text field it is typing, guide or none.
    void guideKeyWithoutGuide() {
        showGroup("A", "Alpha", false);
        c().videoControl->setFocus();
        press(Qt::Key_G);
        QVERIFY(grid() == nullptr);
        list()->setFocus();
        press(Qt::Key_G);
        QCOMPARE(list()->text(), QString("Gamma")); // the list's search by first letter
        QVERIFY(grid() == nullptr);
        form->tuning().setGuide(channelGuideOf(playlistText(), guideText()));
        c().videoControl->setFocus();
        press(Qt::Key_Slash);
        auto *field = form->findChild<QLineEdit *>("txtSearch");
        QVERIFY(field != nullptr && field->hasFocus());
        press(Qt::Key_G);
        QCOMPARE(field->text(), QString("g"));
        QVERIFY(grid() == nullptr);
    }
};

QTEST_MAIN(TestGuideView)
#include "tst_guide_view.moc"
