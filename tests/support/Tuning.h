#pragma once
// Tunes the window to a stream the way tuning does for a channel that the connection monitor
// watches: the channel's name, the address handed to the player, play, and the monitor on.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "player/Player.h"

#include <QLabel>

inline void tuneMonitored(MainForm &form, const QString &name, const QString &address) {
    const Controls &c = form.controls();
    c.lblChannelName->setText(QString());
    c.lblChannelName->setText(name);
    form.player().setUrl(address);
    form.player().play();
    form.monitor().start();
}
