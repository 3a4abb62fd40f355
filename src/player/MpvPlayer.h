#pragma once

#include "player/Player.h"

#include <QObject>
#include <QPointer>

struct mpv_handle;
struct mpv_event;
class MpvVideoWidget;

// The player on libmpv. The engine runs on its own threads; this object only sends it
// asynchronous requests and learns its state from events, so the window never waits for it.
class MpvPlayer : public QObject, public Player {
    Q_OBJECT
public:
    MpvPlayer();
    ~MpvPlayer() override;

    QWidget *videoArea() override;
    void disableErrorDialogs() override;
    void setUrl(const QString &address) override;
    void play() override;
    void setVolume(int volume) override;
    void enterFullScreen() override;
    int bufferingCount() const override;

    // The engine itself, for reading back its state in tests.
    mpv_handle *handle() const { return mpv_; }

private:
    void drainEvents();
    void handleEvent(const mpv_event &event);

    mpv_handle *mpv_ = nullptr;
    QPointer<MpvVideoWidget> video_;
    quint64 loadRequest_ = 0;  // the last `loadfile` sent, by its reply id
    qint64 currentEntry_ = -1; // playlist entry of the address set last, once known
    qint64 startedEntry_ = -1; // playlist entry that the engine is playing
    bool playbackStarted_ = false;
    bool pausedForCache_ = false;
    int bufferingCount_ = 0;
};
