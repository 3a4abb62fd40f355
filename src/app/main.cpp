#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/Zapping.h"
#include "player/MpvPlayer.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Answered before the application starts: no display is needed for them.
    const CommandLine line = parseCommandLine(arguments);
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(qPrintable(helpText()), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("ruredivu %s\n", qPrintable(applicationVersion()));
        return 0;
    case CommandLine::Action::Misuse:
        std::fprintf(stderr, "ruredivu: %s; usage: %s\n", qPrintable(line.problem),
                     qPrintable(synopsis()));
        return 2;
    case CommandLine::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    setUpApplication();
    MpvPlayer player;
    MainForm form(player);
    form.show();
    form.setGuides(line.guides);
    if (!line.playlist.isEmpty())
        form.openPlaylist(line.playlist);
    // The desktop's media controls come once the window is up: the bus is a round trip away.
    QTimer::singleShot(0, &form, [&form] {
        form.zapping().startDesktopControls(QGuiApplication::desktopFileName());
    });
    return QApplication::exec();
}
