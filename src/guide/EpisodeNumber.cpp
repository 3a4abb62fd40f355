#include "guide/EpisodeNumber.h"

#include <optional>

namespace {

// The number counted from zero in one of the fields, without its total: 0 when the field is
// empty, else the number counted from one; nothing when it is no number.
std::optional<qint64> fieldNumber(QByteArrayView field) {
    const qsizetype slash = field.indexOf('/');
    const QByteArrayView number = (slash < 0 ? field : field.first(slash)).trimmed();
    if (number.isEmpty())
        return 0;
    if (number.size() > 9)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : number) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value + 1;
}

} // namespace

std::string shownEpisode(QByteArrayView xmltvNs) {
    const qsizetype firstDot = xmltvNs.indexOf('.');
    if (firstDot < 0)
        return {};
    const qsizetype secondDot = xmltvNs.indexOf('.', firstDot + 1);
    const QByteArrayView episodeField =
        xmltvNs.sliced(firstDot + 1, (secondDot < 0 ? xmltvNs.size() : secondDot) - firstDot - 1);
    const std::optional<qint64> season = fieldNumber(xmltvNs.first(firstDot));
    const std::optional<qint64> episode = fieldNumber(episodeField);
    if (!season || !episode)
        return {};
    std::string shown;
    if (*season > 0)
        shown = 'S' + std::to_string(*season);
    if (*episode > 0)
        shown += (shown.empty() ? "E" : " E") + std::to_string(*episode);
    return shown;
}
