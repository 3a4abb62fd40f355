#pragma once
// How a remembered channel is found again in its playlist: by the guide's channel id (tvg-id)
// where the entry has one, else by its title and group. Never by its stream address, which
// providers change (tokens, servers) while the channel stays the same.

#include <QJsonValue>
#include <QString>

#include <optional>

struct ChannelKey {
    QString tvgId; // empty when the entry has none
    QString title;
    QString group;
};

// Keys with a tvg-id are alike when their tvg-ids are, case aside, as guides write them either
// way; keys without one when their titles and groups are the same. A key with a tvg-id is never
// like one without.
bool operator==(const ChannelKey &a, const ChannelKey &b);

QJsonValue toJson(const ChannelKey &key);
// Empty when `json` is not a key as toJson() writes it.
std::optional<ChannelKey> channelKeyFromJson(const QJsonValue &json);
