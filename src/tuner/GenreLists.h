#pragma once
// The side panel's lists: a click in `lstTuner` and a pick in `cboGenre`.

struct Controls;
class TuningState;

// A click on an item of the list: rebuilds the genre picker for the current tuner, shows the
// channels of a clicked genre, and tunes to a clicked channel.
void lstTunerClick(const Controls &c, TuningState &tuning);

// A genre picked in the combo box shows that genre's channels; nothing else changes.
void cboGenreClick(const Controls &c, TuningState &tuning);
