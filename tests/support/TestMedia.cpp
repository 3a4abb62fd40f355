#include "support/TestMedia.h"

#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>

namespace {

// The codecs each container is known for, as its channels send them.
struct Container {
    const char *format, *video, *audio;
};
constexpr Container Containers[]{
    {"mpegts", "mpeg2video", "mp2"},
    {"flv", "flv", "libmp3lame"},
    {"asf", "wmv2", "wmav2"},
};

QByteArray encode(const QString &video, int seconds, int fps, const char *format = "mpegts") {
    const auto *container =
        std::find_if(std::begin(Containers), std::end(Containers),
                     [&](const Container &c) { return qstrcmp(c.format, format) == 0; });
    if (container == std::end(Containers))
        return {};
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-loglevel", "error",
                            "-f",        "lavfi",
                            "-i",        video,
                            "-f",        "lavfi",
                            "-i",        "sine=frequency=440:sample_rate=48000",
                            "-t",        QString::number(seconds),
                            "-c:v",      container->video,
                            "-q:v",      "4",
                            "-g",        QString::number(fps),
                            "-c:a",      container->audio,
                            "-f",        format,
                            "-"});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    return ffmpeg.readAllStandardOutput();
}

} // namespace

QByteArray makeTestStream(int seconds, QSize size, int fps) {
    return encode(
        QStringLiteral("testsrc2=size=%1x%2:rate=%3").arg(size.width()).arg(size.height()).arg(fps),
        seconds, fps);
}

QByteArray makeTestStreamIn(const char *format, int seconds) {
    return encode(QStringLiteral("testsrc2=size=320x240:rate=25"), seconds, 25, format);
}

QByteArray makeColourStream(int seconds, QColor colour) {
    return encode(QStringLiteral("color=c=%1:size=320x240:rate=25").arg(colour.name()), seconds,
                  25);
}

QByteArray makeGarbage(int bytes) {
    QRandomGenerator noise(20240601);
    QByteArray garbage(bytes, Qt::Uninitialized);
    for (char &byte : garbage)
        byte = char(noise.bounded(256));
    return garbage;
}
