// A playlist's guides in the window, with the stand-in player: read once the playlist shows, the
// status line saying so and then what came of it, unless it has turned to a channel's connection
// meanwhile; the guide reaching the tuning, a guide that fails leaving the playlist as it is, and
// a newer playlist dropping the guide of the one before.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "guide/ChannelGuide.h"
#include "support/FakePlayer.h"
#include "support/GuideText.h"
#include "support/Lists.h"
#include "support/StreamServer.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr GuideTime Noon = 1'709'294'400; // 2024-03-01 12:00 UTC
constexpr GuideTime Hour = 3600;

// Three channels, with the guides named in the header line if any.
QByteArray channelsNaming(const QString &guides) {
    return (guides.isEmpty() ? "#EXTM3U" : "#EXTM3U x-tvg-url=\"" + guides.toUtf8() + '"') +
           "\n"
           "#EXTINF:-1 tvg-id=\"a\" group-title=\"News\",A\nhttp://127.0.0.1:9/a\n"
           "#EXTINF:-1 tvg-id=\"b\" group-title=\"News\",B\nhttp://127.0.0.1:9/b\n"
           "#EXTINF:-1 group-title=\"Sport\",C\nhttp://127.0.0.1:9/c\n";
}

const QByteArray GuideAB = xmltvText(
    {{"a", {"A"}}, {"b", {"B"}}}, {{"a", Noon, Noon + Hour, "A1"}, {"b", Noon, Noon + Hour, "B1"}});
const QByteArray GuideC = xmltvText({{"c", {"C"}}}, {{"c", Noon, Noon + Hour, "C1"}});

const QString Loaded = QStringLiteral("Playlist loaded: 3 channels");
const QString LoadingGuide = QStringLiteral("Loading guide...");

} // namespace

class TestGuideWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<StreamServer> server;
    FakePlayer *player = nullptr;
    MainForm *form = nullptr;
    const Controls &c() const { return form->controls(); }
    QString status() const { return c().lblBuffering->text(); }

    QString writeFile(const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }
    // Opens the playlist from a file of the name and waits for its channels; its guides are
    // being read then.
    void open(const QString &name, const QByteArray &playlist) {
        form->openPlaylist(writeFile(name, playlist));
        QTRY_COMPARE(form->windowTitle(), name + " - RURE DIVU");
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"News", "Sport"}));
    }

private slots:
    void initTestCase() {
        server = std::make_unique<StreamServer>(
            StreamServer::Options{.behaviour = StreamServer::Behaviour::NotFound});
        server->route("/ab.xml.gz", {.body = gzipped(GuideAB), .contentType = "application/gzip"});
        writeFile("c.xml", GuideC);
    }
    void init() {
        player = new FakePlayer;
        form = new MainForm(*player);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup() {
        delete form;
        delete player;
        server->resume();
    }

    // The guides of the command line come first, then the playlist's own, relative to it.
    void theGuideReachesTheTuning() {
        QSignalSpy changed(&form->tuning(), &TuningState::guideChanged);
        const int requests = server->requests();
        form->setGuides({server->url("/ab.xml.gz")});
        open("list.m3u", channelsNaming("c.xml," + server->url("/ab.xml.gz")));
        QTRY_COMPARE(status(), "Guide loaded: 3 programmes for 3 of 3 channels");
        QCOMPARE(server->requests(), requests + 1); // the guide named twice is read once
        QCOMPARE(changed.count(), 1);
        const std::shared_ptr<const ChannelGuide> &guide = form->tuning().guide();
        QVERIFY(guide);
        const std::optional<ProgrammeSlot> onAtNoon = guide->at(2, Noon);
        QVERIFY(onAtNoon);
        QCOMPARE(guide->title(*onAtNoon), "C1");
    }

    // A guide that fails says so and leaves the channels as they are.
    void aFailingGuideLeavesThePlaylist() {
        const QString missing = server->url("/none.xml");
        open("list.m3u", channelsNaming(missing));
        QTRY_COMPARE(status(), "Could not read the guide " + missing +
                                   ": the server answered 404 Not Found.");
        QVERIFY(!form->tuning().guide());
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"News", "Sport"}));
        QTest::mouseClick(c().lstTuner->viewport(), Qt::LeftButton, {}, rowCentre(c().lstTuner, 0));
        QCOMPARE(rowTexts(c().lstTuner), QStringList({"A", "B"}));
    }

    // The status line the guide found taken over by a channel's connection is left to it.
    void aConnectionStatusStays() {
        server->pause();
        open("list.m3u", channelsNaming(server->url("/ab.xml.gz")));
        QCOMPARE(status(), LoadingGuide);
        c().lblBuffering->setText("Connected to A");
        server->resume();
        QTRY_VERIFY(form->tuning().guide());
        QCOMPARE(status(), "Connected to A");
    }

    // A playlist shown in place of the one whose guide was being read drops that guide.
    void aNewPlaylistDropsTheGuide() {
        server->pause();
        const int requests = server->requests();
        const int hangUps = server->hangUps();
        open("first.m3u", channelsNaming(server->url("/ab.xml.gz")));
        QTRY_COMPARE(server->requests(), requests + 1);
        QSignalSpy changed(&form->tuning(), &TuningState::guideChanged);
        open("second.m3u", channelsNaming({}));
        QCOMPARE(status(), Loaded);
        QTRY_COMPARE(server->hangUps(), hangUps + 1);
        server->resume();
        // The transfer is gone with its load: nothing is left to send a guide.
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 0);
        QVERIFY(!form->tuning().guide());
        QCOMPARE(status(), Loaded);
    }

    // Without a guide the playlist shows as it always did.
    void withoutGuidesNothingChanges() {
        open("list.m3u", channelsNaming({}));
        QCOMPARE(status(), Loaded);
        // No guide is read, so nothing can come later.
        QCoreApplication::processEvents();
        QCOMPARE(status(), Loaded);
        QVERIFY(!form->tuning().guide());
    }
};

QTEST_MAIN(TestGuideWindow)
#include "tst_guide_window.moc"
