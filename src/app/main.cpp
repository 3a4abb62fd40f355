#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/ProgramWindow.h"

#include <QApplication>

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
    ProgramWindow window(line);
    return QApplication::exec();
}
