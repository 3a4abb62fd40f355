// The guide loader against guides in files made here and served from 127.0.0.1, good and bad,
// alone and together: each load ends in one of its two signals, with the summary or the reason
// as the status line shows it and one sentence for each guide that could not be read whole; a
// newer load, a cancel or closing the loader stops the one before without waiting on a server.

#include "guide/GuideBuilder.h"
#include "guide/GuideLoader.h"
#include "playlist/Playlist.h"
#include "support/GuideText.h"
#include "support/StreamServer.h"
#include "support/TimeScale.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// Short, so that the rows of servers that stop sending end quickly.
constexpr auto StallTimeout = 300ms;
// Longer than any row may take, even on a loaded machine or a sanitizer build.
constexpr int RowTimeoutMs = 30000;

// 2024-03-01 12:00 UTC.
constexpr GuideTime Noon = 1'709'294'400;
constexpr GuideTime Hour = 3600;

// Three channels; each guide below covers some of them.
const QByteArray Channels = "#EXTM3U\n"
                            "#EXTINF:-1 tvg-id=\"a\",A\nhttp://127.0.0.1:9/a\n"
                            "#EXTINF:-1 tvg-id=\"b\",B\nhttp://127.0.0.1:9/b\n"
                            "#EXTINF:-1 tvg-name=\"C\",C\nhttp://127.0.0.1:9/c\n";

// Channels a and b: three programmes.
const QByteArray GuideAB =
    xmltvText({{"a", {"A"}}, {"b", {"B"}}}, {{"a", Noon, Noon + Hour, "A1"},
                                             {"a", Noon + Hour, Noon + 2 * Hour, "A2"},
                                             {"b", Noon, Noon + Hour, "B1"}});
// Channel c: one programme, its times in a zone nobody knows.
const QByteArray GuideC =
    xmltvText({{"c", {"C"}}}, {{"c", Noon, Noon + Hour, "C1"}}).replace("+0000", "MARS");

// `count` programmes of ten minutes on `channel`.
QByteArray longGuide(const QString &channel, int count) {
    QList<XmltvProgramme> programmes;
    for (int i = 0; i < count; ++i)
        programmes.append({channel, Noon + i * 600, Noon + (i + 1) * 600, QString::number(i)});
    return xmltvText({{channel, {channel.toUpper()}}}, programmes);
}

// Why the builder stops at these bytes, as the end of a sentence.
QString stoppedAt(const QByteArray &bytes) {
    GuideBuilder builder;
    builder.begin();
    builder.feed(bytes);
    return builder.end().stopped;
}

QString failure(const QString &source, const QString &why) {
    return QStringLiteral("Could not read the guide %1: %2.").arg(source, why);
}

QString inPart(const QString &source, const QString &why) {
    return QStringLiteral("The guide %1 was read only in part: %2.").arg(source, why);
}

std::shared_ptr<const Playlist> channels() {
    ParsedPlaylist parsed = parsePlaylist(Channels, QUrl(QStringLiteral("http://127.0.0.1:9/")));
    return std::make_shared<const Playlist>(std::move(*parsed.playlist));
}

} // namespace

class TestGuideLoader : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sources_data();
    void sources();
    void stopsHalfWay();
    void theGuideIsMatched();
    void newLoadDropsTheOneBefore();
    void cancel();
    void closing();

private:
    QString file(const QString &name, const QByteArray &bytes) const;

    QTemporaryDir dir_;
    std::unique_ptr<StreamServer> server_;
    std::unique_ptr<StreamServer> hanging_;
    QByteArray half_; // a guide of channel z, of which the server sends the first half
};

