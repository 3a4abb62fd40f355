#pragma once
// A gzip XMLTV guide shaped like the public ones: thousands of channels over a week and more,
// each airing its own handful of shows again and again, episodes repeated now and then, with
// titles, sub-titles, descriptions, categories and episode numbers. The same every time it is
// written.

#include <QString>

struct GuideFileShape {
    int channels = 4'400;
    int days = 8;
    int gzipLevel = 6;               // gzip's own default, as most published guides are made
    qint64 firstUtc = 1'704'067'200; // the first programme's start: 2024-01-01 00:00 UTC
};

struct GuideFileFacts {
    qint64 programmes = 0;
    qint64 xmlBytes = 0; // before compression
    qint64 fileBytes = 0;
};

// The id and display name of the guide's channel number `channel` (from 0).
QString guideChannelId(int channel);
QString guideChannelName(int channel);

// Writes the guide to `path`; false when it cannot be written.
bool writeGuideFile(const QString &path, const GuideFileShape &shape, GuideFileFacts &facts);
