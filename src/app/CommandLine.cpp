#include "app/CommandLine.h"

namespace {

CommandLine answer(CommandLine::Action action) {
    CommandLine line;
    line.action = action;
    return line;
}

CommandLine misuse(const QString &problem) {
    CommandLine line = answer(CommandLine::Action::Misuse);
    line.problem = problem;
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    CommandLine line;
    bool optionsEnd = false;
    for (const QString &argument : arguments) {
        const bool option = !optionsEnd && argument.startsWith(u'-') && argument != u"-";
        if (option && argument == u"--") {
            optionsEnd = true;
        } else if (option && (argument == u"--help" || argument == u"-h")) {
            return answer(CommandLine::Action::Help);
        } else if (option && argument == u"--version") {
            return answer(CommandLine::Action::Version);
        } else if (option) {
            return misuse(QStringLiteral("unknown option %1").arg(argument));
        } else if (!line.playlist.isEmpty()) {
            return misuse(QStringLiteral("one playlist at a time"));
        } else if (argument.isEmpty()) {
            return misuse(QStringLiteral("empty playlist name"));
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
                          "      --version  show the version and exit\n"
                          "\n"
                          "Keys in the window:\n"
                          "  Page Up, Page Down   next, previous channel (also Up, Down in full "
                          "screen,\n"
                          "                       and the Channel and Media Next/Previous keys)\n"
                          "  0-9                  tune a channel by its number\n"
                          "  Backspace, 0         back to the channel before\n"
                          "  i                    show or hide the channel banner\n"
                          "  Ctrl+F, /            search the channels\n");
}
