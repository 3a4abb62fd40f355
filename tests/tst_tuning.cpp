// Tuning from the side panel, driven as the user drives it: the tuner buttons, clicks in the list
// and picks in the genre box, on the real window with the stand-in player.

#include "app/Controls.h"
#include "app/Design.h"
#include "app/MainForm.h"
#include "catalogue/Catalogue.h"
#include "support/FakePlayer.h"
#include "tuner/GenreCombo.h"
#include "tuner/Genres.h"
#include "tuner/TunerList.h"

#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {

QStringList texts(auto &&views) {
    QStringList result;
    for (QStringView view : views)
        result << view.toString();
    return result;
}

QStringList items(const TunerList *list) {
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

QStringList items(const GenreCombo *combo) {
    QStringList result;
    for (int i = 0; i < combo->count(); ++i)
        result << combo->itemText(i);
    return result;
}

const QStringList TvGenreList = texts(TvGenres);
const QStringList RadioGenreList = texts(RadioGenres);
const int Expanded = design::px(design::ExpandedWidth - 2 * design::FrameTwips);

} // namespace

class TestTuning : public QObject {
    Q_OBJECT

    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    const Controls &c() const { return form->controls(); }

    void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    // While a tuner is shown its own button is disabled; the panel's close button frees it.
    void reopen(QPushButton *tuner) {
        press(c().cmdBack);
        press(tuner);
    }
    void click(int row) {
        TunerList *list = c().lstTuner;
        QVERIFY(row < list->count());
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    void click(const QString &text) {
        const auto found = c().lstTuner->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        QVERIFY2(!found.isEmpty(), qPrintable(text));
        click(c().lstTuner->row(found.first()));
    }
    // Opens the genre box's list and clicks the item.
    void pick(const QString &text) {
        GenreCombo *combo = c().cboGenre;
        const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        QVERIFY2(index >= 0, qPrintable(text));
        QTest::keyClick(combo, Qt::Key_F4);
        QTRY_VERIFY(combo->view()->isVisible());
        const QModelIndex item = combo->model()->index(index, 0);
        combo->view()->scrollTo(item);
        QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {},
                          combo->view()->visualRect(item).center());
        QTRY_VERIFY(!combo->view()->isVisible());
    }
    void expectGenrePicker(const QString &prompt, const QStringList &genres) {
        QVERIFY(c().cboGenre->isEnabled());
        QCOMPARE(c().cboGenre->text(), prompt);
        QCOMPARE(items(c().cboGenre), genres);
        QCOMPARE(c().cboGenre->currentIndex(), -1);
    }

private slots:
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
        // The connection monitor's ticks are not under test here; keep them from running.
        c().TimeConnection->setInterval(24 * 3600 * 1000);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        player->log.clear();
    }
    void cleanup() {
        delete form;
        delete player;
    }

    void tunerButtons() {
        press(c().cmdRadio);
        QCOMPARE(c().lblChannelName->text(), "Radio Tuner");
        QCOMPARE(items(c().lstTuner), RadioGenreList);
        QCOMPARE(c().lstTuner->text(), "");
        // The start-up items and text of the genre box are gone.
        QCOMPARE(c().cboGenre->count(), 0);
        QCOMPARE(c().cboGenre->text(), "");
        QVERIFY(!c().cboGenre->isEnabled());
        QVERIFY(c().cmdTv->isEnabled());
        QVERIFY(!c().cmdRadio->isEnabled());
        QCOMPARE(form->width(), Expanded);

        click("Radio Music");
        press(c().cmdTv);
        QCOMPARE(c().lblChannelName->text(), "TV Tuner");
        QCOMPARE(items(c().lstTuner), TvGenreList);
        QCOMPARE(c().lstTuner->text(), "");
        QCOMPARE(c().cboGenre->count(), 0);
        QVERIFY(!c().cboGenre->isEnabled());
        QVERIFY(!c().cmdTv->isEnabled());
        QVERIFY(c().cmdRadio->isEnabled());
        QCOMPARE(form->width(), Expanded);
        // Disabled, the button cannot be pressed.
        click("News");
        press(c().cmdTv);
        QCOMPARE(c().lstTuner->count(), 10);
    }

    // A tuner button leaves what plays alone: the number, the monitor and the player.
    void tunerButtonWhileAChannelPlays() {
        press(c().cmdTv);
        click("News");
        click("Sky news");
        const QStringList log = player->log;
        press(c().cmdRadio);
        QCOMPARE(c().lblChannelName->text(), "Radio Tuner");
        QCOMPARE(c().lblIndexNo->text(), "CH 00003");
        QVERIFY(c().TimeConnection->isActive());
        QCOMPARE(player->log, log);
    }

    // The current tuner is TV only while `cmdTv` is disabled: after `cmdBack` it is radio, though
    // the list still shows the TV genres.
    void closedPanelMeansRadio() {
        press(c().cmdTv);
        press(c().cmdBack);
        QVERIFY(c().cmdTv->isEnabled());
        QVERIFY(c().cmdRadio->isEnabled());
        c().lstTuner->setFocus();
        QTest::keyClick(c().lstTuner, Qt::Key_Down);
        expectGenrePicker("Radio Genre", RadioGenreList);
        QCOMPARE(c().lstTuner->count(), 11);
        // A second press of the tuner button does all again.
        press(c().cmdTv);
        QCOMPARE(items(c().lstTuner), TvGenreList);
        QCOMPARE(c().cboGenre->count(), 0);
        QVERIFY(!c().cboGenre->isEnabled());
        QVERIFY(!c().cmdTv->isEnabled());
        QCOMPARE(form->width(), Expanded);
    }

    void tvGenresFromListAndPicker() {
        press(c().cmdTv);
        click("Movies");
        const QStringList movies{
            "MBC 1",   "Zee TV",   "Bloomberg", "MSNBC", "", "ESPN Orbit", "Discovery Science",
            "Nasa Tv", "Nasa Tv2", "Fox 5",     "NBC TV"};
        QCOMPARE(items(c().lstTuner), movies);
        QCOMPARE(c().lstTuner->text(), "");
        expectGenrePicker("Select Genre", TvGenreList);
        QCOMPARE(player->log, QStringList());

        pick("Movies");
        QCOMPARE(items(c().lstTuner),
                 QStringList({"MBC 1", "Zee TV", "Nasa Tv2", "Fox 5", "NBC TV"}));
        QCOMPARE(c().cboGenre->text(), "Movies");
        pick("Weather");
        QCOMPARE(c().lstTuner->count(), 11);
        QCOMPARE(items(c().lstTuner).mid(0, 2), QStringList({"CNN News", "Abc"}));
        pick("More Channels");
        QCOMPARE(items(c().lstTuner).mid(23), QStringList({"INTERACITV", "NBC"}));
        QCOMPARE(c().cboGenre->text(), "More Channels");
        QVERIFY(c().cboGenre->isEnabled());
        QCOMPARE(c().lblChannelName->text(), "TV Tuner");

        reopen(c().cmdTv);
        click("Weather");
        QCOMPARE(c().lstTuner->count(), 5);
        QCOMPARE(c().lstTuner->item(0)->text(), "Discovery Science");
        reopen(c().cmdTv);
        click("More Channels");
        QCOMPARE(items(c().lstTuner).mid(23), QStringList({"NBC", "INTERACITV"}));

        // The blank item: the picker is rebuilt and its pick lost, nothing else changes.
        pick("News");
        click("Sky news");
        reopen(c().cmdTv);
        click("Movies");
        pick("Movies");
        pick("Movies");
        reopen(c().cmdTv);
        click("Movies");
        const QStringList log = player->log;
        click(4);
        QCOMPARE(c().lstTuner->currentRow(), 4);
        QCOMPARE(c().lstTuner->text(), "");
        QCOMPARE(items(c().lstTuner), movies);
        expectGenrePicker("Select Genre", TvGenreList);
        QCOMPARE(player->log, log);
        QCOMPARE(c().lblChannelName->text(), "TV Tuner");
        QCOMPARE(c().lblIndexNo->text(), "CH 00003");
    }

    void radioGenres() {
        press(c().cmdRadio);
        click("All Radio channels");
        QCOMPARE(items(c().lstTuner), RadioGenreList);
        QCOMPARE(c().lstTuner->text(), "All Radio channels");
        expectGenrePicker("Radio Genre", RadioGenreList);
        pick("All Radio channels");
        QCOMPARE(items(c().lstTuner), RadioGenreList);
        QCOMPARE(c().lstTuner->text(), "All Radio channels");
        QCOMPARE(c().cboGenre->text(), "All Radio channels");

        click("Radio Music");
        QCOMPARE(items(c().lstTuner), QStringList{"Discovery Science"});
        click("Discovery Science");
        expectGenrePicker("Radio Genre", RadioGenreList);
        pick("Radio kids");
        QCOMPARE(items(c().lstTuner), QStringList{"Discovery Kids"});
        reopen(c().cmdRadio);
        click("Radio kids");
        QCOMPARE(items(c().lstTuner), QStringList{"Discovery kids"});
        click("Discovery kids");
        // No radio item tunes anything.
        QCOMPARE(player->log, QStringList());
        QCOMPARE(c().lblChannelName->text(), "Radio Tuner");
        QCOMPARE(c().lblIndexNo->text(), "CH: - - - - -");
    }

    // The genre picked before a channel click is lost: the box is back at its prompt.
    void pickThenTune() {
        press(c().cmdTv);
        click("Sports");
        pick("News");
        click("CCTV 9");
        QCOMPARE(c().lblChannelName->text(), "CCTV 9");
        QCOMPARE(c().lblIndexNo->text(), "CH 00001");
        expectGenrePicker("Select Genre", TvGenreList);
    }

    // Before the panel first opens, only the keyboard reaches the genre box; its two start-up
    // items are no genres.
    void startUpItemsAreNoGenres() {
        c().cboGenre->setFocus();
        QTest::keyClick(c().cboGenre, Qt::Key_Down);
        QCOMPARE(c().cboGenre->text(), "TV tuner");
        QTest::keyClick(c().cboGenre, Qt::Key_Down);
        QCOMPARE(c().cboGenre->text(), "Radio tuner");
        QCOMPARE(c().lstTuner->count(), 0);
        QCOMPARE(c().lblChannelName->text(), "RURE DIVU");
        QCOMPARE(player->log, QStringList());
    }

    // The two tables share their genres and differ exactly where the lists say; the labels that
    // tune nothing are exactly those without a catalogue row.
    void tablesAgainstEachOther() {
        QStringList genres = TvGenreList + RadioGenreList;
        genres.removeOne("All Radio channels");
        QStringList different;
        QSet<QString> withoutRow;
        QCOMPARE(ListClickChannels.size(), genres.size());
        QCOMPARE(ComboClickChannels.size(), genres.size());
        for (const QString &genre : genres) {
            const GenreChannels *byList = findGenre(ListClickChannels, genre);
            const GenreChannels *byCombo = findGenre(ComboClickChannels, genre);
            QVERIFY(byList != nullptr && byCombo != nullptr);
            if (texts(byList->labels) != texts(byCombo->labels))
                different << genre;
            for (const GenreChannels *channels : {byList, byCombo})
                for (QStringView label : channels->labels) {
                    QVERIFY(!genres.contains(label.toString()));
                    if (FindChannel(label.toString()) == nullptr)
                        withoutRow << label.toString();
                }
        }
        QCOMPARE(different, QStringList({"Movies", "Documentary", "Weather", "Kids",
                                         "More Channels", "Radio kids"}));
        QCOMPARE(withoutRow,
                 QSet<QString>({"Abc", "Bloomberg", "MSNBC", "ESPN Orbit", "Discovery Science",
                                "Discovery kids", "Discovery Kids", "Fox 5", "NBC TV", ""}));
        QStringList more = texts(findGenre(ListClickChannels, "More Channels")->labels);
        more.swapItemsAt(23, 24);
        QCOMPARE(texts(findGenre(ComboClickChannels, "More Channels")->labels), more);
        for (const char *genre : {"Movies", "Kids", "Weather", "Documentary"})
            QVERIFY(findGenre(ListClickChannels, genre) != nullptr);
        QCOMPARE(findGenre(ListClickChannels, "All Radio channels"), nullptr);
        QCOMPARE(findGenre(ComboClickChannels, "Radio Sports"), nullptr);
        QCOMPARE(findGenre(ComboClickChannels, "TV tuner"), nullptr);
    }

    // From start-up the lists reach every channel of the catalogue, each tuning to its row.
    void everyChannelReachable() {
        QSet<QString> tuned;
        const auto tuneAll = [&] {
            for (int row = 0; row < c().lstTuner->count(); ++row) {
                player->log.clear();
                c().lblBuffering->setText("status");
                click(row);
                const ChannelEntry *entry = FindChannel(c().lstTuner->item(row)->text());
                if (entry == nullptr) {
                    QCOMPARE(player->log, QStringList());
                    continue;
                }
                tuned << entry->ListLabel.toString();
                QCOMPARE(c().lblChannelName->text(), entry->ChannelName.toString());
                QCOMPARE(c().lblIndexNo->text(), entry->IndexNo.toString());
                QCOMPARE(player->log,
                         QStringList({"setUrl " + entry->StreamAddress.toString(), "play"}));
                const bool monitored = entry->PlayMethod == PlayMethod::Monitored;
                QCOMPARE(c().TimeConnection->isActive(), monitored);
                QCOMPARE(c().lblBuffering->text(), monitored ? "status" : "Flash signal");
            }
        };
        for (const QString &genre : TvGenreList) {
            reopen(c().cmdTv);
            click(genre);
            tuneAll();
            pick(genre);
            tuneAll();
        }
        QCOMPARE(tuned.size(), 50);
    }
};

QTEST_MAIN(TestTuning)
#include "tst_tuning.moc"
