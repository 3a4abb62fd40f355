#pragma once
// The built-in channel catalogue: every channel that a click in the list can tune, with what
// tuning shows and plays for it.

#include <QString>
#include <QStringView>

#include <array>

// How tuning starts a channel's stream, and whether the connection monitor watches it.
enum class PlayMethod {
    Monitored,  // play, then turn the monitor on
    Flash,      // play, then turn the monitor off and show "Flash signal"
    FlashEarly, // turn the monitor off and show "Flash signal", then play
};

struct ChannelEntry {
    QStringView ListLabel;     // the list item that selects the channel; unique, never a genre
    QStringView ChannelName;   // the caption for `lblChannelName`
    QStringView IndexNo;       // the caption for `lblIndexNo`, as it is shown
    QStringView StreamAddress; // handed to the player exactly as written here
    ::PlayMethod PlayMethod;
};

// In catalogue order; the lookup takes the first row whose label matches.
extern const std::array<ChannelEntry, 50> Catalogue;

// The row whose label is exactly `text` (whole text, case-sensitive, nothing trimmed), or
// nullptr when no row has it.
const ChannelEntry *FindChannel(const QString &text);
