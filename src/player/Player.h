#pragma once

#include <QObject>
#include <QString>

class QWidget;

// HTTP headers that go with a stream's address, for servers that answer only certain players or
// pages. Empty ones are not sent.
struct StreamHeaders {
    QString userAgent;
    QString referrer;
};

// The embedded media player, reduced to the operations the window uses. What others follow
// (playing or not, the loudness, full screen) it tells by signals as well as getters.
class Player : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The area of the window that shows the video; the window places and names it.
    virtual QWidget *videoArea() = 0;

    // The player never opens a window or dialog of its own; trouble shows only in the window.
    virtual void disableErrorDialogs() = 0;
    // The address replaces whatever played; the buffering count starts again from 0. HTTP
    // requests for it carry `headers`.
    virtual void setUrl(const QString &address, const StreamHeaders &headers = {}) = 0;
    virtual void play() = 0;
    // Loudness on the player's 0-100 scale.
    virtual void setVolume(int volume) = 0;
    virtual void enterFullScreen() = 0;
    // Brings the window back from full screen; nothing when it is not full screen.
    virtual void leaveFullScreen() = 0;
    // How many times the current stream has had to buffer: 0 from the moment its address is set,
    // 1 once it is open and filling, and one more for each later stall.
    virtual int bufferingCount() const = 0;
    // The current stream has ended, for whatever reason (a live stream that ends has lost its
    // signal), or was given up: it made no progress, or its playlists led only to more playlists.
    virtual bool streamFailed() const = 0;

    // A stream has been played and has not failed since.
    bool isPlaying() const { return playing_; }
    int volume() const { return volume_; }
    bool isFullScreen() const { return fullScreen_; }

signals:
    void playingChanged(bool playing);
    void volumeChanged(int volume);
    void fullScreenChanged(bool fullScreen);

protected:
    void notePlaying(bool playing) { note(playing_, playing, &Player::playingChanged); }
    void noteVolume(int volume) { note(volume_, volume, &Player::volumeChanged); }
    void noteFullScreen(bool fullScreen) {
        note(fullScreen_, fullScreen, &Player::fullScreenChanged);
    }

private:
    template <typename T> void note(T &field, T value, void (Player::*changed)(T)) {
        if (field == value)
            return;
        field = value;
        emit(this->*changed)(value);
    }

    bool playing_ = false;
    int volume_ = 0;
    bool fullScreen_ = false;
};
