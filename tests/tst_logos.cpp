// The logo cache against every bad logo we know of, and good ones: pictures served from
// 127.0.0.1 and files made here. Each logo asked for ends in exactly one of `arrived` and
// `failed`, and is never fetched again; a transfer past its limits is hung up on; the newest asks
// go first, at most `parallel` at a time; and the logos kept stay within their memory budget,
// the least recently used dropped first.

#include "logos/LogoCache.h"

#include "support/StreamServer.h"
#include "support/TestImages.h"
#include "support/TestMedia.h"
#include "support/TimeScale.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace std::chrono_literals;

namespace {

// Short, so that the rows of servers that never answer end quickly.
constexpr auto ShortTimeout = 300ms;
// Longer than any logo may take, even on a loaded machine or a sanitizer build.
constexpr int LongestWaitMs = 30000;

int longestWait() {
    return LongestWaitMs * timeScale();
}

// The good picture that every path of the server shows unless routed elsewhere.
constexpr QSize Small(40, 30);
// A picture of noise a little over LogoLimits' default maxBytes, and a limit that takes it.
constexpr QSize OverLimit(700, 700);
constexpr qint64 RoomyMaxBytes = 2 << 20;

// Whether `kept` is `served` as the cache keeps it: as it is when it fits in KeptLogoSide, else
// scaled down to it on its long side, its shape kept to a pixel.
bool keptAs(QSize kept, QSize served) {
    const int longSide = std::max(served.width(), served.height());
    if (longSide <= KeptLogoSide)
        return kept == served;
    const double scale = double(KeptLogoSide) / longSide;
    return std::max(kept.width(), kept.height()) == KeptLogoSide &&
           std::abs(kept.width() - served.width() * scale) <= 1 &&
           std::abs(kept.height() - served.height() * scale) <= 1;
}

// Waits for `count` answers in all from the cache watched by `arrived` and `failed`.
bool awaitAnswers(QSignalSpy &arrived, QSignalSpy &failed, int count) {
    return QTest::qWaitFor([&] { return arrived.count() + failed.count() >= count; },
                           longestWait());
}

QStringList addresses(const QSignalSpy &spy) {
    QStringList list;
    for (const QList<QVariant> &signal : spy)
        list << signal.value(0).toString();
    return list;
}

} // namespace

class tst_Logos : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void logos_data();
    void logos();
    void hangsUpPastLimits_data();
    void hangsUpPastLimits();
    void eviction_data();
    void eviction();
    void order_data();
    void order();
    void parallel_data();
    void parallel();

private:
    QString file(const QString &name, const QByteArray &bytes);
    QString url(const QString &path) const { return server_->url(path); }

    QTemporaryDir dir_;
    std::unique_ptr<StreamServer> server_;
    QString marker_; // a local logo that arrives
};

void tst_Logos::initTestCase() {
    QVERIFY(dir_.isValid());
    using B = StreamServer::Behaviour;
    server_ = std::make_unique<StreamServer>(
        StreamServer::Options{.body = makePng(Small), .contentType = "image/png"});
    const auto image = [&](const QString &path, const QByteArray &bytes) {
        server_->route(path, {.body = bytes, .contentType = "image/png"});
    };
    image("/wide.png", makePng(QSize(1024, 512)));
    image("/tall.png", makePng(QSize(300, 1000)));
    image("/largest.png", makePng(QSize(MaxLogoSide, MaxLogoSide)));
    image("/strip.png", makePng(QSize(MaxLogoSide, 2)));
    image("/too-wide.png", makePng(QSize(MaxLogoSide + 1, 16)));
    image("/too-tall.png", makePng(QSize(16, MaxLogoSide + 1)));
    image("/bomb.png", makePngClaiming(QSize(50000, 50000)));
    image("/empty.png", {});
    const QByteArray noise = makeNoisePng(OverLimit);
    QVERIFY(noise.size() > LogoLimits{}.maxBytes && noise.size() < RoomyMaxBytes);
    image("/noise.png", noise);
    server_->route("/noise-unannounced.png",
                   {.body = noise, .contentType = "image/png", .announceLength = false});
    server_->route("/cut-off.png",
                   {.body = makePng(QSize(200, 200)), .contentType = "image/png", .cutOffAt = 100});
    server_->route("/missing.png", {.behaviour = B::NotFound});
    server_->route("/error.png", {.behaviour = B::ServerError});
    server_->route("/hang.png", {.behaviour = B::Hang});
    server_->route("/page.png", StreamServer::htmlPage());
    server_->route("/garbage.png", {.body = makeGarbage(4096), .contentType = "image/png"});
    server_->route("/moved.png", StreamServer::redirect("/wide.png"));
    server_->route("/hop1", StreamServer::redirect("/hop2"));
    server_->route("/hop2", StreamServer::redirect(url("/hop3")));
    server_->route("/hop3", StreamServer::redirect("/tall.png"));
    server_->route("/loop", StreamServer::redirect("/loop"));
    marker_ = file("marker.png", makePng(Small));
    server_->route("/to-file", StreamServer::redirect(QUrl::fromLocalFile(marker_).toString()));
    server_->route("/to-ftp", StreamServer::redirect("ftp://127.0.0.1/logo.png"));
    file("logo.png", makePng(QSize(600, 300)));
    file("noise.png", noise);
    file("no-image.png", makeGarbage(4096));
    QVERIFY(::mkfifo(QFile::encodeName(dir_.filePath("fifo.png")).constData(), 0600) == 0);
}

