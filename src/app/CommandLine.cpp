#include "app/CommandLine.h"

CommandLine parseCommandLine(const QStringList &arguments) {
    CommandLine line;
    bool optionsEnd = false;
    for (const QString &argument : arguments) {
        const bool option = !optionsEnd && argument.startsWith(u'-') && argument != u"-";
        if (option && argument == u"--") {
            optionsEnd = true;
        } else if (option && (argument == u"--help" || argument == u"-h")) {
            return {CommandLine::Action::Help};
        } else if (option && argument == u"--version") {
            return {CommandLine::Action::Version};
        } else if (option) {
            return {
                CommandLine::Action::Misuse, {}, QStringLiteral("unknown option %1").arg(argument)};
        } else if (!line.playlist.isEmpty()) {
            return {CommandLine::Action::Misuse, {}, QStringLiteral("one playlist at a time")};
        } else if (argument.isEmpty()) {
            return {CommandLine::Action::Misuse, {}, QStringLiteral("empty playlist name")};
        } else {
            line.playlist = argument;
        }
    }
    return line;
}

QString synopsis() {
    return QStringLiteral("ruredivu [PLAYLIST]");
}

QString helpText() {
    return QStringLiteral("Usage: ") + synopsis() +
           QStringLiteral("\n"
                          "Watch live Internet television.\n"
                          "\n"
                          "PLAYLIST  an IPTV playlist (M3U, M3U8 or PLS) to show instead of "
                          "the built-in channels:\n"
                          "          a local file or an http or https address\n"
                          "\n"
                          "  -h, --help     show this help and exit\n"
                          "      --version  show the version and exit\n");
}
