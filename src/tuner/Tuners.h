#pragma once
// The two tuners, TV and radio, and the buttons that choose them.

#include "catalogue/ChannelSource.h"

#include <QStringView>

struct Controls;

struct Tuner {
    QStringView name;        // shown in `lblChannelName` when the tuner is chosen
    QStringView genrePrompt; // the genre picker's text until a genre is picked
    TunerKind kind;
};

// No variable holds the current tuner: it is TV exactly while `cmdTv` is disabled, so radio
// both before the first choice and after the side panel was closed.
const Tuner &currentTuner(const Controls &c);

// The tuner buttons' clicks: show the tuner's genres from `source` in the opened side panel, with
// the genre picker empty and disabled until the first click in the list.
void cmdTvClick(const Controls &c, const ChannelSource &source);
void cmdRadioClick(const Controls &c, const ChannelSource &source);
