#pragma once
// The command line: `ruredivu [PLAYLIST]`, where PLAYLIST is a local path or an http(s) address.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Misuse };

    Action action = Action::Run;
    QString playlist; // with Run: empty for the built-in channels
    QString problem;  // with Misuse: what was wrong, to go before the usage
};

// Reads the arguments that follow the program's name.
CommandLine parseCommandLine(const QStringList &arguments);

// How the program is called, "ruredivu [PLAYLIST]", and the text of --help.
QString synopsis();
QString helpText();
