// Matching a guide to a playlist of the public collections' size, and the least that any
// matching does. Prints "figure value" lines:
//   guide.match_ms    a playlist of 200,000 entries matched to a guide of 20,000 channels: each
//                     entry by its tvg-id, else its tvg-name, else its title; a channel for every
//                     tenth entry, one in four of them found by id, two by a name with
//                     underscores for spaces or in another case, one by none; so nearly every
//                     entry tries more than its id, and those titled apart from their names all
//                     three
//   guide.floor_ms    one hash lookup of each entry's tvg-id among the channels' ids, in the
//                     same process: the floor of any matching
//   guide.matched     entries that have a channel, as a check
//
// usage: bench_guide_match

#include "ProcStat.h"

#include "guide/ChannelGuide.h"
#include "guide/GuideBuilder.h"
#include "playlist/Playlist.h"

#include <QHash>
#include <QUrl>

#include <cstdio>

namespace {

constexpr int Entries = 200'000;
constexpr int Channels = 20'000;
constexpr int ProgrammesPerChannel = 10;

void print(const char *figure, double value) {
    std::printf("%s %.3f\n", figure, value);
    std::fflush(stdout);
}

double msSince(qint64 start) {
    return double(monotonicNs() - start) / 1e6;
}

// Entries shaped like bench/run's playlist: "chan000001.us", "Channel 1", every other one titled
// apart from its name ("Channel 2 HD").
QByteArray playlistText() {
    QByteArray text = "#EXTM3U\n";
    for (int i = 1; i <= Entries; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray id = n.rightJustified(6, '0');
        text += "#EXTINF:-1 tvg-id=\"chan" + id + ".us\" tvg-name=\"Channel " + n +
                "\" group-title=\"Group " + QByteArray::number(i % 300) + "\",Channel " + n +
                (i % 2 == 0 ? " HD" : "") + "\nhttp://stream" + QByteArray::number(i % 50) +
                ".example.net:8080/live/chan" + id + "/index.m3u8\n";
    }
    return text;
}

// Channel k stands for entry 10k + 1: its id is that entry's in another case, or none of any.
QByteArray channelId(int k) {
    const QByteArray n = QByteArray::number(10 * k + 1);
    return k % 4 == 0 ? "CHAN" + n.rightJustified(6, '0') + ".US" : "other" + QByteArray::number(k);
}

QByteArray guideText() {
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";
    for (int k = 0; k < Channels; ++k) {
        const QByteArray n = QByteArray::number(10 * k + 1);
        const QByteArray names[] = {"Channel " + n, "Channel_" + n, "CHANNEL " + n, "Ch " + n};
        text += "<channel id=\"" + channelId(k) + "\"><display-name>" + names[k % 4] +
                "</display-name></channel>\n";
    }
    for (int k = 0; k < Channels; ++k) {
        const QByteArray id = channelId(k);
        for (int p = 0; p < ProgrammesPerChannel; ++p) {
            const auto time = [p](int hour) {
                return "202403" + QByteArray::number(10 + (p + hour) / 24) +
                       QByteArray::number((p + hour) % 24).rightJustified(2, '0') + "0000 +0000";
            };
            text += "<programme start=\"" + time(0) + "\" stop=\"" + time(1) + "\" channel=\"" +
                    id + "\"><title>Programme " + QByteArray::number(p) + "</title></programme>\n";
        }
    }
    return text + "</tv>\n";
}

} // namespace

int main() {
    ParsedPlaylist parsed =
        parsePlaylist(playlistText(), QUrl(QStringLiteral("https://lists.example/all.m3u")));
    if (!parsed.playlist) {
        std::fprintf(stderr, "bench: the playlist cannot be read: %s\n", qPrintable(parsed.error));
        return 1;
    }
    const Playlist &playlist = *parsed.playlist;

    GuideBuilder builder;
    builder.begin();
    builder.feed(guideText());
    builder.end();
    const std::shared_ptr<const Guide> guide = builder.finish();

    const qint64 matching = monotonicNs();
    const ChannelGuide matched(guide, playlist);
    print("guide.match_ms", msSince(matching));

    QHash<QString, qint32> ids;
    for (qsizetype channel = 0; channel < guide->channelCount(); ++channel)
        ids.insert(guide->channelId(channel), qint32(channel));
    const qint64 looking = monotonicNs();
    for (qsizetype entry = 0; entry < playlist.size(); ++entry)
        ids.contains(QString::fromUtf8(playlist.guideIdBytes(entry)));
    print("guide.floor_ms", msSince(looking));
    print("guide.matched", double(matched.matchedEntries()));
    return 0;
}