void TestGuideLoader::initTestCase() {
    using B = StreamServer::Behaviour;
    server_ = std::make_unique<StreamServer>(StreamServer::Options{.behaviour = B::NotFound});
    hanging_ = std::make_unique<StreamServer>(StreamServer::Options{.behaviour = B::Hang});
    StreamServer &s = *server_;
    half_ = longGuide("z", 400);
    s.route("/ab.xml.gz", {.body = gzipped(GuideAB), .contentType = "application/gzip"});
    s.route("/c.xml", {.body = GuideC, .contentType = "application/xml"});
    s.route("/many.xml", {.body = longGuide("a", 1200), .contentType = "text/xml"});
    s.route("/other.xml", {.body = longGuide("z", 2), .contentType = "text/xml"});
    s.route("/empty.xml", {.body = xmltvText({{"a", {"A"}}}, {}), .contentType = "text/xml"});
    s.route("/page.html", StreamServer::htmlPage());
    s.route("/error.xml", {.behaviour = B::ServerError});
    s.route("/hop", StreamServer::redirect("/hop2"));
    s.route("/hop2", StreamServer::redirect(s.url("/ab.xml.gz")));
    s.route("/loop", StreamServer::redirect("/loop"));
    s.route("/to-file",
            StreamServer::redirect(QUrl::fromLocalFile(file("ab.xml", GuideAB)).toString()));
    s.route("/cut.xml", {.body = half_, .contentType = "text/xml", .cutOffAt = half_.size() / 2});
    s.route("/stops.xml", {.body = half_,
                           .contentType = "text/xml",
                           // Long enough that no late tick of the pacing sends it whole.
                           .bytesPerSecond = int(half_.size()),
                           .stallEveryMs = 500,
                           .stallForMs = 600'000});
    file("ab.xml.gz", gzipped(GuideAB));
    file("c.xml", GuideC);
    QDir(dir_.path()).mkdir("folder");
}

QString TestGuideLoader::file(const QString &name, const QByteArray &bytes) const {
    QFile out(dir_.filePath(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(out.fileName()));
    return out.fileName();
}

// Each row ends in `loaded` with the summary and the problems given, or in `failed` with the
// message given (no problems then).
void TestGuideLoader::sources_data() {
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("problems");
    const StreamServer &s = *server_;
    const QString ab = u"Guide loaded: 3 programmes for 2 of 3 channels"_qs;
    const QString abc = u"Guide loaded: 4 programmes for 3 of 3 channels; 1 programme with an "
                        u"unknown time zone read as UTC"_qs;
    const QString stalled = u"nothing came from the server for 0.3 seconds"_qs;
    const QString refused =
        QStringLiteral("http://127.0.0.1:%1/ab.xml").arg(StreamServer::refusingPort());
    const QString missing = dir_.filePath("missing.xml");
    const QString toFile = QUrl::fromLocalFile(dir_.filePath("ab.xml")).toString();
    const auto loads = [](const char *name, const QStringList &sources, const QString &summary,
                          const QStringList &problems = {}) {
        QTest::newRow(name) << sources << true << summary << problems;
    };
    const auto fails = [](const char *name, const QStringList &sources, const QString &message) {
        QTest::newRow(name) << sources << false << message << QStringList();
    };

    loads("gzip file", {dir_.filePath("ab.xml.gz")}, ab);
    loads("file: URL", {QUrl::fromLocalFile(dir_.filePath("ab.xml.gz")).toString()}, ab);
    loads("gzip from the network", {s.url("/ab.xml.gz")}, ab);
    loads("redirects", {s.url("/hop")}, ab);
    loads("two guides, one of unknown time zones", {dir_.filePath("ab.xml.gz"), s.url("/c.xml")},
          abc);
    loads("the same guide twice counts once", {s.url("/ab.xml.gz"), dir_.filePath("ab.xml.gz")},
          ab);
    loads("thousands", {s.url("/many.xml")}, "Guide loaded: 1,200 programmes for 1 of 3 channels");
    loads("a guide of other channels", {s.url("/other.xml")},
          "Guide loaded: 0 programmes for 0 of 3 channels");
    loads("a 404 among good ones",
          {s.url("/missing.xml"), dir_.filePath("c.xml"), s.url("/ab.xml.gz")}, abc,
          {failure(s.url("/missing.xml"), "the server answered 404 Not Found")});
    loads("cut off half way", {dir_.filePath("ab.xml.gz"), s.url("/cut.xml")}, ab,
          {inPart(s.url("/cut.xml"), "the transfer broke off before the whole guide came")});
    loads("each failure its sentence", {missing, s.url("/ab.xml.gz"), hanging_->url("/g.xml")}, ab,
          {failure(missing, "the file does not exist"), failure(hanging_->url("/g.xml"), stalled)});

    fails("404", {s.url("/g.xml.gz")},
          failure(s.url("/g.xml.gz"), "the server answered 404 Not Found"));
    fails("500", {s.url("/error.xml")},
          failure(s.url("/error.xml"), "the server answered 500 Internal Server Error"));
    fails("server never answers", {hanging_->url("/g.xml")},
          failure(hanging_->url("/g.xml"), stalled));
    fails("connection refused", {refused}, failure(refused, "the server refused the connection"));
    fails("redirect loop", {s.url("/loop")},
          failure(s.url("/loop"), "the address redirects more than 10 times"));
    fails("redirect to a file", {s.url("/to-file")},
          failure(s.url("/to-file"), "the address redirects to " + toFile +
                                         ", which is not an http or https address"));
    fails("web page", {s.url("/page.html")},
          failure(s.url("/page.html"), stoppedAt(StreamServer::htmlPage().body)));
    fails("missing file", {missing}, failure(missing, "the file does not exist"));
    fails("folder", {dir_.filePath("folder")},
          failure(dir_.filePath("folder"), "it is a folder, not a file"));
    fails("ftp address", {"ftp://127.0.0.1/g.xml"},
          failure("ftp://127.0.0.1/g.xml", "only files and http or https addresses can be read"));
    fails("address without host", {"http:///g.xml"},
          failure("http:///g.xml", "the address is not valid"));
    fails("no programmes", {s.url("/empty.xml")},
          "The guide " + s.url("/empty.xml") + " has no programmes.");
    fails("none of several gives anything", {s.url("/g.xml"), missing},
          failure(s.url("/g.xml"), "the server answered 404 Not Found") + u' ' +
              failure(missing, "the file does not exist"));
}

void TestGuideLoader::sources() {
    QFETCH(QStringList, sources);
    QFETCH(bool, loads);
    QFETCH(QString, summary);
    QFETCH(QStringList, problems);
    GuideLoader loader(StallTimeout);
    QSignalSpy loaded(&loader, &GuideLoader::loaded);
    QSignalSpy failed(&loader, &GuideLoader::failed);
    loader.load(sources, channels());
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count() + failed.count(), 1, RowTimeoutMs);
    // A second answer would have been sent with the first: nothing more comes.
    QCoreApplication::processEvents();
    QCOMPARE(loaded.count() + failed.count(), 1);
    if (!loads) {
        QCOMPARE(loaded.count(), 0);
        QCOMPARE(failed.first().first().toString(), summary);
        return;
    }
    QCOMPARE(failed.count(), 0);
    QCOMPARE(loaded.first().at(1).toString(), summary);
    QCOMPARE(loaded.first().at(2).toStringList(), problems);
}

// A server that stops sending half way: what came counts. The time-out is long enough here for
// the first half to come whatever the machine's load.
void TestGuideLoader::stopsHalfWay() {
    GuideLoader loader(StallTimeout * 5);
    QSignalSpy loaded(&loader, &GuideLoader::loaded);
    const QString stops = server_->url("/stops.xml");
    loader.load({stops, server_->url("/ab.xml.gz")}, channels());
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, RowTimeoutMs);
    QCOMPARE(loaded.first().at(1).toString(), "Guide loaded: 3 programmes for 2 of 3 channels");
    QCOMPARE(loaded.first().at(2).toStringList(),
             QStringList{inPart(stops, "nothing came from the server for 1.5 seconds")});
}

// What arrives is the guide matched to the playlist, its times as read.
void TestGuideLoader::theGuideIsMatched() {
    GuideLoader loader(StallTimeout);
    QSignalSpy loaded(&loader, &GuideLoader::loaded);
    loader.load({server_->url("/ab.xml.gz"), server_->url("/c.xml")}, channels());
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, RowTimeoutMs);
    const auto guide = loaded.first().first().value<std::shared_ptr<const ChannelGuide>>();
    QStringList titles;
    for (qint32 entry = 0; entry < 3; ++entry)
        for (const ProgrammeSlot &slot : guide->between(entry, Noon, Noon + 2 * Hour))
            titles << guide->title(slot);
    QCOMPARE(titles, QStringList({"A1", "A2", "B1", "C1"}));
}

