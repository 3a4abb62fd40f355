#pragma once
// An xmltv_ns episode number, "season.episode.part" counted from zero, each maybe "n/total" and
// maybe empty, as shown: "S1 E5", "S2" or "E12".

#include <QByteArrayView>

#include <string>

// Empty when it gives neither season nor episode, or is no such number.
std::string shownEpisode(QByteArrayView xmltvNs);