QString tst_Logos::file(const QString &name, const QByteArray &bytes) {
    QFile file(dir_.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

// Each row ends in exactly one signal: `arrived`, with the picture `served` kept as it should
// be, or `failed` (`served` is invalid). Asked for again, a logo that arrived comes from memory
// and one that failed is not fetched again: with one transfer at a time, a second fetch would
// end before the next logo asked for could arrive.
void tst_Logos::logos_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("localAllowed");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<std::chrono::milliseconds>("timeout");
    QTest::addColumn<QSize>("served");
    const qint64 bytes = LogoLimits{}.maxBytes;
    const std::chrono::milliseconds time = LogoLimits{}.timeout;
    const auto row = [&](const char *name, const QString &address, QSize served,
                         bool localAllowed = false) {
        QTest::newRow(name) << address << localAllowed << bytes << time << served;
    };
    const QSize none;
    const QString local = dir_.filePath("logo.png");

    row("small", url("/logo.png"), Small);
    row("wide, scaled down", url("/wide.png"), QSize(1024, 512));
    row("tall, scaled down", url("/tall.png"), QSize(300, 1000));
    row("the largest decoded", url("/largest.png"), QSize(MaxLogoSide, MaxLogoSide));
    row("a strip keeps a pixel", url("/strip.png"), QSize(MaxLogoSide, 2));
    row("wider than decoded", url("/too-wide.png"), none);
    row("taller than decoded", url("/too-tall.png"), none);
    row("image bomb", url("/bomb.png"), none);
    row("404", url("/missing.png"), none);
    row("500", url("/error.png"), none);
    QTest::newRow("never answers") << url("/hang.png") << false << bytes << ShortTimeout << none;
    row("over the byte limit, announced", url("/noise.png"), none);
    row("over the byte limit, unannounced", url("/noise-unannounced.png"), none);
    QTest::newRow("the same within a larger limit")
        << url("/noise-unannounced.png") << false << RoomyMaxBytes << time << OverLimit;
    row("cut off", url("/cut-off.png"), none);
    row("empty", url("/empty.png"), none);
    row("a web page", url("/page.png"), none);
    row("no image", url("/garbage.png"), none);
    row("redirect", url("/moved.png"), QSize(1024, 512));
    row("redirect chain", url("/hop1"), QSize(300, 1000));
    row("redirect loop", url("/loop"), none);
    row("redirect to a file", url("/to-file"), none);
    row("redirect to ftp", url("/to-ftp"), none);
    row("refused connection",
        QStringLiteral("http://127.0.0.1:%1/logo.png").arg(StreamServer::refusingPort()), none);

    row("local file", local, QSize(600, 300), true);
    row("local file: URL", QUrl::fromLocalFile(local).toString(), QSize(600, 300), true);
    row("local file, not allowed", local, none);
    row("local file: URL, not allowed", QUrl::fromLocalFile(local).toString(), none);
    row("local FIFO", dir_.filePath("fifo.png"), none, true);
    row("local folder", dir_.path(), none, true);
    row("local file missing", dir_.filePath("missing.png"), none, true);
    row("local file over the byte limit", dir_.filePath("noise.png"), none, true);
    row("local file, no image", dir_.filePath("no-image.png"), none, true);
    row("relative path", QStringLiteral("logo.png"), none, true);

    row("nothing", QString(), none, true);
    row("ftp", QStringLiteral("ftp://127.0.0.1/logo.png"), none, true);
    row("data", QStringLiteral("data:image/png;base64,iVBORw0KGgo="), none, true);
    row("no host", QStringLiteral("http:///logo.png"), none, true);
}

void tst_Logos::logos() {
    QFETCH(QString, address);
    QFETCH(bool, localAllowed);
    QFETCH(qint64, maxBytes);
    QFETCH(std::chrono::milliseconds, timeout);
    QFETCH(QSize, served);
    LogoCache cache({.maxBytes = maxBytes, .timeout = timeout, .parallel = 1});
    QSignalSpy arrived(&cache, &LogoCache::arrived);
    QSignalSpy failed(&cache, &LogoCache::failed);

    QVERIFY(cache.logo(address, localAllowed).isNull());
    QVERIFY(awaitAnswers(arrived, failed, 1));
    const QImage again = cache.logo(address, localAllowed);
    QVERIFY(cache.logo(marker_, true).isNull());
    QVERIFY(awaitAnswers(arrived, failed, 2));

    if (served.isValid()) {
        QCOMPARE(addresses(arrived), QStringList({address, marker_}));
        QCOMPARE(failed.count(), 0);
        QVERIFY2(keptAs(again.size(), served),
                 qPrintable(QStringLiteral("%1x%2").arg(again.width()).arg(again.height())));
    } else {
        QCOMPARE(addresses(failed), QStringList({address}));
        QCOMPARE(addresses(arrived), QStringList({marker_}));
        QVERIFY(again.isNull());
    }
}

// A transfer that goes past its limits is not left to run: the server sees the cache hang up
// long before it could have sent everything.
void tst_Logos::hangsUpPastLimits_data() {
    QTest::addColumn<StreamServer::Options>("options");
    QTest::addColumn<std::chrono::milliseconds>("timeout");
    // Several times the byte limit, sent over some seconds.
    const QByteArray large = makeGarbage(8 * int(LogoLimits{}.maxBytes));
    const int rate = int(LogoLimits{}.maxBytes);
    QTest::newRow("length announced")
        << StreamServer::Options{.body = large, .bytesPerSecond = rate} << LogoLimits{}.timeout;
    QTest::newRow("no length") << StreamServer::Options{.body = large,
                                                        .bytesPerSecond = rate,
                                                        .announceLength = false}
                               << LogoLimits{}.timeout;
    QTest::newRow("never answers")
        << StreamServer::Options{.behaviour = StreamServer::Behaviour::Hang} << ShortTimeout;
}

void tst_Logos::hangsUpPastLimits() {
    QFETCH(StreamServer::Options, options);
    QFETCH(std::chrono::milliseconds, timeout);
    StreamServer server(options);
    LogoCache cache({.timeout = timeout});
    QSignalSpy failed(&cache, &LogoCache::failed);
    QVERIFY(cache.logo(server.url("/logo.png"), false).isNull());
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, longestWait());
    QTRY_COMPARE_WITH_TIMEOUT(server.hangUps(), 1, longestWait());
}

