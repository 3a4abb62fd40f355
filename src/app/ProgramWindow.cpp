#include "app/ProgramWindow.h"

#include "app/Zapping.h"

#include <QGuiApplication>
#include <QTimer>

ProgramWindow::ProgramWindow(const CommandLine &line) {
    form_.show();
    form_.setGuides(line.guides);
    if (!line.playlist.isEmpty())
        form_.openPlaylist(line.playlist);
    else
        form_.openLastPlaylist(line.guides);
    // The desktop's media controls come once the window is up: the bus is a round trip away.
    QTimer::singleShot(0, &form_, [this] {
        form_.zapping().startDesktopControls(QGuiApplication::desktopFileName());
    });
}
