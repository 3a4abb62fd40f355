#include "OurPlayer.h"

#include "app/ControlOps.h"

#include <mpv/client.h>
#include <unistd.h>

OurPlayer::OurPlayer() {
    form_.show();
    watch_ = mpv_create_client(player_.handle(), "bench");
    mpv_set_wakeup_callback(
        watch_,
        [](void *self) {
            QMetaObject::invokeMethod(static_cast<OurPlayer *>(self), &OurPlayer::drainEvents,
                                      Qt::QueuedConnection);
        },
        this);
    QMetaObject::invokeMethod(this, &Zapper::ready, Qt::QueuedConnection);
}

OurPlayer::~OurPlayer() {
    // The player's handle must outlive this client of it.
    mpv_set_wakeup_callback(watch_, nullptr, nullptr);
    mpv_destroy(watch_);
}

qint64 OurPlayer::pid() const {
    return getpid();
}

// What tuning a monitored channel does with the player: the address, play, and the connection
// monitor's timer on.
void OurPlayer::tune(const QString &url) {
    waiting_ = true;
    started_ = false;
    player_.setUrl(url);
    player_.play();
    writeEnabled(form_.controls().TimeConnection, true);
}

void OurPlayer::drainEvents() {
    for (;;) {
        const mpv_event *event = mpv_wait_event(watch_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        // A restart counts only after the new address's own start, not a late one of the last.
        if (event->event_id == MPV_EVENT_START_FILE && waiting_)
            started_ = true;
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART && waiting_ && started_) {
            waiting_ = false;
            emit shown();
        }
    }
}
