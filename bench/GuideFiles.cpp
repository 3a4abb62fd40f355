// Writes into a folder the files that the tuner is given for the guide figures (GuideProbe.cpp):
//   guide-1m.xml.gz  a gzip guide shaped like the public ones (GuideFile.h), as GuideRead.cpp
//                    reads, its days from yesterday on so that the programme on now is in it
//   guide-1m.m3u     a playlist naming each of its channels by tvg-id, in groups of equal size,
//                    at addresses where nothing answers: nothing is played
// Each is written once, and kept while it is there. Settings (environment) as GuideRead.cpp's.

#include "GuideFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

constexpr int Groups = 20;

int setting(const char *name, int fallback) {
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

bool writePlaylist(const QString &path, int channels) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const int perGroup = (channels + Groups - 1) / Groups;
    QByteArray text = "#EXTM3U\n";
    for (int c = 0; c < channels; ++c) {
        text +=
            QStringLiteral("#EXTINF:-1 tvg-id=\"%1\" tvg-name=\"%2\" group-title=\"Group %3\",%2\n"
                           "http://127.0.0.1:9/ch%4\n")
                .arg(guideChannelId(c), guideChannelName(c))
                .arg(c / perGroup + 1, 2, 10, QLatin1Char('0'))
                .arg(c + 1)
                .toUtf8();
    }
    file.write(text);
    return file.commit();
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_guide_files FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    GuideFileShape shape;
    shape.channels = setting("BENCH_GUIDE_CHANNELS", shape.channels);
    shape.days = setting("BENCH_GUIDE_DAYS", shape.days);
    const qint64 today = QDateTime::currentSecsSinceEpoch() / 86'400 * 86'400;
    shape.firstUtc = today - 86'400;

    const QString guide = folder.filePath(QStringLiteral("guide-1m.xml.gz"));
    if (!QFile::exists(guide)) {
        const QString part = guide + QStringLiteral(".part");
        GuideFileFacts facts;
        if (!writeGuideFile(part, shape, facts) || !QFile::rename(part, guide)) {
            QFile::remove(part);
            std::fprintf(stderr, "bench_guide_files: cannot write %s\n", qPrintable(guide));
            return 1;
        }
    }
    const QString playlist = folder.filePath(QStringLiteral("guide-1m.m3u"));
    if (!QFile::exists(playlist) && !writePlaylist(playlist, shape.channels)) {
        std::fprintf(stderr, "bench_guide_files: cannot write %s\n", qPrintable(playlist));
        return 1;
    }
    return 0;
}
