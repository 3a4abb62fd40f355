// Tuning from the side panel, driven as the user drives it (tuner buttons, clicks in the list,
// picks in the genre box) on the real window with the stand-in player: the items that tune
// nothing, the two channel tables against each other, and every channel reached from start-up.

#include "app/MainForm.h"
#include "catalogue/Catalogue.h"
#include "form/Controls.h"
#include "support/FakePlayer.h"
#include "support/Lists.h"
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
    return rowTexts(list);
}

QStringList items(const GenreCombo *combo) {
    QStringList result;
    for (int i = 0; i < combo->count(); ++i)
        result << combo->itemText(i);
    return result;
}

const QStringList TvGenreList = texts(TvGenres);
const QStringList RadioGenreList = texts(RadioGenres);

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
        QVERIFY(row < rowCount(list));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, row));
    }
    void click(const QString &text) {
        const int row = findRow(c().lstTuner, text);
        QVERIFY2(row >= 0, qPrintable(text));
        click(row);
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

    // The blank row of "Movies" and the genre "All Radio channels" are items like any other: a
    // click on one rebuilds the genre box, leaves the list as it is and tunes nothing.
    void itemsThatTuneNothing() {
        press(c().cmdTv);
        click("News");
        click("Sky news");
        const QStringList log = player->log;
        reopen(c().cmdTv);
        click("Movies");
        const QStringList movies{
            "MBC 1",   "Zee TV",   "Bloomberg", "MSNBC", "", "ESPN Orbit", "Discovery Science",
            "Nasa Tv", "Nasa Tv2", "Fox 5",     "NBC TV"};
        QCOMPARE(items(c().lstTuner), movies);
        click(4);
        QCOMPARE(currentRow(c().lstTuner), 4);
        QCOMPARE(c().lstTuner->text(), "");
        QCOMPARE(items(c().lstTuner), movies);
        expectGenrePicker("Select Genre", TvGenreList);

        reopen(c().cmdRadio);
        click("All Radio channels");
        QCOMPARE(items(c().lstTuner), RadioGenreList);
        QCOMPARE(c().lstTuner->text(), "All Radio channels");
        expectGenrePicker("Radio Genre", RadioGenreList);
        QCOMPARE(player->log, log);
        QCOMPARE(c().lblChannelName->text(), "Radio Tuner");
        QCOMPARE(c().lblIndexNo->text(), "CH 00003");
    }

    // Before the panel first opens, only the keyboard reaches the genre box; its two start-up
    // items are no genres.
    void startUpItemsAreNoGenres() {
        c().cboGenre->setFocus();
        QTest::keyClick(c().cboGenre, Qt::Key_Down);
        QCOMPARE(c().cboGenre->text(), "TV tuner");
        QTest::keyClick(c().cboGenre, Qt::Key_Down);
        QCOMPARE(c().cboGenre->text(), "Radio tuner");
        QCOMPARE(rowCount(c().lstTuner), 0);
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
        QCOMPARE(texts(findGenre(ListClickChannels, "Radio kids")->labels),
                 QStringList{"Discovery kids"});
        QCOMPARE(texts(findGenre(ComboClickChannels, "Radio kids")->labels),
                 QStringList{"Discovery Kids"});
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
            for (int row = 0; row < rowCount(c().lstTuner); ++row) {
                player->log.clear();
                c().lblBuffering->setText("status");
                click(row);
                const ChannelEntry *entry = FindChannel(rowText(c().lstTuner, row));
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
