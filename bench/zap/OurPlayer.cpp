#include "OurPlayer.h"

#include "catalogue/Catalogue.h"
#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "tuner/TunerList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <mpv/client.h>
#include <unistd.h>

OurPlayer::OurPlayer(const QString &playlist) : playlist_(!playlist.isEmpty()) {
    form_.show();
    form_.controls().videoControl->installEventFilter(this);
    connect(&form_.tuning(), &TuningState::tuned, this, [this] { ++tunings_; });
    if (!playlist_) {
        QTest::mouseClick(form_.controls().cmdTv, Qt::LeftButton);
        clickItem(QStringLiteral("Documentary"));
        watchEngine();
    } else {
        form_.openPlaylist(playlist);
        showFirstGroup();
    }
}

// The list stays empty until the playlist is read; then it holds the playlist's groups.
void OurPlayer::showFirstGroup() {
    QAbstractItemModel *model = form_.controls().lstTuner->model();
    if (model->rowCount() == 0)
        return QTimer::singleShot(10, this, &OurPlayer::showFirstGroup);
    clickItem(model->index(0, 0).data().toString());
    watchEngine();
}

void OurPlayer::watchEngine() {
    watch_ = mpv_create_client(player_.handle(), "bench");
    mpv_set_wakeup_callback(
        watch_,
        [](void *self) {
            QMetaObject::invokeMethod(static_cast<OurPlayer *>(self), &OurPlayer::drainEvents,
                                      Qt::QueuedConnection);
        },
        this);
    QMetaObject::invokeMethod(this, &ZapSubject::ready, Qt::QueuedConnection);
}

OurPlayer::~OurPlayer() {
    if (watch_ == nullptr)
        return;
    // The player's handle must outlive this client of it.
    mpv_set_wakeup_callback(watch_, nullptr, nullptr);
    mpv_destroy(watch_);
}

qint64 OurPlayer::pid() const {
    return getpid();
}

void OurPlayer::tune(const QString &url) {
    waiting_ = true;
    started_ = false;
    restarted_ = false;
    if (byKey_)
        return pressNext(false);
    if (playlist_)
        return clickItem(url);
    for (const ChannelEntry &channel : Catalogue) {
        if (channel.StreamAddress.trimmed() == url)
            return clickItem(channel.ListLabel.toString());
    }
    qFatal("no channel has the address %s", qPrintable(url));
}

void OurPlayer::pressNext(bool autoRepeat) {
    // The key goes where a keyboard's goes: to the control with the focus, here the video, in
    // the active window (which the display's lack of a window manager leaves to the program).
    QWidget *video = form_.controls().videoControl;
    QApplication::setActiveWindow(video->window());
    video->setFocus();
    QWidget *to = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &form_;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageUp, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(to, &release);
}

void OurPlayer::clickItem(const QString &text) {
    TunerList *list = form_.controls().lstTuner;
    const QModelIndexList found =
        list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, text, 1,
                             Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty())
        qFatal("the list shows no \"%s\"", qPrintable(text));
    list->scrollTo(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(found.first()).center());
}

bool OurPlayer::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Paint && restarted_) {
        restarted_ = false;
        // The paint is over, and the frame handed to the display, back in the event loop.
        QMetaObject::invokeMethod(this, &ZapSubject::shown, Qt::QueuedConnection);
    }
    return ZapSubject::eventFilter(watched, event);
}

void OurPlayer::drainEvents() {
    for (;;) {
        const mpv_event *event = mpv_wait_event(watch_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        // A restart counts only after the new address's own start, not a late one of the last.
        if (event->event_id == MPV_EVENT_START_FILE)
            started_ = started_ || waiting_;
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART && waiting_ && started_) {
            waiting_ = false;
            restarted_ = true;
        }
    }
}
