#pragma once
// A programme guide as read from XMLTV documents: its channels and their programmes. Guides of
// millions of programmes are common, so a programme is a small fixed record and every distinct
// text (title, sub-title, description, category, episode, icon) is kept once, UTF-8, and turned
// into a QString only when asked for.

#include "guide/GuideStorage.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstddef>
#include <utility>
#include <vector>

// Seconds since 1970-01-01 00:00 UTC.
using GuideTime = qint64;

// A programme as shown.
struct GuideProgramme {
    GuideTime start = 0;
    GuideTime stop = 0;
    QString title;
    QString subTitle;
    QString description;
    QString episode; // "S1 E5" from an xmltv_ns number (counted from one), else onscreen as written
    QStringList categories;
    QString icon;
};

class Guide {
public:
    // Channels in order of first appearance; duplicate <channel> elements are merged.
    qsizetype channelCount() const;
    QString channelId(qsizetype channel) const;
    QStringList displayNames(qsizetype channel) const; // in document order, each once
    QString channelIcon(qsizetype channel) const;      // empty when it has none
    // The channel whose id equals `id` ignoring case, or -1.
    qsizetype channelById(QStringView id) const;

    // Every programme has an index; a channel's programmes are [first, end) of them, in order of
    // start, never overlapping.
    qsizetype programmeCount() const;
    std::pair<qint32, qint32> programmesOf(qsizetype channel) const;
    GuideTime start(qint32 programme) const;
    GuideTime stop(qint32 programme) const;
    QString title(qint32 programme) const;
    GuideProgramme programme(qint32 programme) const;

    // The channel's programme on at `time` (start <= time < stop), or -1.
    qint32 at(qsizetype channel, GuideTime time) const;
    // Its first programme that starts after `time`, or -1.
    qint32 after(qsizetype channel, GuideTime time) const;

    // The earliest start and the latest stop of all programmes; 0 for an empty guide.
    GuideTime firstStart() const;
    GuideTime lastStop() const;

    // What the guide holds in memory, in bytes.
    std::size_t memoryBytes() const;

private:
    friend class GuideBuilder;
    friend class GuideCollector;

    QString text(qint32 index) const;

    PlainArray<GuideRecord> programmes_; // channel by channel
    std::vector<GuideChannel> channels_;
    QHash<QByteArray, qint32> channelIndex_; // by channelKey() of the id
    GuideTexts texts_;
    GuideTexts lists_; // lists of text indices (categories), each a run of qint32
    GuideTime firstStart_ = 0;
    GuideTime lastStop_ = 0;
};
