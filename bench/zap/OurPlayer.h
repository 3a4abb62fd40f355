#pragma once

#include "ZapSubject.h"

#include "app/MainForm.h"
#include "player/MpvPlayer.h"

struct mpv_handle;

// The tuner's own window and player, built as the program builds them and tuned as the user
// tunes: a click on the channel in the list, among the built-in channels or those of a playlist
// opened as the command line opens one. A second client of the same engine watches its
// events, so the player's own handling stays as it is.
//
// The engine reports a restart of playback once the renderer has taken the new stream's first
// frame; the frame is on screen when the video area's next paint is over.
class OurPlayer : public ZapSubject {
public:
    // With a playlist, its first group is shown; without, the built-in "Documentary" genre.
    explicit OurPlayer(const QString &playlist);
    ~OurPlayer() override;

    qint64 pid() const override;
    // The address must be that of a channel in the genre shown; a playlist's entry must have no
    // title but its address. With BENCH_ZAP_KEY set, the channel key (Page Up, from the video)
    // tunes instead of the click: the address must then be the next channel's.
    void tune(const QString &url) override;
    // Presses the channel key once, as the keyboard does.
    void pressNext(bool autoRepeat);
    // The channels tuned: each asks the engine to open its stream.
    int tunings() const { return tunings_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void clickItem(const QString &text);
    void showFirstGroup();
    void watchEngine();
    void drainEvents();

    MpvPlayer player_;
    MainForm form_{player_};
    bool playlist_;
    mpv_handle *watch_ = nullptr;
    bool waiting_ = false;
    bool started_ = false;
    bool restarted_ = false;
    bool byKey_ = qEnvironmentVariableIsSet("BENCH_ZAP_KEY");
    int tunings_ = 0;
};
