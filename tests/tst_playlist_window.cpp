// Playlists in the window, with the stand-in player: opened from a file or a drop, their groups
// as the tuners' genres, and each click tuning the entry clicked whatever its title; a playlist
// that cannot be read leaves everything as it was.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "support/FakePlayer.h"
#include "support/Lists.h"
#include "tuner/GenreCombo.h"
#include "tuner/TunerList.h"

#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

// Titles repeat, equal a group's name or are missing; one entry is in two groups.
const QByteArray Channels = R"(#EXTM3U
#EXTINF:-1 group-title="News",Twin
http://127.0.0.1:9/news/1.ts
#EXTINF:-1 group-title="News",Twin
http://127.0.0.1:9/news/2.ts
#EXTINF:-1 tvg-id="x" group-title="Sports;News",Sports
http://127.0.0.1:9/sports/3.ts
#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko)
#EXTVLCOPT:http-referrer=http://127.0.0.1:9/page?a=1,b="2"
#EXTINF:-1 group-title="Sports",
http://127.0.0.1:9/sports/4.ts
#EXTINF:-1 radio="true" group-title="Talk",Talk one
http://127.0.0.1:9/radio/5.mp3
#EXTINF:-1,Loose
http://127.0.0.1:9/loose/6.ts
)";

} // namespace

class TestPlaylistWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    const Controls &c() const { return form->controls(); }

    QString writeFile(const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return file.fileName();
    }
    void click(int row) {
        QVERIFY(row < rowCount(c().lstTuner));
        QTest::mouseClick(c().lstTuner->viewport(), Qt::LeftButton, {},
                          rowCentre(c().lstTuner, row));
    }
    void pick(const QString &genre) {
        GenreCombo *combo = c().cboGenre;
        const int index = combo->findText(genre, Qt::MatchExactly | Qt::MatchCaseSensitive);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    QStringList comboItems() const {
        QStringList items;
        for (int i = 0; i < c().cboGenre->count(); ++i)
            items << c().cboGenre->itemText(i);
        return items;
    }
    void openAndWait(const QString &source) {
        form->openPlaylist(source);
        QCOMPARE(c().lblBuffering->text(), "Loading playlist...");
        QTRY_VERIFY(form->windowTitle() != "RURE DIVU");
    }

private slots:
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup() {
        delete form;
        delete player;
    }

    void groupsAreGenresAndClicksTuneTheEntry() {
        openAndWait(writeFile("my list.m3u", Channels));
        QCOMPARE(form->windowTitle(), "my list.m3u - RURE DIVU");
        QCOMPARE(c().lblBuffering->text(), "Playlist loaded: 6 channels");
        // The side panel opens on the TV tuner's groups, in order of first appearance.
        QVERIFY(!c().cmdTv->isEnabled());
        const QStringList tvGenres{"News", "Sports", "Other channels"};
        QCOMPARE(rowTexts(c().lstTuner), tvGenres);
        QVERIFY(!c().cboGenre->isEnabled());

        click(0);
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"Twin", "Twin", "Sports"}));
        QCOMPARE(comboItems(), tvGenres);
        QCOMPARE(c().cboGenre->text(), "Select Genre");
        QVERIFY(player->url.isEmpty());

        // Twins and a title that names a group each tune their own entry.
        for (const auto &[row, number] :
             {std::pair{1, "CH 00002"}, {0, "CH 00001"}, {2, "CH 00003"}}) {
            click(row);
            QCOMPARE(c().lblIndexNo->text(), number);
            QCOMPARE(player->url, QString("http://127.0.0.1:9/%1/%2.ts")
                                      .arg(row == 2 ? "sports" : "news")
                                      .arg(QString(number).right(1)));
            QCOMPARE(player->log.last(), "play");
            QVERIFY(c().TimeConnection->isActive());
        }
        QCOMPARE(c().lblChannelName->text(), "Sports");
        QCOMPARE(rowCount(c().lstTuner), 3);

        // The picker shows a group's channels as the list does; an untitled entry shows its
        // address and plays with its headers.
        pick("Sports");
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"Sports", "http://127.0.0.1:9/sports/4.ts"}));
        click(1);
        QCOMPARE(c().lblIndexNo->text(), "CH 00004");
        QCOMPARE(player->headers.userAgent,
                 "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko)");
        QCOMPARE(player->headers.referrer, "http://127.0.0.1:9/page?a=1,b=\"2\"");
        pick("Other channels");
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"Loose"}));

        // The radio tuner has the radio entries alone.
        QTest::mouseClick(c().cmdRadio, Qt::LeftButton);
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"Talk"}));
        click(0);
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"Talk one"}));
        click(0);
        QCOMPARE(c().lblIndexNo->text(), "CH 00005");
    }

    // A drop opens the file in place of the list shown, under the tuner shown.
    void dropOpensAPlaylist() {
        QTest::mouseClick(c().cmdRadio, Qt::LeftButton);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(writeFile("dropped.m3u", Channels))});
        const QPoint middle = form->rect().center();
        QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(middle), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form, &drop);
        QTRY_COMPARE(form->windowTitle(), "dropped.m3u - RURE DIVU");
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"Talk"}));
        // What is no playlist link is not taken.
        QMimeData text;
        text.setText("just some words");
        QDragEnterEvent other(middle, Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(form, &other);
        QVERIFY(!other.isAccepted());
    }

    // A playlist that cannot be read: one message box, the list and title as they were.
    void failureKeepsTheList() {
        QTest::mouseClick(c().cmdTv, Qt::LeftButton);
        const QStringList before = rowTexts(c().lstTuner);
        c().lblBuffering->setText("Flash signal");
        form->openPlaylist(dir.filePath("missing.m3u"));
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = form->findChild<QMessageBox *>("playlistError")) != nullptr);
        QVERIFY(
            box->text().startsWith("Could not open the playlist " + dir.filePath("missing.m3u")));
        QVERIFY(box->text().endsWith('.'));
        QCOMPARE(rowTexts(c().lstTuner), before);
        QCOMPARE(form->windowTitle(), "RURE DIVU");
        QCOMPARE(c().lblBuffering->text(), "Flash signal");
    }
};

QTEST_MAIN(TestPlaylistWindow)
#include "tst_playlist_window.moc"
