#pragma once
// The window with the real player on libmpv, and what tests read back from them.

#include "app/MainForm.h"
#include "form/Controls.h"
#include "player/MpvPlayer.h"
#include "support/EngineProcess.h"
#include "support/TimeScale.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include <mpv/client.h>

// A property of the engine, read straight from it.
inline QString engineProperty(mpv_handle *mpv, const char *name) {
    char *value = mpv_get_property_string(mpv, name);
    const QString text = QString::fromUtf8(value);
    mpv_free(value);
    return text;
}

// Share of pixels that are not black in what the video area shows.
inline double litShare(QWidget *videoArea) {
    const QImage frame = videoArea->grab().toImage();
    int lit = 0;
    for (int y = 0; y < frame.height(); y += 8)
        for (int x = 0; x < frame.width(); x += 8)
            lit += qGray(frame.pixel(x, y)) > 40;
    return double(lit) / ((frame.height() / 8 + 1) * (frame.width() / 8 + 1));
}

// Connection warnings open over the window.
inline int openWarnings(const MainForm &form) {
    int open = 0;
    for (QMessageBox *box : form.findChildren<QMessageBox *>("connectionWarning"))
        open += box->isVisible();
    return open;
}

// Top-level widgets shown besides the window and its connection warning.
inline int strayWindows(const MainForm &form) {
    int stray = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        stray += widget->isVisible() && widget != &form &&
                 widget->objectName() != QStringLiteral("connectionWarning");
    return stray;
}

// Silent, so that it runs on machines without sound.
struct PlayerWindow {
    explicit PlayerWindow(std::chrono::milliseconds giveUpAfter = std::chrono::seconds(15))
        : player(giveUpAfter), form(player) {
        mpv_set_property_string(player.handle(), "ao", "null");
        // To see what the engine did, by hand: RUREDIVU_ENGINE_LOG=FILE.
        if (const QByteArray log = qgetenv("RUREDIVU_ENGINE_LOG"); !log.isEmpty()) {
            mpv_set_property_string(player.handle(), "msg-level", "all=v");
            mpv_set_property_string(player.handle(), "log-file", log.constData());
        }
    }

    const Controls &c() const { return form.controls(); }
    QString status() const { return c().lblBuffering->text(); }
    int openWarnings() const { return ::openWarnings(form); }
    int strayWindows() const { return ::strayWindows(form); }

    MpvPlayer player;
    MainForm form;
};

// Waits until the engine plays `address` and the monitor says the channel `name`, tuned last, is
// connected.
inline void waitPlaying(PlayerWindow &w, const QString &name, const QString &address) {
    QTRY_COMPARE_WITH_TIMEOUT(engineProperty(w.player.handle(), "path"), address,
                              10000 * timeScale());
    QTRY_COMPARE_WITH_TIMEOUT(w.status(), "Connected to " + name, 15000 * timeScale());
    QCOMPARE(w.form.tuning().current()->channel.name, name);
}
