#pragma once
// The two tuners, TV and radio, and the buttons that choose them.

#include "catalogue/ChannelSource.h"

#include <QStringView>

struct Controls;
class TuningState;

struct Tuner {
    QStringView name;        // shown in `lblChannelName` when the tuner is chosen
    QStringView genrePrompt; // the genre picker's text until a genre is picked
    TunerKind kind;
};

// The current tuner is TV exactly while `cmdTv` is disabled, so radio both before the first
// choice and after the side panel was closed; the tuning keeps it.
const Tuner &currentTuner(const TuningState &tuning);

// The tuner buttons' clicks: show the tuner's genres from the tuning's source in the opened side
// panel, with the genre picker empty and disabled until the first click in the list.
void cmdTvClick(const Controls &c, TuningState &tuning);
void cmdRadioClick(const Controls &c, TuningState &tuning);
