#pragma once
// The window's direct controls of the player: the volume slider and the full-screen button.

struct Controls;
class Player;

// Any move of `sldMainVolume` by the user, and any click on it: position n of 0-10 sets the
// loudness to 10 × n, so the right end is full volume.
void sldMainVolumeScroll(const Controls &c, Player &player);

void cmdFSClick(Player &player);
