#pragma once

#include <QString>

class QWidget;

// HTTP headers that go with a stream's address, for servers that answer only certain players or
// pages. Empty ones are not sent.
struct StreamHeaders {
    QString userAgent;
    QString referrer;
};

// The embedded media player, reduced to the operations the window uses.
class Player {
public:
    virtual ~Player() = default;

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
    // How many times the current stream has had to buffer: 0 from the moment its address is set,
    // 1 once it is open and filling, and one more for each later stall.
    virtual int bufferingCount() const = 0;
    // The current stream has ended, for whatever reason (a live stream that ends has lost its
    // signal), or was given up: it made no progress, or its playlists led only to more playlists.
    virtual bool streamFailed() const = 0;
};
