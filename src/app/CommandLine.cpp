#include "app/CommandLine.h"

#include <QDir>
#include <QUrl>

namespace {

const QString GuideOption = QStringLiteral("--guide");

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

// A guide as the loader reads it: an address as given, a path from the current folder.
QString guideSource(const QString &given) {
    // A Windows path's drive letter would pass for a scheme.
    if (QDir::isAbsolutePath(given) || !QUrl(given).scheme().isEmpty())
        return given;
    return QDir::cleanPath(QDir::current().absoluteFilePath(given));
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    CommandLine line;
    bool optionsEnd = false;
    for (auto argument = arguments.cbegin(); argument != arguments.cend(); ++argument) {
        const bool option = !optionsEnd && argument->startsWith(u'-') && *argument != u"-";
        if (option && *argument == u"--") {
            optionsEnd = true;
        } else if (option && (*argument == u"--help" || *argument == u"-h")) {
            return answer(CommandLine::Action::Help);
        } else if (option && *argument == u"--version") {
            return answer(CommandLine::Action::Version);
        } else if (option &&
                   (*argument == GuideOption || argument->startsWith(GuideOption + u'='))) {
            QString guide = argument->mid(GuideOption.size() + 1);
            if (*argument == GuideOption) {
                if (std::next(argument) == arguments.cend())
                    return misuse(QStringLiteral("option --guide needs a file or address"));
                guide = *++argument;
            }
            if (guide.isEmpty())
                return misuse(QStringLiteral("empty guide name"));
            line.guides << guideSource(guide);
        } else if (option) {
            return misuse(QStringLiteral("unknown option %1").arg(*argument));
        } else if (!line.playlist.isEmpty()) {
            return misuse(QStringLiteral("one playlist at a time"));
        } else if (argument->isEmpty()) {
            return misuse(QStringLiteral("empty playlist name"));
        } else {
            line.playlist = *argument;
        }
    }
    return line;
}

QString synopsis() {
    return QStringLiteral("ruredivu [--guide FILE|URL]... [PLAYLIST]");
}

QString helpText() {
    return QStringLiteral("Usage: ") + synopsis() +
           QStringLiteral("\n"
                          "Watch live Internet television.\n"
                          "\n"
                          "PLAYLIST  an IPTV playlist (M3U, M3U8 or PLS) to show instead of "
                          "the built-in channels:\n"
                          "          a local file or an http or https address; without one, "
                          "the playlist\n"
                          "          opened last, unless the built-in channels were chosen "
                          "since\n"
                          "\n"
                          "      --guide FILE|URL  a programme guide (XMLTV, plain, .gz or .xz) "
                          "for the playlist's\n"
                          "                        channels: a local file, relative to the "
                          "current folder, or an\n"
                          "                        http or https address; read before the "
                          "guides the playlist\n"
                          "                        names itself, and may be given more than "
                          "once\n"
                          "  -h, --help            show this help and exit\n"
                          "      --version         show the version and exit\n"
                          "\n"
                          "Keys: Page Up/Down next/previous channel, digits a channel number, "
                          "Backspace the\n"
                          "channel before, i the banner, Ctrl+F or / search, g the programme "
                          "guide, f mark or\n"
                          "unmark a favourite, Ctrl+O or Ctrl+L open a playlist file or "
                          "address, Shift+F10,\n"
                          "the Menu key or a right-click the menu.\n"
                          "\n"
                          "Remembered: the recent playlists and their last channels in "
                          "$XDG_STATE_HOME/ruredivu,\n"
                          "the favourites in $XDG_DATA_HOME/ruredivu; the menu's Forget "
                          "Everything removes them.\n");
}
