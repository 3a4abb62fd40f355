#pragma once

#include "player/Player.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>

struct mpv_handle;
struct mpv_event;
class MpvVideoWidget;

// The player on libmpv. The engine runs on its own threads; this object only sends it
// asynchronous requests and learns its state from events, so the window never waits for it.
class MpvPlayer : public QObject, public Player {
    Q_OBJECT
public:
    // A stream that makes no progress for `giveUpAfter` is stopped and counts as failed.
    explicit MpvPlayer(std::chrono::milliseconds giveUpAfter = std::chrono::seconds(15));
    ~MpvPlayer() override;

    QWidget *videoArea() override;
    void disableErrorDialogs() override;
    void setUrl(const QString &address) override;
    void play() override;
    void setVolume(int volume) override;
    void enterFullScreen() override;
    int bufferingCount() const override;
    bool streamFailed() const override;

    // The engine itself, for reading back its state in tests.
    mpv_handle *handle() const { return mpv_; }

private:
    void drainEvents();
    void handleEvent(const mpv_event &event);
    bool isCurrent(qint64 entry) const;
    void progress();
    void giveUp();

    mpv_handle *mpv_ = nullptr;
    QPointer<MpvVideoWidget> video_;
    QTimer giveUp_;            // runs while the current stream is expected to make progress
    quint64 loadRequest_ = 0;  // the last `loadfile` sent, by its reply id
    qint64 currentEntry_ = -1; // playlist entry of the address set last, once known
    qint64 lastEntry_ = -1;    // the last entry the current address leads to (playlists)
    qint64 startedEntry_ = -1; // playlist entry that the engine is playing
    int playlistsOpened_ = 0;  // by the current address
    bool playbackStarted_ = false;
    bool pausedForCache_ = false;
    bool failed_ = false;
    int bufferingCount_ = 0;
};
