#include "state/ChannelKey.h"

#include <QJsonObject>

namespace {

struct Field {
    QString ChannelKey::*member;
    QStringView name; // in the file
};

constexpr Field Fields[] = {
    {&ChannelKey::tvgId, u"tvg-id"},
    {&ChannelKey::title, u"title"},
    {&ChannelKey::group, u"group"},
};

} // namespace

bool operator==(const ChannelKey &a, const ChannelKey &b) {
    if (!a.tvgId.isEmpty() || !b.tvgId.isEmpty())
        return a.tvgId.compare(b.tvgId, Qt::CaseInsensitive) == 0;
    return a.title == b.title && a.group == b.group;
}

QJsonValue toJson(const ChannelKey &key) {
    QJsonObject json;
    for (const Field &field : Fields) {
        if (!(key.*field.member).isEmpty())
            json.insert(field.name, key.*field.member);
    }
    return json;
}

std::optional<ChannelKey> channelKeyFromJson(const QJsonValue &json) {
    if (!json.isObject())
        return {};
    const QJsonObject object = json.toObject();
    ChannelKey key;
    for (const Field &field : Fields) {
        const QJsonValue value = object.value(field.name);
        if (!value.isUndefined() && !value.isString())
            return {};
        key.*field.member = value.toString();
    }
    return key;
}
