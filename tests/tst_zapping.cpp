// The television keys over the window with the stand-in player: channel up and down, number
// entry, the last channel, the banner and the search, with the built-in channels and a
// playlist, in and out of full screen, with the focus on each kind of control.

#include "app/MainForm.h"
#include "app/Zapping.h"
#include "form/Controls.h"
#include "support/FakePlayer.h"
#include "support/Lists.h"
#include "support/Zapping.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"
#include "zap/Banner.h"
#include "zap/NumberEntry.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Group "A" holds five channels, the third of them twice the name of another; "B" one more.
const QByteArray Channels = R"(#EXTM3U
#EXTINF:-1 group-title="A",Télé 5
http://127.0.0.1:9/1.ts
#EXTINF:-1 group-title="A",Alpha
http://127.0.0.1:9/2.ts
#EXTINF:-1 group-title="A" tvg-chno="42",Beta
http://127.0.0.1:9/3.ts
#EXTINF:-1 group-title="A",Gamma TELE
http://127.0.0.1:9/4.ts
#EXTINF:-1 group-title="A",Delta
http://127.0.0.1:9/5.ts
#EXTINF:-1 group-title="B",Первый канал
http://127.0.0.1:9/6.ts
)";

enum class Focus { Video, List, Combo, Slider, Button };

QWidget *focusOf(const Controls &c, Focus focus) {
    switch (focus) {
    case Focus::Video:
        return c.videoControl;
    case Focus::List:
        return c.lstTuner;
    case Focus::Combo:
        return c.cboGenre; // which passes typing on to its text field
    case Focus::Slider:
        return c.sldMainVolume;
    case Focus::Button:
        return c.cmdSettings;
    }
    return nullptr;
}

} // namespace

