// The program started as main() starts it, again and again with the same folders: it comes back
// to the playlist, the favourites and the last channel of the run before, or to the built-in
// channels once they were chosen; and a run that never opens a playlist nor marks a favourite
// writes nothing at all.

#include "app/ProgramWindow.h"
#include "app/Remembering.h"
#include "catalogue/TuningState.h"
#include "form/Design.h"
#include "support/DisplayWindows.h"
#include "support/StateHome.h"
#include "support/Zapping.h"
#include "tuner/GenreCombo.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// Nothing listens on port 9 of the loopback: the channels tune and fail at once.
constexpr char PlaylistText[] = "#EXTM3U\n"
                                "#EXTINF:-1 tvg-id=\"alpha.tv\" group-title=\"News\",Alpha\n"
                                "http://127.0.0.1:9/alpha.ts\n"
                                "#EXTINF:-1 group-title=\"News\",Beta\n"
                                "http://127.0.0.1:9/beta.ts\n"
                                "#EXTINF:-1 group-title=\"Films\",Gamma\n"
                                "http://127.0.0.1:9/gamma.ts\n";

const QString Title = QStringView(design::Title).toString();

CommandLine startWith(const QString &playlist = {}) {
    CommandLine line;
    line.playlist = playlist;
    return line;
}

// What the program wrote: the entries of the folders it keeps its files in.
QStringList written(const StateHome &home) {
    return home.entries().filter(QRegularExpression(QStringLiteral("^(state|data)")));
}

QStringList genres(const MainForm &form) {
    QStringList texts;
    for (int i = 0; i < form.controls().cboGenre->count(); ++i)
        texts << form.controls().cboGenre->itemText(i);
    return texts;
}

// The program itself started without an argument shows a window titled `title`; it is then
// stopped, having written nothing at start.
void theProgramStartsWith(const QString &title) {
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(RUREDIVU_BINARY), {});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(windowTitlesOf(program.processId()).contains(title), 60000);
    program.kill();
    program.waitForFinished();
}

QMenu *openMenuByKeys(MainForm &form) {
    QTest::keyClick(&form, Qt::Key_F10, Qt::ShiftModifier);
    auto *menu = form.findChild<QMenu *>(QStringLiteral("programMenu"));
    return menu != nullptr && menu->isVisible() ? menu : nullptr;
}

void choose(QMenu *menu, const char *action) {
    QAction *item = menu->findChild<QAction *>(QLatin1StringView(action));
    QVERIFY2(item != nullptr && item->isEnabled(), action);
    menu->close();
    item->trigger();
}

} // namespace

class TestRemembering : public QObject {
    Q_OBJECT

    QTemporaryDir folder;
    QString playlist;

    void waitForPlaylist(MainForm &form) {
        QTRY_VERIFY(form.windowTitle().startsWith(QStringLiteral("list.m3u")));
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }

private slots:
    void initTestCase() {
        playlist = folder.filePath(QStringLiteral("list.m3u"));
        QFile file(playlist);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(PlaylistText);
    }

    void threeStarts() {
        StateHome home;
        {
            ProgramWindow first(startWith(playlist));
            MainForm &form = first.form();
            waitForPlaylist(form);
            clickText(form, QStringLiteral("News"));
            for (const char *channel : {"Alpha", "Beta"}) {
                clickText(form, QString::fromUtf8(channel));
                QCOMPARE(tunedName(form), QString::fromUtf8(channel));
                press(Qt::Key_F);
            }
            QCOMPARE(genres(form).value(0), QStringLiteral("Favourites"));
        }
        theProgramStartsWith(QStringLiteral("list.m3u - ") + Title);
        {
            // The same playlist by itself, nothing playing until the last-channel key.
            ProgramWindow second(startWith());
            MainForm &form = second.form();
            waitForPlaylist(form);
            QCOMPARE(rowTexts(form.controls().lstTuner),
                     (QStringList{"Favourites", "News", "Films"}));
            QVERIFY(!form.tuning().current());
            clickText(form, QStringLiteral("Favourites"));
            QCOMPARE(rowTexts(form.controls().lstTuner), (QStringList{"Alpha", "Beta"}));
            press(Qt::Key_Backspace);
            QCOMPARE(tunedName(form), QStringLiteral("Beta"));
            QCOMPARE(form.controls().lstTuner->selectedItem()->text, QStringLiteral("Beta"));
            // Unmarked from the menu, it leaves the list at once.
            QMenu *menu = openMenuByKeys(form);
            QVERIFY(menu != nullptr);
            QVERIFY(menu->actions().constFirst()->shortcut() == QKeySequence::Open);
            QVERIFY(!menu->findChild<QAction *>(QStringLiteral("recentAction0"))->text().isEmpty());
            choose(menu, "favouriteAction");
            QCOMPARE(rowTexts(form.controls().lstTuner), QStringList{"Alpha"});
            choose(openMenuByKeys(form), "builtInAction");
            QCOMPARE(form.windowTitle(), Title);
            QVERIFY(!rowTexts(form.controls().lstTuner).contains(QStringLiteral("Favourites")));
        }
        theProgramStartsWith(Title);
        {
            ProgramWindow third(startWith());
            QCOMPARE(third.form().windowTitle(), Title);
            QVERIFY(third.form().controls().lblBuffering->text().isEmpty());
        }
        // The files hold addresses, which may carry passwords.
        for (const QString &file : written(home).filter(QStringLiteral(".json")))
            QCOMPARE(QFile::permissions(home.path(file)) &
                         ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     QFile::ReadOwner | QFile::WriteOwner);
    }

