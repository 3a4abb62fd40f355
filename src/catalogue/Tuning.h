#pragma once

#include "catalogue/ChannelSource.h"

#include <optional>

struct Controls;
class ConnectionMonitor;
class Player;

// Tunes to `channel`: shows its name and number, hands its address to the player, plays it and
// turns the connection monitor on or off. No channel changes nothing.
void TuneChannel(const Controls &c, Player &player, ConnectionMonitor &monitor,
                 const std::optional<Channel> &channel);