class TestZapping : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    const Controls &c() const { return form->controls(); }

    // The window on a genre's channels with the channel `name` tuned by a click.
    void tuneFrom(bool playlist, const QString &name) {
        if (playlist) {
            QFile file(dir.filePath("zap.m3u"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(Channels);
            file.close();
            form->openPlaylist(file.fileName());
            QTRY_VERIFY(rowCount(c().lstTuner) > 0);
            clickText(*form, "A");
        } else {
            QTest::mouseClick(c().cmdTv, Qt::LeftButton);
            clickText(*form, "News");
        }
        clickText(*form, name);
        QCOMPARE(c().lstTuner->text(), name);
    }

private slots:
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
    }
    void cleanup() {
        delete form;
        delete player;
    }

    // Each key with the focus on each kind of control: a key the control uses stays its own.
    void keys_data() {
        QTest::addColumn<bool>("playlist");
        QTest::addColumn<int>("focus");
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("tuned");
        const auto row = [](const char *name, bool playlist, Focus focus, bool full, int key,
                            const char *tuned) {
            QTest::newRow(name) << playlist << int(focus) << full << key << QString(tuned);
        };
        // The built-in News: CCTV 9, Sky news, BBC World, ... ; the playlist's A: Télé 5 ... Delta.
        row("page up, video", false, Focus::Video, false, Qt::Key_PageUp, "BBC World");
        row("page down, video", false, Focus::Video, false, Qt::Key_PageDown, "CCTV 9");
        row("channel up, combo text", false, Focus::Combo, false, Qt::Key_ChannelUp, "BBC World");
        row("media previous, slider", false, Focus::Slider, false, Qt::Key_MediaPrevious, "CCTV 9");
        row("page up, button", false, Focus::Button, false, Qt::Key_PageUp, "BBC World");
        row("page up, slider: its own", false, Focus::Slider, false, Qt::Key_PageUp, "Sky news");
        row("up in the window: the video's", false, Focus::Video, false, Qt::Key_Up, "Sky news");
        row("up, full screen", false, Focus::Video, true, Qt::Key_Up, "BBC World");
        row("down, full screen", false, Focus::Video, true, Qt::Key_Down, "CCTV 9");
        row("playlist page up", true, Focus::Video, false, Qt::Key_PageUp, "Beta");
        row("playlist media next, list", true, Focus::List, false, Qt::Key_MediaNext, "Beta");
        row("playlist page down, button", true, Focus::Button, false, Qt::Key_PageDown, "Télé 5");
        row("playlist up, full screen", true, Focus::Video, true, Qt::Key_Up, "Beta");
        row("playlist down, list, full screen", true, Focus::Video, true, Qt::Key_Down, "Télé 5");
        row("list's own down", true, Focus::List, false, Qt::Key_Down, "Beta");
        row("list's own page up", true, Focus::List, false, Qt::Key_PageUp, "Télé 5");
    }
    void keys() {
        QFETCH(bool, playlist);
        QFETCH(int, focus);
        QFETCH(bool, fullScreen);
        QFETCH(int, key);
        QFETCH(QString, tuned);
        tuneFrom(playlist, playlist ? "Alpha" : "Sky news");
        if (fullScreen)
            player->enterFullScreen();
        focusOf(c(), Focus(focus))->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focusOf(c(), Focus(focus)));
        press(key);
        // The channel of that row is tuned, and the list's selection follows it.
        QCOMPARE(form->tuning().current()->item.text, tuned);
        QCOMPARE(tunedName(*form), form->tuning().current()->channel.name);
        QCOMPARE(c().lstTuner->text(), tuned);
    }

    // Zapping wraps at the ends, passes over rows that tune nothing, and keys that follow each
    // other fast open only the first channel and the one where they stop.
    void zapListRules() {
        QTest::mouseClick(c().cmdTv, Qt::LeftButton);
        clickText(*form, "Movies");
        // Of Movies only MBC 1, Zee TV, Nasa Tv and Nasa Tv2 have a channel.
        clickText(*form, "Zee TV");
        c().videoControl->setFocus();
        const auto tuned = [this] { return form->tuning().current()->item.text; };
        press(Qt::Key_PageUp);
        QCOMPARE(tuned(), "Nasa Tv");
        press(Qt::Key_PageDown);
        QTRY_COMPARE(tuned(), "Zee TV");
        press(Qt::Key_PageDown);
        QCOMPARE(tuned(), "MBC 1");
        press(Qt::Key_PageDown);
        QTRY_COMPARE(tuned(), "Nasa Tv2"); // wrapped to the last row that tunes
        const auto loads = [this] { return player->log.filter("setUrl").size(); };
        QTRY_COMPARE(c().lstTuner->text(), tuned());
        const qsizetype before = loads();
        for (int i = 0; i < 6; ++i)
            press(Qt::Key_PageUp, {}, i > 0);
        QCOMPARE(c().lstTuner->text(), "Zee TV"); // the selection runs ahead
        QTRY_COMPARE(tuned(), "Zee TV");
        QCOMPARE(loads(), before + 2);
    }

    // Number entry and the last channel through the window, with the banner saying what is
    // typed.
    void numbersAndLastChannel() {
        tuneFrom(true, "Alpha");
        c().videoControl->setFocus();
        press(Qt::Key_4);
        QCOMPARE(form->findChild<Banner *>("osdBanner")->number(), "CH 4-");
        press(Qt::Key_2);
        QCOMPARE(tunedName(*form), "Beta"); // its tvg-chno, the only number from 42
        QCOMPARE(c().lblIndexNo->text(), "CH 00042");
        press(Qt::Key_Backspace);
        QCOMPARE(tunedName(*form), "Alpha");
        press(Qt::Key_Backspace);
        QCOMPARE(tunedName(*form), "Beta");
        press(Qt::Key_0);
        QTRY_COMPARE(tunedName(*form), "Alpha"); // a lone 0, once no digit follows
        press(Qt::Key_9);
        press(Qt::Key_Enter);
        QCOMPARE(form->findChild<Banner *>("osdBanner")->number(), "No channel 9");
        QCOMPARE(tunedName(*form), "Alpha");
        // In a text field digits are typing.
        c().cboGenre->setFocus();
        press(Qt::Key_4);
        QCOMPARE(c().cboGenre->lineEdit()->text().right(1), "4");
    }

    // The banner after each tuning and on `i`, holding what it shows in its accessible name.
    void banner() {
        tuneFrom(false, "Sky news");
        auto *banner = form->findChild<Banner *>("osdBanner");
        QVERIFY(banner != nullptr && banner->isVisible());
        QCOMPARE(banner->parentWidget(), c().videoControl);
        QVERIFY(banner->accessibleName().contains("Sky news"));
        QVERIFY(banner->accessibleName().contains("CH 00003"));
        QVERIFY(banner->focusPolicy() == Qt::NoFocus);
        QTRY_VERIFY_WITH_TIMEOUT(!banner->isVisible(), 20000);
        c().videoControl->setFocus();
        press(Qt::Key_I);
        QVERIFY(banner->isVisible());
        press(Qt::Key_I);
        QVERIFY(!banner->isVisible());
    }

    // The search field filters the tuner's channels of every group; Enter tunes the first, the
    // keys zap through the matches, Esc brings the list back.
    void search_data() {
        QTest::addColumn<bool>("playlist");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("accents and case") << true << "tele" << QStringList{"Télé 5", "Gamma TELE"};
        QTest::newRow("Cyrillic") << true << "ПЕРВЫЙ" << QStringList{"Первый канал"};
        QTest::newRow("nothing") << true << "zzz" << QStringList{};
        QTest::newRow("built-in") << false << "bbc"
                                  << QStringList{"BBC World", "BBC Live News", "BBC Arabic",
                                                 "BBC Politics"};
    }
    void search() {
        QFETCH(bool, playlist);
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        tuneFrom(playlist, playlist ? "Alpha" : "Sky news");
        const QStringList before = rowTexts(c().lstTuner);
        c().videoControl->setFocus();
        press(Qt::Key_Slash);
        auto *field = form->findChild<QLineEdit *>("txtSearch");
        QVERIFY(field != nullptr && field->hasFocus());
        typeText(field, text);
        QCOMPARE(rowTexts(c().lstTuner), found);
        press(Qt::Key_Return);
        if (!found.isEmpty())
            QCOMPARE(form->tuning().current()->item.text, found.first());
        press(Qt::Key_Escape);
        QVERIFY(!field->isVisible());
        QCOMPARE(rowTexts(c().lstTuner), before);
    }

    // Digits become a number as soon as one channel alone can match, on Enter, or once no digit
    // has followed for a while; Esc drops them.
    void numberEntry_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("unique at once") << "5"
                                        << "chosen 5";
        QTest::newRow("waits, then taken") << "2"
                                           << "chosen 2";
        QTest::newRow("Enter") << "25\n"
                               << "chosen 25";
        QTest::newRow("unique longer") << "250"
                                       << "chosen 250";
        QTest::newRow("padded") << "007"
                                << "chosen 7";
        QTest::newRow("none") << "31"
                              << "none 31";
        QTest::newRow("lone zero") << "0"
                                   << "last";
        QTest::newRow("Esc") << "2\x1b"
                             << "";
    }
    void numberEntry() {
        QFETCH(QString, typed);
        QFETCH(QString, outcome);
        NumberEntry entry(
            [] {
                return std::vector<qint32>{1, 2, 3, 5, 7, 10, 20, 22, 25, 29, 30, 100, 250, 1000};
            },
            std::chrono::milliseconds(100));
        QStringList seen;
        connect(&entry, &NumberEntry::chosen, this,
                [&](qint32 n) { seen << QString("chosen %1").arg(n); });
        connect(&entry, &NumberEntry::notFound, this,
                [&](const QString &d) { seen << "none " + d; });
        connect(&entry, &NumberEntry::lastChannel, this, [&] { seen << "last"; });
        for (const QChar ch : typed) {
            if (ch == u'\n')
                entry.enter();
            else if (ch == u'\x1b')
                entry.drop();
            else
                entry.type(ch.digitValue());
        }
        if (outcome.isEmpty()) {
            QVERIFY(!entry.collecting());
            QCOMPARE(seen, QStringList());
        } else {
            QTRY_COMPARE(seen, QStringList{outcome});
        }
    }
};

QTEST_MAIN(TestZapping)
#include "tst_zapping.moc"
