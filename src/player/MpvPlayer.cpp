#include "player/MpvPlayer.h"

#include "player/AsxReader.h"
#include "player/HeaderOptions.h"
#include "player/MpvLibrary.h"
#include "player/MpvVideoWidget.h"

#include <QEvent>
#include <QNetworkAccessManager>
#include <QThread>
#include <QUrl>

#include <cstdio>

namespace {

// The engine's start settings: no controls, key bindings or scripts of its own (its built-in
// ones included, each a thread that nothing here could use), video scaled to its area, silent
// but not muted, playing as soon as an address is set. Playlists fetched from
// the network may not open local files, and playback pauses while the cache runs dry, which is
// how stalls show (both the engine's defaults, kept on purpose). A live stream opens after a
// tenth of a second of analysis instead of most of a second: enough to name every stream's codec,
// which skipping the analysis altogether gets wrong (MPEG audio layer II taken for layer III).
// RTSP goes over whichever transport the server offers: UDP first, TCP when the server refuses
// UDP or none of its packets arrive; the engine's own choice, TCP alone, loses the servers that
// send over UDP only.
constexpr const char *StartOptions[][2]{
    {"config", "no"},
    {"load-scripts", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"ytdl", "no"},
    {"osc", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"vo", "libmpv"},
    {"idle", "yes"},
    {"keepaspect", "yes"},
    {"volume", "0"},
    {"mute", "no"},
    {"pause", "no"},
    {"load-unsafe-playlists", "no"},
    {"cache-pause", "yes"},
    {"demuxer-lavf-analyzeduration", "0.1"},
    {"rtsp-transport", "lavf"},
};

// Per-file settings for kinds of address, on top of the stream's own: those of a scheme (by its
// start), or of a path's ending.
// RTMP carries Flash Video, whose streams are known only as their packets come, and a live RTMP
// server sends sound at once but pictures only from the next key frame: a tenth of a second of
// analysis finds the sound alone, and the picture never shows. Two seconds cover a key frame
// every two seconds; the analysis still ends as soon as both streams are there, once it no
// longer counts twenty frames to guess the frame rate (the engine times frames by their stamps).
// The engine's DASH reader starts a live stream at its newest segment, and playing at once would
// run dry as soon as that segment is played unless the next one is already out: the picture
// froze a second after it came. Two seconds in hand before playing keep it a segment behind.
struct KindOptions {
    const char *scheme;
    const char *pathEnding;
    const char *options;
};
constexpr KindOptions OptionsByKind[]{
    {"rtmp", nullptr, "demuxer-lavf-analyzeduration=2,demuxer-lavf-o=%14%fpsprobesize=0"},
    {nullptr, ".mpd", "cache-pause-initial=yes,cache-pause-wait=2"},
};

QByteArray kindOptions(const QString &address) {
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    for (const auto &[start, ending, options] : OptionsByKind) {
        if (start != nullptr ? scheme.startsWith(QLatin1String(start))
                             : url.path().endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            return options;
    }
    return {};
}

// More playlists than this behind one address are taken for a loop.
constexpr int MaxPlaylists = 8;

// Properties the player watches, by the id their change events carry.
enum Observed : quint64 {
    PausedForCache = 1,
    PlaybackTime,
    CachedUntil,
};

qint64 entryId(const mpv_node &result) {
    if (result.format != MPV_FORMAT_NODE_MAP)
        return -1;
    const mpv_node_list *map = result.u.list;
    for (int i = 0; i < map->num; ++i) {
        if (qstrcmp(map->keys[i], "playlist_entry_id") == 0 &&
            map->values[i].format == MPV_FORMAT_INT64)
            return map->values[i].u.int64;
    }
    return -1;
}

} // namespace

MpvPlayer::MpvPlayer(std::chrono::milliseconds giveUpAfter) : video_(new MpvVideoWidget) {
    giveUp_.setSingleShot(true);
    giveUp_.setInterval(giveUpAfter);
    connect(&giveUp_, &QTimer::timeout, this, &MpvPlayer::giveUp);
    video_->installEventFilter(this);
    connect(video_, &MpvVideoWidget::fullScreenChanged, this, &MpvPlayer::noteFullScreen);
}

MpvPlayer::~MpvPlayer() {
    if (starter_ != nullptr)
        starter_->wait();
    if (handle_ != nullptr)
        mpv_->setWakeupCallback(handle_, nullptr, nullptr);
    // The render context must go before the handle.
    if (video_ != nullptr)
        video_->freeRenderContext();
    delete video_.data();
    if (handle_ != nullptr)
        mpv_->terminateDestroy(handle_);
}

mpv_handle *MpvPlayer::handle() {
    startEngine();
    starter_->wait();
    engineStarted();
    return handle_;
}

// The window's first frame is on screen once its paint is over; the engine starts after that.
// Watches the video area alone, which may be on its way out when other events come.
bool MpvPlayer::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &MpvPlayer::startEngine, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void MpvPlayer::startEngine() {
    if (starter_ != nullptr)
        return;
    starter_ = QThread::create([this] {
        const MpvLibrary *mpv = loadMpvLibrary();
        mpv_handle *handle = mpv != nullptr ? mpv->create() : nullptr;
        if (handle == nullptr) {
            std::fprintf(stderr, "ruredivu: the media engine could not be created\n");
            return;
        }
        for (const auto &option : StartOptions)
            mpv->setOptionString(handle, option[0], option[1]);
        if (mpv->initialize(handle) < 0) {
            std::fprintf(stderr, "ruredivu: the media engine could not be started\n");
            mpv->terminateDestroy(handle);
            return;
        }
        mpv_ = mpv;
        handle_ = handle;
    });
    starter_->setParent(this);
    starter_->setObjectName(QStringLiteral("media engine start"));
    connect(starter_, &QThread::finished, this, &MpvPlayer::engineStarted);
    starter_->start();
}

// The render context comes before any stream, so the engine finds it for the first one.
void MpvPlayer::engineStarted() {
    if (started_)
        return;
    started_ = true;
    if (handle_ == nullptr) {
        // Without an engine a stream set meanwhile has failed, and so will every other.
        waiting_.clear();
        if (giveUp_.isActive())
            giveUp();
        return;
    }
    mpv_->observeProperty(handle_, PausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_->observeProperty(handle_, PlaybackTime, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_->observeProperty(handle_, CachedUntil, "demuxer-cache-time", MPV_FORMAT_DOUBLE);
    mpv_->setWakeupCallback(
        handle_,
        [](void *player) {
            QMetaObject::invokeMethod(static_cast<MpvPlayer *>(player), &MpvPlayer::drainEvents,
                                      Qt::QueuedConnection);
        },
        this);
    if (video_ != nullptr)
        video_->startRendering(*mpv_, handle_);
    for (const auto &call : std::exchange(waiting_, {}))
        call();
}

void MpvPlayer::request(std::function<void()> call) {
    if (!started_)
        waiting_.push_back(std::move(call));
    else if (handle_ != nullptr)
        call();
}

QWidget *MpvPlayer::videoArea() {
    return video_;
}

void MpvPlayer::disableErrorDialogs() {
    request([this] {
        for (const char *property : {"terminal", "force-window"}) {
            const char *no = "no";
            mpv_->setPropertyAsync(handle_, 0, property, MPV_FORMAT_STRING, &no);
        }
    });
}

void MpvPlayer::setUrl(const QString &address, const StreamHeaders &headers) {
    asx_.reset();
    queued_.clear();
    bufferingCount_ = 0;
    currentEntry_ = -1;
    lastEntry_ = -1;
    playlistsOpened_ = 0;
    firstPosition_.reset();
    played_ = false;
    failed_ = started_ && handle_ == nullptr;
    if (failed_)
        return;
    giveUp_.start();
    startEngine();
    const StreamHeaders sendable = sendableHeaders(headers);
    loadOptions_ = loadOptions(sendable);
    // Like a typed address, surrounding white space is no part of it.
    const QString trimmed = address.trimmed();
    if (!AsxReader::mayBeAsx(QUrl(trimmed))) {
        load(trimmed);
        return;
    }
    // What played before stops now, not once the playlist has been read.
    request([this] {
        const char *command[]{"stop", nullptr};
        mpv_->commandAsync(handle_, 0, command);
    });
    if (network_ == nullptr)
        network_ = std::make_unique<QNetworkAccessManager>();
    asx_ = std::make_unique<AsxReader>(*network_, sendable, MaxPlaylists);
    connect(asx_.get(), &AsxReader::progressed, this, &MpvPlayer::progress);
    connect(asx_.get(), &AsxReader::finished, this, &MpvPlayer::asxRead);
    asx_->read(trimmed);
}

void MpvPlayer::asxRead(const QStringList &streams, int documents) {
    playlistsOpened_ = documents;
    queued_ = streams;
    ended();
}

void MpvPlayer::load(const QString &address) {
    QByteArray options = loadOptions_;
    if (const QByteArray own = kindOptions(address); !own.isEmpty())
        options += (options.isEmpty() ? "" : ",") + own;
    request([this, url = address.toUtf8(), options] {
        // Without options the command is what every version of the engine takes alike.
        const char *command[]{"loadfile", url.constData(), "replace",
                              options.isEmpty() ? nullptr : options.constData(), nullptr};
        mpv_->commandAsync(handle_, ++loadRequest_, command);
    });
}

// The stream that played, or was to play, has ended: the ASX's next address is tried, or the
// stream has failed.
void MpvPlayer::ended() {
    if (!queued_.isEmpty()) {
        load(queued_.takeFirst());
        return;
    }
    giveUp_.stop();
    failed_ = true;
    notePlaying(false);
}

void MpvPlayer::play() {
    notePlaying(!failed_);
    request([this] {
        int pause = 0;
        mpv_->setPropertyAsync(handle_, 0, "pause", MPV_FORMAT_FLAG, &pause);
    });
}

void MpvPlayer::setVolume(int volume) {
    noteVolume(volume);
    request([this, volume] {
        double value = volume;
        mpv_->setPropertyAsync(handle_, 0, "volume", MPV_FORMAT_DOUBLE, &value);
    });
}

void MpvPlayer::enterFullScreen() {
    if (video_ != nullptr)
        video_->enterFullScreen();
}

void MpvPlayer::leaveFullScreen() {
    if (video_ != nullptr)
        video_->leaveFullScreen();
}

int MpvPlayer::bufferingCount() const {
    return bufferingCount_;
}

bool MpvPlayer::streamFailed() const {
    return failed_;
}

void MpvPlayer::drainEvents() {
    for (;;) {
        const mpv_event *event = mpv_->waitEvent(handle_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        handleEvent(*event);
    }
}

// Events of an earlier address can arrive after the next one was set; each is matched to the
// playlist entry it belongs to, so only the current stream's events count. Entry ids only grow,
// and a playlist's entries come after the entry that named it, so the current stream is its own
// entry and every later one.
bool MpvPlayer::isCurrent(qint64 entry) const {
    return currentEntry_ >= 0 && entry >= currentEntry_;
}

void MpvPlayer::handleEvent(const mpv_event &event) {
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata != loadRequest_)
            break;
        if (event.error < 0) {
            ended();
            break;
        }
        lastEntry_ = entryId(static_cast<mpv_event_command *>(event.data)->result);
        if (currentEntry_ < 0)
            currentEntry_ = lastEntry_;
        break;
    case MPV_EVENT_START_FILE:
        startedEntry_ = static_cast<mpv_event_start_file *>(event.data)->playlist_entry_id;
        if (isCurrent(startedEntry_))
            progress();
        break;
    case MPV_EVENT_FILE_LOADED:
        // The stream is open and its first fill under way: that is its first buffering.
        if (!isCurrent(startedEntry_))
            break;
        if (bufferingCount_ == 0)
            bufferingCount_ = 1;
        progress();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (isCurrent(startedEntry_))
            progress();
        break;
    case MPV_EVENT_END_FILE: {
        const auto *end = static_cast<mpv_event_end_file *>(event.data);
        // Until the last entry has ended, the engine goes on with the next one.
        if (!isCurrent(end->playlist_entry_id) || end->playlist_entry_id != lastEntry_)
            break;
        if (end->reason == MPV_END_FILE_REASON_REDIRECT && end->playlist_insert_num_entries > 0) {
            lastEntry_ = end->playlist_insert_id + end->playlist_insert_num_entries - 1;
            // Playlists that only lead to more playlists (one naming itself) never end.
            if (++playlistsOpened_ > MaxPlaylists)
                giveUp();
            break;
        }
        // A live channel does not end by itself: however its stream ends, the signal is lost.
        ended();
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto *property = static_cast<mpv_event_property *>(event.data);
        if (property->format == MPV_FORMAT_NONE)
            break;
        if (event.reply_userdata != PausedForCache) {
            // The position moves on or more of the stream has arrived.
            if (!isCurrent(startedEntry_))
                break;
            if (event.reply_userdata == PlaybackTime)
                notePosition(*static_cast<double *>(property->data));
            progress();
            break;
        }
        const bool paused = *static_cast<int *>(property->data) != 0;
        // The first fill does not show here, however long the engine waits for its cache before
        // it plays on from the first frame; a later stall counts once, however long it lasts.
        if (paused && !pausedForCache_ && played_ && isCurrent(startedEntry_))
            ++bufferingCount_;
        pausedForCache_ = paused;
        break;
    }
    default:
        break;
    }
}

// The stream plays once its position moves on from where it was first reported.
void MpvPlayer::notePosition(double position) {
    if (!firstPosition_)
        firstPosition_ = position;
    else if (position != *firstPosition_)
        played_ = true;
}

void MpvPlayer::progress() {
    if (giveUp_.isActive())
        giveUp_.start();
}

// Stops the current stream for good. Only HTTP connections time out in the engine itself; others
// that hang would wait for ever.
void MpvPlayer::giveUp() {
    asx_.reset();
    queued_.clear();
    giveUp_.stop();
    failed_ = true;
    notePlaying(false);
    request([this] {
        const char *command[]{"stop", nullptr};
        mpv_->commandAsync(handle_, 0, command);
    });
}
