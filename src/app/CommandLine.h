#pragma once
// The command line: `ruredivu [--guide FILE|URL]... [PLAYLIST]`, where PLAYLIST is a local path or
// an http(s) address, and each guide an XMLTV file or address read for the playlist's channels.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Misuse };

    Action action = Action::Run;
    QString playlist;   // with Run: empty for the playlist opened last, else the built-in channels
    QStringList guides; // with Run: in order, relative paths made absolute from the current folder
    QString problem;    // with Misuse: what was wrong, to go before the usage
};

// Reads the arguments that follow the program's name.
CommandLine parseCommandLine(const QStringList &arguments);

// How the program is called, "ruredivu [--guide FILE|URL]... [PLAYLIST]", and the text of --help.
QString synopsis();
QString helpText();
