#pragma once

#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "player/MpvPlayer.h"

// The program's window as main() starts it from a command line: the real player, the window
// shown, the guides and the playlist given (else the one opened last), and the desktop's media
// controls once the window is up. Tests start it the same way.
class ProgramWindow {
public:
    explicit ProgramWindow(const CommandLine &line);

    MainForm &form() { return form_; }

private:
    MpvPlayer player_;
    MainForm form_{player_};
};
