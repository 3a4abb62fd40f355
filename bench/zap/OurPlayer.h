#pragma once

#include "Zapper.h"

#include "app/MainForm.h"
#include "player/MpvPlayer.h"

#include <QHash>
#include <QTimer>

struct mpv_handle;

// The tuner's own window and player, built as the program builds them and tuned as the user
// tunes: a click on the channel in the list. That list is the TV tuner's "Documentary" genre, or
// with a playlist file the one group of that playlist, opened as the user opens one. A second
// client of the same engine watches its events, so the player's own handling stays as it is.
//
// The engine reports a restart of playback once the renderer has taken the new stream's first
// frame; the frame is on screen when the video area's next paint is over.
class OurPlayer : public Zapper {
public:
    explicit OurPlayer(const QString &playlist = {});
    ~OurPlayer() override;

    qint64 pid() const override;
    // The address must be that of a channel in the list.
    void tune(const QString &url) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openPlaylist(const QString &path);
    void clickItem(const QString &text);
    void drainEvents();

    MpvPlayer player_;
    MainForm form_{player_};
    mpv_handle *watch_ = nullptr;
    QHash<QString, QString> titles_; // the playlist's channel titles by address
    QTimer loading_;
    bool waiting_ = false;
    bool started_ = false;
    bool restarted_ = false;
};
