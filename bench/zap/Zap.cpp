// Zap figures for one player, printed as "figure value" lines:
//   zap.first_ms          tuning to the first video frame on screen, in a player that has played
//                         nothing yet: for the tuner from the click on the channel in the list,
//                         for mpv from the address handed over
//   play.cpu_pct          CPU while that stream plays, over BENCH_PLAY_SECONDS, after 2 s
//   changes.zap_ms        the same for each of BENCH_CHANGES changes between the streams in turn
//   changes.rss_start_kb  resident memory after the first 10 changes
//   changes.rss_end_kb    and after the last
//   changes.stall_ms      the longest time the event loop of this process did not run in them
//   changes.failed        changes that showed no frame within 10 s
//   held.tunings, held.stall_ms  with BENCH_HELD_KEYS=n (ours only): the channel key pressed
//                         ten times a second n times, as a held key repeats, and then 2 s: the
//                         channels tuned (each opens its stream), and the longest stall
//
// usage: bench_zap ours|mpv|ffmpeg URL...
//   ours    the tuner's own window and player (OurPlayer.h); the addresses are those of channels
//           in the catalogue, which it tunes by a click in the list, or with BENCH_PLAYLIST set,
//           those of the entries of that playlist's first group, each titled by its address
//   mpv     the mpv command-line player (MpvCli.h); this process only drives it
//   ffmpeg  ffmpeg decoding the first frame of the first address with its probing cut to the
//           least (zap.first_ms only). It has no idle state to hand an address to, so this is
//           its whole run less that of a run on a null source just before, its own start-up.

#include "MpvCli.h"
#include "OurPlayer.h"
#include "ProcStat.h"
#include "Watchdog.h"

#include "form/Design.h"
#include "player/ProcessSettings.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int ShownTimeout = 10000;
constexpr int WarmChanges = 10; // memory is compared from here on, after the first allocations

void print(const char *figure, double value) {
    std::printf("%s %.3f\n", figure, value);
    std::fflush(stdout);
}

int setting(const char *name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// Runs the event loop until the signal comes or the time is up; false when the time ran out.
template <typename Signal> bool waitFor(ZapSubject &player, Signal signal, int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, [&loop] { loop.exit(1); });
    QObject::connect(&player, signal, &loop, [&loop] { loop.exit(0); });
    return loop.exec() == 0;
}

void pause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Milliseconds from tuning to the first frame shown, or -1.
double zap(ZapSubject &player, const QString &url) {
    const qint64 start = monotonicNs();
    player.tune(url);
    if (!waitFor(player, &ZapSubject::shown, ShownTimeout))
        return -1;
    return (monotonicNs() - start) / 1e6;
}

void changes(ZapSubject &player, const QStringList &urls, int count) {
    Watchdog watchdog;
    int failed = 0;
    for (int i = 1; i <= count; ++i) {
        const double ms = zap(player, urls[i % urls.size()]);
        if (ms < 0)
            ++failed;
        else
            print("changes.zap_ms", ms);
        if (i == std::min(WarmChanges, count))
            print("changes.rss_start_kb", double(rssKb(player.pid())));
    }
    print("changes.rss_end_kb", double(rssKb(player.pid())));
    print("changes.stall_ms", watchdog.stallMs());
    print("changes.failed", failed);
}

// Milliseconds that ffmpeg takes to decode one video frame from the input, or -1.
double ffmpegRun(const QStringList &input) {
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedChannels);
    const qint64 start = monotonicNs();
    ffmpeg.start("ffmpeg", QStringList{"-nostdin", "-v", "error"} + input +
                               QStringList{"-map", "0:v:0", "-frames:v", "1", "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(ShownTimeout) || ffmpeg.exitCode() != 0)
        return -1;
    return (monotonicNs() - start) / 1e6;
}

int ffmpegFirstFrame(const QString &url) {
    const double own = ffmpegRun({"-f", "lavfi", "-i", "nullsrc"});
    const double total = ffmpegRun({"-probesize", "32768", "-analyzeduration", "0", "-i", url});
    if (own < 0 || total < 0)
        return 1;
    print("zap.first_ms", total - own);
    return 0;
}

// Zaps as fast as a held key: only where the keys stop should a stream open.
void heldKeys(OurPlayer &player, int presses) {
    const int tuningsBefore = player.tunings();
    Watchdog watchdog;
    for (int i = 0; i < presses; ++i) {
        player.pressNext(i > 0);
        pause(100);
    }
    pause(2000);
    print("held.presses", presses);
    print("held.tunings", player.tunings() - tuningsBefore);
    print("held.stall_ms", watchdog.stallMs());
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    applyProcessSettings();
    const QString mode = app.arguments().value(1);
    const QStringList urls = app.arguments().mid(2);
    if (urls.isEmpty() || (mode != u"ours" && mode != u"mpv" && mode != u"ffmpeg")) {
        std::fprintf(stderr, "usage: bench_zap ours|mpv|ffmpeg URL...\n");
        return 2;
    }
    if (mode == u"ffmpeg")
        return ffmpegFirstFrame(urls[0]);

    const design::ControlDesign &video = design::control("videoControl");
    std::unique_ptr<ZapSubject> player;
    if (mode == u"ours")
        player = std::make_unique<OurPlayer>(qEnvironmentVariable("BENCH_PLAYLIST"));
    else
        player = std::make_unique<MpvCli>(QSize(design::px(video.width), design::px(video.height)));
    if (!waitFor(*player, &ZapSubject::ready, 20000)) {
        std::fprintf(stderr, "bench_zap: %s did not get ready\n", qPrintable(mode));
        return 1;
    }
    pause(1000);
    if (const int presses = setting("BENCH_HELD_KEYS", 0); presses > 0 && mode == u"ours") {
        heldKeys(static_cast<OurPlayer &>(*player), presses);
        return 0;
    }

    const double first = zap(*player, urls[0]);
    if (first < 0) {
        std::fprintf(stderr, "bench_zap: %s showed no frame\n", qPrintable(mode));
        return 1;
    }
    print("zap.first_ms", first);

    if (const int seconds = setting("BENCH_PLAY_SECONDS", 0); seconds > 0) {
        pause(2000);
        const CpuMeter meter{player->pid()};
        pause(seconds * 1000);
        print("play.cpu_pct", meter.percent());
    }
    if (const int count = setting("BENCH_CHANGES", 0); count > 0)
        changes(*player, urls, count);
    return 0;
}
