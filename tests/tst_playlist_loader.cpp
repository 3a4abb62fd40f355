// The playlist loader against every bad source we know of, and a few good ones: files made here
// and addresses served from 127.0.0.1. Each load ends in exactly one of its two signals, a newer
// load or closing the loader stops the one before without waiting on the network, and the
// test's event loop keeps running while a large list is read and parsed.

#include "playlist/PlaylistLoader.h"

#include "support/EventLoopWatch.h"
#include "support/PlaylistSources.h"
#include "support/TimeScale.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <limits>

using namespace std::chrono_literals;

namespace {

// Short, so that the rows of servers that stop sending end quickly.
constexpr auto StallTimeout = 300ms;
// Longer than any row may take, even on a loaded machine or a sanitizer build.
constexpr int RowTimeoutMs = 30000;
// As many entries as public collections have.
constexpr int LargeListEntries = 200'000;

// Whether this process holds `path` open, read to its end: the loader keeps the file open while
// it parses what it read.
bool readWhole(const QString &path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString &fd :
         descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFileInfo(descriptors.filePath(fd)).symLinkTarget() != target)
            continue;
        QFile info(QStringLiteral("/proc/self/fdinfo/") + fd);
        if (!info.open(QIODevice::ReadOnly))
            continue;
        const QByteArray position = info.readLine().trimmed(); // "pos:\t<offset>"
        if (position.mid(4).trimmed().toLongLong() == QFileInfo(path).size())
            return true;
    }
    return false;
}

// Watches for that moment without handling events, so that no result can arrive meanwhile; the
// parse that follows takes far longer than a look.
bool awaitReadWhole(const QString &path) {
    const QDeadlineTimer deadline(RowTimeoutMs);
    while (!readWhole(path)) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(200);
    }
    return true;
}

} // namespace

class tst_PlaylistLoader : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sources_data();
    void sources();
    void newLoadCancelsTheOneBefore();
    void closing_data();
    void closing();
    void largeListKeepsTheLoopRunning();

private:
    PlaylistSources sources_;
    std::unique_ptr<StreamServer> hanging_;
    QString largeList_;
};

void tst_PlaylistLoader::initTestCase() {
    hanging_ = std::make_unique<StreamServer>(
        StreamServer::Options{.behaviour = StreamServer::Behaviour::Hang});
    QByteArray text = "#EXTM3U\n";
    for (int i = 0; i < LargeListEntries; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "#EXTINF:-1 tvg-id=\"c" + n + ".us\" tvg-name=\"Channel " + n +
                "\" tvg-logo=\"https://127.0.0.1/logos/" + n + ".png\" group-title=\"Group " +
                QByteArray::number(i % 300) + "\",Channel " + n + "\nhttp://127.0.0.1/live/" + n +
                ".m3u8\n";
    }
    largeList_ = sources_.file("large.m3u", text);
}

// Each row ends in exactly one signal: `failed` with the message given, or `loaded` with a list
// whose last entry has the address given.
void tst_PlaylistLoader::sources_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("lastAddress");
    for (const BadPlaylist &row : sources_.bad("0.3 seconds"))
        QTest::newRow(row.name) << row.source << row.message << QString();
    QTest::newRow("no source") << ""
                               << "Could not open a playlist: no file or address was given."
                               << QString();
    const auto good = [](const char *name, const QString &source, const QString &lastAddress) {
        QTest::newRow(name) << source << QString() << lastAddress;
    };
    const StreamServer &s = sources_.server();
    good("file", sources_.path("good.m3u"), sources_.path("two.ts"));
    good("file: URL", QUrl::fromLocalFile(sources_.path("good.m3u")).toString(),
         sources_.path("two.ts"));
    good("address", s.url("/list.m3u"), s.url("/two.ts"));
    good("redirect chain, relative entry", s.url("/hop1"), s.url("/lists/relative.ts"));
}

