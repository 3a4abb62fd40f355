// The guide grid over a guide of 10,000 channels and 7 days, printed as "figure value" lines:
//   grid.programmes          the programmes of the synthetic guide, and
//   grid.build_ms            reading it from its XMLTV text (in memory) and matching it
//   grid.memory_mb           what the guide holds in memory
//   grid.open_ms             the guide key's work: the grid opened and painted, in the window
//   grid.<size>.frame_median_ms, grid.<size>.frame_max_ms  the median and the longest frame of
//                            the grid scrolled at the pace of a held key, a frame's work being a
//                            step and the grid painted and handed to the display: through the
//                            channels a screen of rows at a time, across the days half an hour
//                            at a time, and the selection moved by the arrow keys
//   grid.<size>.frames       how many
//   grid.<size>.stall_ms     the longest time the event loop did not run meanwhile
// <size> is "window", the video area as designed, and "full", 1920 by 1080 as in full screen.
//
// usage: bench_guide_grid (on any Qt platform; bench/run gives it a private X display)

#include "ProcStat.h"
#include "Watchdog.h"

#include "app/GuideViews.h"
#include "app/MainForm.h"
#include "app/Zapping.h"
#include "catalogue/TuningState.h"
#include "epg/GuideGrid.h"
#include "form/Controls.h"
#include "guide/ChannelGuide.h"
#include "guide/GuideBuilder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistSource.h"
#include "support/FakePlayer.h"

#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Channels = 10'000;
constexpr int Days = 7;
// Programme lengths in minutes, in turn; each channel starts at another place in the turn.
constexpr int Lengths[]{30, 60, 25, 90, 45, 120, 15, 35, 60, 30, 150, 55};
// Titles of one to four of these words.
constexpr const char *Words[]{
    "Morning",    "News",    "Evening", "Late",   "Show",   "Great", "British", "Kitchen", "Garden",
    "World",      "Cup",     "Live",    "Film",   "Night",  "Kids",  "Club",    "Weather", "Sport",
    "Highlights", "Mystery", "Island",  "Family", "Quiz",   "Time",  "Travel",  "Wild",    "Nature",
    "Stories",    "Music",   "Classic", "Drama",  "Comedy", "Hour"};
constexpr const char *Categories[]{"News",        "Film",          "Sport", "Children",
                                   "Documentary", "Entertainment", "Music"};
constexpr int FrameMs = 16; // the pace of the frames: a held key repeats about this often
constexpr int KeyFrames = 300;

void print(const QByteArray &figure, double value) {
    std::printf("%s %.3f\n", figure.constData(), value);
    std::fflush(stdout);
}

double msSince(qint64 start) {
    return double(monotonicNs() - start) / 1e6;
}

// "20240301120000 +0000", written without a calendar lookup for each of millions of times.
void appendTime(QByteArray &out, qint64 time) {
    const qint64 days = time / 86400;
    const qint64 seconds = time % 86400;
    // Days since 1970-01-01 to a civil date (proleptic Gregorian).
    const qint64 z = days + 719468;
    const qint64 era = z / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const qint64 day = doy - (153 * mp + 2) / 5 + 1;
    const qint64 month = mp < 10 ? mp + 3 : mp - 9;
    const qint64 year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld%02lld%02lld%02lld%02lld%02lld +0000",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60),
                  static_cast<long long>(seconds % 60));
    out += text;
}

QByteArray channelId(int channel) {
    return "c" + QByteArray::number(channel).rightJustified(5, '0') + ".tv";
}

std::shared_ptr<const Playlist> makePlaylist() {
    QByteArray text = "#EXTM3U\n";
    for (int channel = 1; channel <= Channels; ++channel) {
        text += "#EXTINF:-1 tvg-id=\"" + channelId(channel) + "\" group-title=\"All\",Channel " +
                QByteArray::number(channel) + "\nhttp://127.0.0.1:9/" +
                QByteArray::number(channel) + ".ts\n";
    }
    ParsedPlaylist parsed = parsePlaylist(text, QUrl(QStringLiteral("http://127.0.0.1/all.m3u")));
    return std::make_shared<const Playlist>(std::move(*parsed.playlist));
}

