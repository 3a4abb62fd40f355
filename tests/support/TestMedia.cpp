#include "support/TestMedia.h"

#include <QProcess>
#include <QRandomGenerator>

namespace {

QByteArray encode(const QString &video, int seconds, int fps) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-loglevel", "error",
                            "-f",        "lavfi",
                            "-i",        video,
                            "-f",        "lavfi",
                            "-i",        "sine=frequency=440:sample_rate=48000",
                            "-t",        QString::number(seconds),
                            "-c:v",      "mpeg2video",
                            "-q:v",      "4",
                            "-g",        QString::number(fps),
                            "-c:a",      "mp2",
                            "-f",        "mpegts",
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