void tst_PlaylistLoader::sources() {
    QFETCH(QString, source);
    QFETCH(QString, message);
    QFETCH(QString, lastAddress);
    PlaylistLoader loader(StallTimeout);
    QSignalSpy loaded(&loader, &PlaylistLoader::loaded);
    QSignalSpy failed(&loader, &PlaylistLoader::failed);
    loader.load(source);
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count() + failed.count(), 1, RowTimeoutMs);
    QTest::qWait(20); // and nothing more comes
    QCOMPARE(loaded.count() + failed.count(), 1);
    QCOMPARE(failed.value(0).value(0).toString(), message);
    if (!message.isEmpty())
        return;
    const auto playlist = loaded.first().first().value<std::shared_ptr<const Playlist>>();
    QCOMPARE(playlist->address(playlist->size() - 1), lastAddress);
}

// A slow list is being fetched when a missing file is asked for: only the second answer comes,
// and the first transfer is dropped at once rather than left to run.
void tst_PlaylistLoader::newLoadCancelsTheOneBefore() {
    StreamServer slow({.body = PlaylistSources::TwoEntries, .bytesPerSecond = 40});
    PlaylistLoader loader(StallTimeout);
    QSignalSpy loaded(&loader, &PlaylistLoader::loaded);
    QSignalSpy failed(&loader, &PlaylistLoader::failed);
    loader.load(slow.url("/list.m3u"));
    QTRY_COMPARE(slow.requests(), 1);
    const QString missing = sources_.path("missing.m3u");
    loader.load(missing);
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(failed.first().first().toString(),
             "Could not open the playlist " + missing + ": the file does not exist.");
    QTRY_COMPARE(slow.hangUps(), 1);
    QTest::qWait(200);
    QCOMPARE(loaded.count(), 0);
    QCOMPARE(failed.count(), 1);
}

// Closing never waits on a server or on a parse: a server that hangs is hung up on, a parse
// under way is left to finish alone.
void tst_PlaylistLoader::closing_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("network");
    QTest::newRow("server hangs") << hanging_->url("/list.m3u") << true;
    QTest::newRow("large list") << largeList_ << false;
}

void tst_PlaylistLoader::closing() {
    QFETCH(QString, source);
    QFETCH(bool, network);
    const int requests = hanging_->requests();
    const int hangUps = hanging_->hangUps();
    auto loader = std::make_unique<PlaylistLoader>();
    QSignalSpy loaded(loader.get(), &PlaylistLoader::loaded);
    loader->load(source);
    if (network)
        QTRY_COMPARE(hanging_->requests(), requests + 1);
    else
        QVERIFY2(awaitReadWhole(source), "the list was not read"); // and is being parsed
    QElapsedTimer closing;
    closing.start();
    loader.reset();
    QVERIFY2(closing.elapsed() < 1000 * timeScale(),
             qPrintable(QStringLiteral("%1 ms").arg(closing.elapsed())));
    if (network)
        QTRY_COMPARE(hanging_->hangUps(), hangUps + 1);
    QCOMPARE(loaded.count(), 0);
}

// Public lists reach hundreds of thousands of entries; none of the work may land on the thread
// that asked for them. A busy machine alone can keep a thread from running for longer than the
// allowed gap now and then, so the best of a few loads counts; work done on the asking thread
// would show in every one.
void tst_PlaylistLoader::largeListKeepsTheLoopRunning() {
    PlaylistLoader loader;
    QSignalSpy loaded(&loader, &PlaylistLoader::loaded);
    QSignalSpy failed(&loader, &PlaylistLoader::failed);
    qint64 shortestGap = std::numeric_limits<qint64>::max();
    for (int attempt = 0; attempt < 3 && shortestGap > EventLoopWatch::allowedGapMs(); ++attempt) {
        loaded.clear();
        const EventLoopWatch watch;
        loader.load(largeList_);
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count() + failed.count(), 1, RowTimeoutMs);
        shortestGap = std::min(shortestGap, watch.longestGapMs());
        QVERIFY(failed.isEmpty());
        QCOMPARE(loaded.first().first().value<std::shared_ptr<const Playlist>>()->size(),
                 LargeListEntries);
    }
    QVERIFY2(shortestGap <= EventLoopWatch::allowedGapMs(),
             qPrintable(QStringLiteral("%1 ms").arg(shortestGap)));
}

QTEST_GUILESS_MAIN(tst_PlaylistLoader)
#include "tst_playlist_loader.moc"
