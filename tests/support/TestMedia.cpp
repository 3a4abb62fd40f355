#include "support/TestMedia.h"

#include <QProcess>
#include <QRandomGenerator>

QByteArray makeTestStream(int seconds, QSize size, int fps) {
    const QString video =
        QStringLiteral("testsrc2=size=%1x%2:rate=%3").arg(size.width()).arg(size.height()).arg(fps);
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

QByteArray makeGarbage(int bytes) {
    QRandomGenerator noise(20240601);
    QByteArray garbage(bytes, Qt::Uninitialized);
    for (char &byte : garbage)
        byte = char(noise.bounded(256));
    return garbage;
}