// A hanging server is being asked when a missing file is: only the second answer comes, and the
// first transfer is dropped at once rather than left to time out.
void TestGuideLoader::newLoadDropsTheOneBefore() {
    GuideLoader loader(StallTimeout * 100);
    QSignalSpy loaded(&loader, &GuideLoader::loaded);
    QSignalSpy failed(&loader, &GuideLoader::failed);
    const int requests = hanging_->requests();
    const int hangUps = hanging_->hangUps();
    loader.load({hanging_->url("/g.xml")}, channels());
    QTRY_COMPARE(hanging_->requests(), requests + 1);
    loader.load({dir_.filePath("ab.xml.gz")}, channels());
    QTRY_COMPARE(loaded.count(), 1);
    QTRY_COMPARE(hanging_->hangUps(), hangUps + 1);
    // The reader drops one load before it starts the next, so anything of the first came before
    // the second's answer.
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(failed.count(), 0);
}

// A cancelled load hangs up and never answers.
void TestGuideLoader::cancel() {
    GuideLoader loader(StallTimeout);
    QSignalSpy loaded(&loader, &GuideLoader::loaded);
    QSignalSpy failed(&loader, &GuideLoader::failed);
    const int requests = hanging_->requests();
    const int hangUps = hanging_->hangUps();
    loader.load({hanging_->url("/g.xml")}, channels());
    QTRY_COMPARE(hanging_->requests(), requests + 1);
    loader.cancel();
    QTRY_COMPARE(hanging_->hangUps(), hangUps + 1);
    // The reader takes one load after the other: whatever the cancelled one would have said
    // comes before the next one's answer, which is then the only one.
    loader.load({dir_.filePath("ab.xml.gz")}, channels());
    QTRY_COMPARE(loaded.count(), 1);
    QCOMPARE(failed.count(), 0);
}

// Closing never waits on a server.
void TestGuideLoader::closing() {
    const int requests = hanging_->requests();
    const int hangUps = hanging_->hangUps();
    auto loader = std::make_unique<GuideLoader>();
    QSignalSpy failed(loader.get(), &GuideLoader::failed);
    loader->load({hanging_->url("/g.xml")}, channels());
    QTRY_COMPARE(hanging_->requests(), requests + 1);
    QElapsedTimer closing;
    closing.start();
    loader.reset();
    QVERIFY2(closing.elapsed() < 1000 * timeScale(),
             qPrintable(QStringLiteral("%1 ms").arg(closing.elapsed())));
    QTRY_COMPARE(hanging_->hangUps(), hangUps + 1);
    QCOMPARE(failed.count(), 0);
}

QTEST_GUILESS_MAIN(TestGuideLoader)
#include "tst_guide_loader.moc"
