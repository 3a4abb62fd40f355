#include "OurPlayer.h"

#include "catalogue/Catalogue.h"
#include "form/Controls.h"
#include "playlist/Playlist.h"
#include "tuner/TunerList.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

#include <mpv/client.h>
#include <unistd.h>

OurPlayer::OurPlayer(const QString &playlist) {
    form_.show();
    QTest::mouseClick(form_.controls().cmdTv, Qt::LeftButton);
    form_.controls().videoControl->installEventFilter(this);
    watch_ = mpv_create_client(player_.handle(), "bench");
    mpv_set_wakeup_callback(
        watch_,
        [](void *self) {
            QMetaObject::invokeMethod(static_cast<OurPlayer *>(self), &OurPlayer::drainEvents,
                                      Qt::QueuedConnection);
        },
        this);
    if (!playlist.isEmpty()) {
        openPlaylist(playlist);
        return;
    }
    clickItem(QStringLiteral("Documentary"));
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

void OurPlayer::tune(const QString &url) {
    waiting_ = true;
    started_ = false;
    restarted_ = false;
    if (!titles_.isEmpty()) {
        if (!titles_.contains(url))
            qFatal("the playlist names no %s", qPrintable(url));
        return clickItem(titles_.value(url));
    }
    for (const ChannelEntry &channel : Catalogue) {
        if (channel.StreamAddress.trimmed() == url)
            return clickItem(channel.ListLabel.toString());
    }
    qFatal("no channel has the address %s", qPrintable(url));
}

// The window reads the playlist on a thread of its own and shows its groups once it is in, with
// the file's name in its title; the channels' titles are read here from the same file.
void OurPlayer::openPlaylist(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    const ParsedPlaylist parsed = parsePlaylist(file.readAll(), QUrl::fromLocalFile(path));
    if (!parsed.playlist || parsed.playlist->tvGroups().size() != 1)
        qFatal("%s is no playlist of one group", qPrintable(path));
    for (qsizetype entry = 0; entry < parsed.playlist->size(); ++entry)
        titles_.insert(parsed.playlist->address(entry), parsed.playlist->title(entry));
    const QString group = parsed.playlist->tvGroups().front().name;
    const QString title = QFileInfo(path).fileName() + QStringLiteral(" - ");
    form_.openPlaylist(path);
    connect(&loading_, &QTimer::timeout, this, [this, group, title] {
        if (!form_.windowTitle().startsWith(title))
            return;
        loading_.stop();
        clickItem(group);
        emit ready();
    });
    loading_.start(20);
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
        QMetaObject::invokeMethod(this, &Zapper::shown, Qt::QueuedConnection);
    }
    return Zapper::eventFilter(watched, event);
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
            restarted_ = true;
        }
    }
}
