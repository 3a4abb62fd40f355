#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "form/Design.h"
#include "player/MpvPlayer.h"
#include "player/ProcessSettings.h"

#include <QApplication>

#include <cstdio>

namespace {

QString version() {
    return QString::fromUtf8(design::Version);
}

} // namespace

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
        std::printf("ruredivu %s\n", qPrintable(version()));
        return 0;
    case CommandLine::Action::Misuse:
        std::fprintf(stderr, "ruredivu: %s; usage: %s\n", qPrintable(line.problem),
                     qPrintable(synopsis()));
        return 2;
    case CommandLine::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    applyProcessSettings();
    QApplication::setApplicationName(QStringLiteral("RURE DIVU"));
    QApplication::setOrganizationName(QString::fromUtf8(design::Company));
    QApplication::setApplicationVersion(version());
    QApplication::setWindowIcon(appIcon());
    // Lets the desktop match the window to its launcher and icon.
    QApplication::setDesktopFileName(QStringLiteral(RUREDIVU_APP_ID));
    MpvPlayer player;
    MainForm form(player);
    form.show();
    if (!line.playlist.isEmpty())
        form.openPlaylist(line.playlist);
    return QApplication::exec();
}
