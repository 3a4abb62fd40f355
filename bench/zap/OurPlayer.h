#pragma once

#include "Zapper.h"

#include "app/MainForm.h"
#include "player/MpvPlayer.h"

struct mpv_handle;

// The tuner's own window and player, built as the program builds them. A second client of the
// same engine watches its events, so the player's own handling stays as it is.
//
// The engine reports a restart of playback only once the first frame has been drawn by the
// video widget's paintGL (libmpv waits for the render), so that event marks the frame shown.
class OurPlayer : public Zapper {
public:
    OurPlayer();
    ~OurPlayer() override;

    qint64 pid() const override;
    void tune(const QString &url) override;

private:
    void drainEvents();

    MpvPlayer player_;
    MainForm form_{player_};
    mpv_handle *watch_ = nullptr;
    bool waiting_ = false;
    bool started_ = false;
};