// Steps: "+x" asks for logo x and waits for it to arrive, "!x" the same but for it to fail,
// and "x" finds it in memory. Logos are pictures of one or two units of memory ("a" to "d", and
// "W"); what is kept afterwards is checked.
void tst_Logos::eviction_data() {
    QTest::addColumn<int>("budget"); // in units
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QStringList>("dropped");
    QTest::newRow("oldest dropped") << 3 << QStringList{"+a", "+b", "+c", "+d"}
                                    << QStringList{"b", "c", "d"} << QStringList{"a"};
    QTest::newRow("recently used kept") << 3 << QStringList{"+a", "+b", "+c", "a", "+d"}
                                        << QStringList{"a", "c", "d"} << QStringList{"b"};
    QTest::newRow("two dropped for a larger one") << 3 << QStringList{"+a", "+b", "+c", "+W"}
                                                  << QStringList{"c", "W"} << QStringList{"a", "b"};
    QTest::newRow("larger than the budget")
        << 1 << QStringList{"+a", "!W"} << QStringList{"a"} << QStringList{"W"};
}

void tst_Logos::eviction() {
    QFETCH(int, budget);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, dropped);
    const QSize unit(32, 32);
    const QSize twoUnits(64, 32);
    server_->route("/W.png", {.body = makePng(twoUnits), .contentType = "image/png"});
    const qint64 unitBytes = QImage::fromData(makePng(unit)).sizeInBytes();
    QCOMPARE(QImage::fromData(makePng(twoUnits)).sizeInBytes(), 2 * unitBytes);
    for (const char *name : {"a", "b", "c", "d"})
        server_->route(QStringLiteral("/%1.png").arg(name), {.body = makePng(unit)});

    LogoCache cache({.memoryBudget = budget * unitBytes});
    QSignalSpy arrived(&cache, &LogoCache::arrived);
    QSignalSpy failed(&cache, &LogoCache::failed);
    const auto address = [&](const QString &name) { return url('/' + name + ".png"); };
    for (const QString &step : steps) {
        const QString name = step.sliced(step.front().isLetter() ? 0 : 1);
        if (step.front().isLetter()) {
            QVERIFY2(!cache.logo(address(name), false).isNull(), qPrintable(step));
            continue;
        }
        QSignalSpy &expected = step.front() == u'+' ? arrived : failed;
        const int before = int(expected.count());
        QVERIFY2(cache.logo(address(name), false).isNull(), qPrintable(step));
        QTRY_COMPARE_WITH_TIMEOUT(expected.count(), before + 1, longestWait());
        QCOMPARE(expected.last().value(0).toString(), address(name));
    }
    QCOMPARE(failed.count(), int(steps.filter("!").size()));
    for (const QString &name : kept)
        QVERIFY2(!cache.logo(address(name), false).isNull(), qPrintable(name));
    for (const QString &name : dropped)
        QVERIFY2(cache.logo(address(name), false).isNull(), qPrintable(name));
}

