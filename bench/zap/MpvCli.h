#pragma once

#include "ZapSubject.h"

#include <QLocalSocket>
#include <QProcess>
#include <QSize>
#include <QTemporaryDir>

// The mpv command-line player, started idle with its window already up (as the tuner's video
// area is) and driven through its JSON IPC socket. It plays with its own defaults; only what
// has no bearing on playback is set like the tuner's engine: no configuration files, no
// scripts (on-screen controller, console, statistics, profiles), silent volume, and a window the
// size of the tuner's video area. It renders with the same OpenGL renderer as the tuner, even
// where that is a software one (mpv passes over those on its own, and without a GPU it would
// fall back to another video output that does less work).
//
// mpv reports a restart of playback once its video output has drawn the first frame, which
// marks the frame shown, as for the tuner.
class MpvCli : public ZapSubject {
public:
    explicit MpvCli(QSize window);
    ~MpvCli() override;

    qint64 pid() const override;
    void tune(const QString &url) override;

private:
    void connectIpc();
    void readEvents();
    void send(const QJsonArray &command);

    QTemporaryDir dir_;
    QProcess mpv_;
    QLocalSocket ipc_;
    bool waiting_ = false;
    bool started_ = false;
};