// The channels' programmes from the day before today to six days on, fed to the builder a
// channel at a time.
std::shared_ptr<const Guide> makeGuide(qint64 &programmes) {
    const qint64 from = QDate::currentDate().addDays(-1).startOfDay().toSecsSinceEpoch();
    const qint64 to = from + qint64(Days) * 86400;
    GuideLimits limits;
    limits.programmes = 10'000'000;
    limits.downloadedBytes = limits.decompressedBytes;
    GuideBuilder builder(limits);
    builder.begin();
    builder.feed("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n");
    QByteArray chunk;
    for (int channel = 1; channel <= Channels; ++channel) {
        chunk.clear();
        const QByteArray id = channelId(channel);
        chunk += "<channel id=\"" + id + "\"><display-name>Channel " + QByteArray::number(channel) +
                 "</display-name></channel>\n";
        int turn = channel % int(std::size(Lengths));
        for (qint64 start = from; start < to; ++programmes) {
            const qint64 stop = std::min(to, start + Lengths[turn] * 60);
            turn = (turn + 1) % int(std::size(Lengths));
            chunk += "<programme start=\"";
            appendTime(chunk, start);
            chunk += "\" stop=\"";
            appendTime(chunk, stop);
            chunk += "\" channel=\"" + id + "\"><title>";
            const qint64 show = (programmes * 7919) % 2003;
            for (qint64 word = 0; word <= show % 4; ++word) {
                if (word > 0)
                    chunk += ' ';
                chunk += Words[(show / (word + 1)) % qint64(std::size(Words))];
            }
            chunk += "</title><category>";
            chunk += Categories[show % qint64(std::size(Categories))];
            chunk += "</category></programme>\n";
            start = stop;
        }
        builder.feed(chunk);
    }
    builder.feed("</tv>\n");
    const GuideDocument document = builder.end();
    if (!document.stopped.isEmpty())
        std::fprintf(stderr, "bench: the guide stopped: %s\n", qPrintable(document.stopped));
    return builder.finish();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void pause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs `steps` frames at the frames' pace, each a step and then the grid painted at once.
void frames(GuideGrid &grid, int steps, const std::function<void(int)> &step,
            std::vector<double> &times) {
    QEventLoop loop;
    QTimer pacer;
    pacer.setTimerType(Qt::PreciseTimer);
    int done = 0;
    QObject::connect(&pacer, &QTimer::timeout, &loop, [&] {
        const qint64 start = monotonicNs();
        step(done);
        grid.repaint();
        times.push_back(msSince(start));
        if (++done == steps)
            loop.quit();
    });
    pacer.start(FrameMs);
    loop.exec();
}

void key(GuideGrid &grid, int code) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
    QApplication::sendEvent(&grid, &press);
}

void scrollFigures(GuideGrid &grid, const QByteArray &size) {
    Watchdog watchdog;
    std::vector<double> times;
    QScrollBar *down = grid.verticalScrollBar();
    QScrollBar *across = grid.horizontalScrollBar();
    // Through the channels at the time now, a screen at a time.
    const int pages = down->maximum() / std::max(1, down->pageStep()) + 1;
    down->setValue(0);
    frames(
        grid, pages, [down](int) { down->setValue(down->value() + down->pageStep()); }, times);
    // Across the days, half an hour at a time, halfway down.
    down->setValue(down->maximum() / 2);
    across->setValue(0);
    const int halves = across->maximum() / std::max(1, across->singleStep()) + 1;
    frames(
        grid, halves, [across](int) { across->setValue(across->value() + across->singleStep()); },
        times);
    // The selection moved by the keys, which scroll the grid along.
    key(grid, Qt::Key_Home);
    frames(
        grid, KeyFrames, [&grid](int i) { key(grid, (i / 20) % 2 ? Qt::Key_Right : Qt::Key_Down); },
        times);
    const double stall = watchdog.stallMs();
    print("grid." + size + ".frames", double(times.size()));
    print("grid." + size + ".frame_median_ms", median(times));
    print("grid." + size + ".frame_max_ms", *std::max_element(times.begin(), times.end()));
    print("grid." + size + ".stall_ms", stall);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    FakePlayer player;
    MainForm form(player);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;

    const qint64 start = monotonicNs();
    qint64 programmes = 0;
    const std::shared_ptr<const Playlist> playlist = makePlaylist();
    auto guide = std::make_shared<const ChannelGuide>(makeGuide(programmes), *playlist);
    print("grid.programmes", double(programmes));
    print("grid.build_ms", msSince(start));
    print("grid.memory_mb", double(guide->guide().memoryBytes()) / (1 << 20));

    TuningState &tuning = form.tuning();
    tuning.setSource(std::make_shared<PlaylistSource>(playlist));
    const ListItem group = tuning.source().genres(TunerKind::Tv).first();
    const Rows rows = *tuning.source().listClickChannels(group);
    tuning.setZapList(rows);
    tuning.setGuide(guide);
    tuning.tune(rows->item(Channels / 3));
    pause(500);

    GuideGrid &grid = form.zapping().guide().grid();
    const qint64 opening = monotonicNs();
    form.zapping().guide().toggle();
    grid.repaint();
    print("grid.open_ms", msSince(opening));
    scrollFigures(grid, "window");

    // As the video does in full screen: the window's size freed, the video over all of it.
    const Controls &c = form.controls();
    form.setMinimumSize(0, 0);
    form.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    form.resize(1920, 1080);
    c.videoControl->raise();
    c.videoControl->setGeometry(form.rect());
    pause(500);
    scrollFigures(grid, "full");
    return 0;
}
