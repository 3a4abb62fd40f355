#pragma once
// Guides for tests: XMLTV documents written from a few channels and programmes, read as the
// program reads a guide, alone or matched to a playlist.

#include "guide/ChannelGuide.h"
#include "guide/Guide.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct XmltvChannel {
    QString id;
    QStringList names; // its display names, in order
};

struct XmltvProgramme {
    QString channel; // its id
    GuideTime start = 0;
    GuideTime stop = 0;
    QString title;
};

// An XMLTV document of the channels and programmes, times written in UTC.
QByteArray xmltvText(const QList<XmltvChannel> &channels, const QList<XmltvProgramme> &programmes);
// A time as XMLTV writes it: "20240301120000 +0000".
QByteArray xmltvTime(GuideTime time);

// The guide read from one document; null, with a warning that says why, when it was not read
// whole.
std::shared_ptr<const Guide> guideOf(const QByteArray &xml);
// The guide of `xml` matched to the extended M3U playlist `playlist`; null, with a warning,
// when either cannot be read.
std::shared_ptr<const ChannelGuide> channelGuideOf(const QByteArray &playlist,
                                                   const QByteArray &xml);

// The bytes compressed as a .gz file, as guides are often served.
QByteArray gzipped(const QByteArray &bytes);
