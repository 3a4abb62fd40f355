#pragma once

#include <QString>

struct Controls;
class ConnectionMonitor;
class Player;

// Tunes to the catalogue row whose label is `text`: shows its name and number, hands its address
// to the player, plays it and turns the connection monitor on or off. A text that no row has
// changes nothing.
void TuneChannel(const Controls &c, Player &player, ConnectionMonitor &monitor,
                 const QString &text);
