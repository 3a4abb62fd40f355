#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>

// A live-like MPEG transport stream made with ffmpeg: a moving test picture with a tone, a key
// frame every second. Returns the bytes, or an empty array when ffmpeg failed.
QByteArray makeTestStream(int seconds, QSize size = QSize(320, 240), int fps = 25);

// The same, 320x240, in another of the containers that live channels send over HTTP, named as
// ffmpeg names it: "mpegts", "flv" (Flash Video) or "asf" (Windows Media).
QByteArray makeTestStreamIn(const char *format, int seconds);

// The same, 320x240, in one colour all over.
QByteArray makeColourStream(int seconds, QColor colour);

// Bytes that no player can make anything of: the same noise on every run.
QByteArray makeGarbage(int bytes);
