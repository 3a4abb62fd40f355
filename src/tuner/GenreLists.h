#pragma once
// The side panel's lists: a click in `lstTuner` and a pick in `cboGenre`.

struct Controls;
class ChannelSource;
class ConnectionMonitor;
class Player;

// A click on an item of the list: rebuilds the genre picker for the current tuner, shows the
// channels of a clicked genre, and tunes to a clicked channel.
void lstTunerClick(const Controls &c, const ChannelSource &source, Player &player,
                   ConnectionMonitor &monitor);

// A genre picked in the combo box shows that genre's channels; nothing else changes.
void cboGenreClick(const Controls &c, const ChannelSource &source);