    // Everything a viewer of the built-in channels does, the menu included, and nothing is
    // written.
    void neverOpeningAPlaylistWritesNothing() {
        StateHome home;
        {
            ProgramWindow window(startWith());
            MainForm &form = window.form();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QTest::mouseClick(form.controls().cmdTv, Qt::LeftButton);
            clickRow(form, 0);
            clickRow(form, 0);
            for (int key : {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Backspace, Qt::Key_I})
                press(key);
            QWidget *video = form.controls().videoControl;
            QContextMenuEvent click(QContextMenuEvent::Mouse, video->rect().center(),
                                    video->mapToGlobal(video->rect().center()));
            QApplication::sendEvent(video, &click);
            auto *menu = form.findChild<QMenu *>(QStringLiteral("programMenu"));
            QVERIFY(menu != nullptr && menu->isVisible());
            menu->close();
        }
        QCOMPARE(written(home), QStringList());
    }

    // The built-in channels have favourites of their own, kept as a playlist's are.
    void builtInFavourites() {
        StateHome home;
        QString marked;
        {
            ProgramWindow window(startWith());
            MainForm &form = window.form();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QTest::mouseClick(form.controls().cmdTv, Qt::LeftButton);
            clickRow(form, 0);
            for (int row = 0; !form.tuning().current(); ++row)
                clickRow(form, row);
            marked = form.tuning().current()->item.text;
            press(Qt::Key_F);
        }
        ProgramWindow window(startWith());
        MainForm &form = window.form();
        QTest::mouseClick(form.controls().cmdTv, Qt::LeftButton);
        QCOMPARE(rowText(form.controls().lstTuner, 0), QStringLiteral("Favourites"));
        clickRow(form, 0);
        QCOMPARE(rowTexts(form.controls().lstTuner), QStringList{marked});
    }

    // Ctrl+L asks for an address, Ctrl+O for a file; a recent playlist opens from the menu.
    void openingFromTheMenu() {
        StateHome home;
        ProgramWindow window(startWith());
        MainForm &form = window.form();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
        auto *address = form.findChild<QInputDialog *>(QStringLiteral("openAddressDialog"));
        QVERIFY(address != nullptr && address->isVisible());
        address->setTextValue(QUrl::fromLocalFile(playlist).toString());
        address->accept();
        waitForPlaylist(form);
        choose(openMenuByKeys(form), "builtInAction");
        QCOMPARE(form.windowTitle(), Title);
        choose(openMenuByKeys(form), "recentAction0");
        waitForPlaylist(form);
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        auto *file = form.findChild<QFileDialog *>(QStringLiteral("openPlaylistDialog"));
        QVERIFY(file != nullptr && file->isVisible());
        file->reject();
    }

    void forgettingEverything() {
        StateHome home;
        ProgramWindow window(startWith(playlist));
        MainForm &form = window.form();
        waitForPlaylist(form);
        clickText(form, QStringLiteral("Films"));
        clickText(form, QStringLiteral("Gamma"));
        // In full screen too: the key marks the channel tuned, the menu shows over the video.
        form.player().enterFullScreen();
        QTRY_VERIFY(form.player().isFullScreen());
        press(Qt::Key_F);
        QVERIFY(!written(home).isEmpty());
        // The Menu key reaches the menu as a context menu event from the focused control.
        QContextMenuEvent key(QContextMenuEvent::Keyboard, {}, {});
        QApplication::sendEvent(QApplication::focusWidget(), &key);
        auto *menu = form.findChild<QMenu *>(QStringLiteral("programMenu"));
        QVERIFY(menu != nullptr && menu->isVisible());
        QCOMPARE(menu->findChild<QAction *>(QStringLiteral("favouriteAction"))->text(),
                 QStringLiteral("Remove from Favourites"));
        choose(menu, "forgetAction");
        auto *question = form.findChild<QMessageBox *>(QStringLiteral("forgetQuestion"));
        QVERIFY(question != nullptr);
        question->button(QMessageBox::Yes)->click();
        QCOMPARE(written(home), (QStringList{"data", "state"}));
        QVERIFY(!genres(form).contains(QStringLiteral("Favourites")));
    }
};

QTEST_MAIN(TestRemembering)
#include "tst_remembering.moc"