// One transfer at a time: the first logo asked for goes at once, the others wait and the newest
// of them goes next. Logos asked for while no answer can yet come (the test's thread is busy
// asking) arrive in the order given.
void tst_Logos::order_data() {
    QTest::addColumn<QStringList>("asks");
    QTest::addColumn<int>("waiting");
    QTest::addColumn<QStringList>("arrivals");
    const int many = LogoLimits{}.waiting;
    QTest::newRow("newest first") << QStringList{"a", "b", "c", "d"} << many
                                  << QStringList{"a", "d", "c", "b"};
    QTest::newRow("asked for again, first")
        << QStringList{"a", "b", "c", "d", "b"} << many << QStringList{"a", "b", "d", "c"};
    QTest::newRow("on its way, asked for again")
        << QStringList{"a", "b", "a"} << many << QStringList{"a", "b"};
    QTest::newRow("oldest forgotten")
        << QStringList{"a", "b", "c", "d", "e"} << 2 << QStringList{"a", "e", "d"};
    QTest::newRow("forgotten, then asked for again")
        << QStringList{"a", "b", "c", "d", "b"} << 2 << QStringList{"a", "b", "d"};
}

void tst_Logos::order() {
    QFETCH(QStringList, asks);
    QFETCH(int, waiting);
    QFETCH(QStringList, arrivals);
    LogoCache cache({.parallel = 1, .waiting = waiting});
    QSignalSpy arrived(&cache, &LogoCache::arrived);
    QSignalSpy failed(&cache, &LogoCache::failed);
    const auto address = [&](const QString &name) { return url("/order/" + name + ".png"); };
    QStringList expected;
    for (const QString &name : arrivals)
        expected << address(name);
    for (const QString &name : asks)
        QVERIFY(cache.logo(address(name), false).isNull());
    QVERIFY(awaitAnswers(arrived, failed, int(arrivals.size())));
    // Anything still waiting would go before a logo asked for now.
    QVERIFY(cache.logo(marker_, true).isNull());
    QVERIFY(awaitAnswers(arrived, failed, int(arrivals.size()) + 1));
    QCOMPARE(addresses(arrived), expected << marker_);
    QCOMPARE(failed.count(), 0);
    // What was forgotten is fetched when asked for again.
    for (const QString &name : asks) {
        if (arrivals.contains(name))
            continue;
        QVERIFY(cache.logo(address(name), false).isNull());
        QTRY_COMPARE_WITH_TIMEOUT(arrived.last().value(0).toString(), address(name), longestWait());
    }
}

// While the server holds every request, the cache opens `parallel` connections and no more; all
// logos arrive once it answers.
void tst_Logos::parallel_data() {
    QTest::addColumn<int>("parallel");
    for (const int parallel : {1, 2, LogoLimits{}.parallel})
        QTest::addRow("%d", parallel) << parallel;
}

void tst_Logos::parallel() {
    QFETCH(int, parallel);
    constexpr int Logos = 8;
    StreamServer server({.body = makePng(Small), .contentType = "image/png"});
    LogoCache cache({.parallel = parallel});
    QSignalSpy arrived(&cache, &LogoCache::arrived);
    server.pause();
    for (int i = 0; i < Logos; ++i)
        QVERIFY(cache.logo(server.url(QStringLiteral("/%1.png").arg(i)), false).isNull());
    QTRY_COMPARE_WITH_TIMEOUT(server.requests(), parallel, longestWait());
    server.resume();
    QTRY_COMPARE_WITH_TIMEOUT(arrived.count(), Logos, longestWait());
    QCOMPARE(server.mostOpenConnections(), parallel);
    QCOMPARE(server.requests(), Logos);
}

QTEST_MAIN(tst_Logos)
#include "tst_logos.moc"
