#pragma once
// A guide matched to a playlist: for each entry, the guide channel it shows and by how much its
// programmes' times shift (tvg-shift). Times asked for and given are real times, shift applied.

#include "guide/Guide.h"

#include <memory>
#include <optional>
#include <vector>

class Playlist;

// A programme's place in the guide, with its times as shown for the entry.
struct ProgrammeSlot {
    GuideTime start = 0;
    GuideTime stop = 0;
    qint32 programme = -1; // its index in the guide
};

class ChannelGuide {
public:
    // Each entry shows the guide channel whose id is its tvg-id (ignoring case, else without
    // the "@feed" that some ids end in), else the first whose display names hold its tvg-name,
    // else its title; names compare ignoring case, an underscore standing for a space.
    ChannelGuide(std::shared_ptr<const Guide> guide, const Playlist &playlist);

    // Entries that have a guide channel.
    qsizetype matchedEntries() const;
    bool hasChannel(qint32 entry) const;
    // The entry's channel in the guide, or -1.
    qsizetype channel(qint32 entry) const;
    // The programmes of the guide channels that entries show, each channel once.
    qint64 matchedProgrammes() const;

    std::optional<ProgrammeSlot> at(qint32 entry, GuideTime time) const;
    std::optional<ProgrammeSlot> after(qint32 entry, GuideTime time) const;
    // The entry's programmes that overlap [from, to), in order.
    std::vector<ProgrammeSlot> between(qint32 entry, GuideTime from, GuideTime to) const;

    QString title(const ProgrammeSlot &slot) const;
    // Everything about it, with the slot's times.
    GuideProgramme details(const ProgrammeSlot &slot) const;

    // The span of the entries' programmes, shifts applied; 0 when they have none.
    GuideTime firstStart() const;
    GuideTime lastStop() const;

    const Guide &guide() const { return *guide_; }

private:
    GuideTime shiftOf(qint32 entry) const;
    std::optional<ProgrammeSlot> slot(qint32 programme, GuideTime shift) const;

    std::shared_ptr<const Guide> guide_;
    std::vector<qint32> channelOf_; // per entry; -1 when none
    std::vector<qint32> shiftOf_;   // per entry, seconds; empty when no entry shifts
    qsizetype matchedEntries_ = 0;
    qint64 matchedProgrammes_ = 0;
    GuideTime firstStart_ = 0;
    GuideTime lastStop_ = 0;
};
