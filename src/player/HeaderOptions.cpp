#include "player/HeaderOptions.h"

#include "net/ControlCharacters.h"

namespace {

QString sendable(const QString &value) {
    return hasControlCharacter(value.toUtf8()) ? QString() : value;
}

} // namespace

StreamHeaders sendableHeaders(const StreamHeaders &headers) {
    return {sendable(headers.userAgent), sendable(headers.referrer)};
}

// The options are a list of key=value pairs split at commas, in which a value is taken whole only
// when quoted; "%N%" quotes the N bytes that follow, whatever they are.
QByteArray loadOptions(const StreamHeaders &headers) {
    const std::pair<const char *, const QString &> options[]{
        {"user-agent", headers.userAgent},
        {"referrer", headers.referrer},
    };
    QByteArray list;
    for (const auto &[name, value] : options) {
        if (value.isEmpty())
            continue;
        const QByteArray bytes = value.toUtf8();
        if (!list.isEmpty())
            list += ',';
        list += name + QByteArray("=%") + QByteArray::number(bytes.size()) + '%' + bytes;
    }
    return list;
}
