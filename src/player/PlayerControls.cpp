#include "player/PlayerControls.h"

#include "form/Controls.h"
#include "player/Player.h"

#include <QSlider>

namespace {

// The player's loudness for one step of the slider.
constexpr int VolumePerStep = 10;

} // namespace

// The slider reports a move before its value follows the new position, so the position is read.
void sldMainVolumeScroll(const Controls &c, Player &player) {
    player.setVolume(VolumePerStep * c.sldMainVolume->sliderPosition());
}

void cmdFSClick(Player &player) {
    player.enterFullScreen();
}
