#include "state/Favourites.h"

#include <QJsonArray>

#include <vector>

namespace {

std::optional<QList<ChannelKey>> keysFromJson(const QJsonValue &json) {
    if (!json.isArray())
        return {};
    QList<ChannelKey> keys;
    for (const QJsonValue &item : json.toArray()) {
        const std::optional<ChannelKey> key = channelKeyFromJson(item);
        if (!key)
            return {};
        if (!keys.contains(*key))
            keys.append(*key);
    }
    return keys;
}

QJsonArray keysToJson(const QList<ChannelKey> &keys) {
    QJsonArray json;
    for (const ChannelKey &key : keys)
        json.append(toJson(key));
    return json;
}

} // namespace

Favourites::Favourites(const QString &folder)
    : remembered_(StateFile(folder, QStringLiteral("favourites.json"))) {}

void Favourites::load() {
    remembered_.load();
}

bool Favourites::mark(const QString &playlist, const ChannelKey &key, bool radio) {
    if (isFavourite(playlist, key, radio))
        return true;
    return remembered_.change([=](Document &document) {
        QList<ChannelKey> &keys = document.marks(playlist).of(radio);
        if (!keys.contains(key))
            keys.append(key);
    });
}

bool Favourites::unmark(const QString &playlist, const ChannelKey &key, bool radio) {
    if (!isFavourite(playlist, key, radio))
        return true;
    return remembered_.change([=](Document &document) {
        document.marks(playlist).of(radio).removeAll(key);
        std::erase_if(document.playlists, [](const Marks &marks) {
            return marks.tv.isEmpty() && marks.radio.isEmpty();
        });
    });
}

bool Favourites::isFavourite(const QString &playlist, const ChannelKey &key, bool radio) const {
    return list(playlist, radio).contains(key);
}

QList<ChannelKey> Favourites::list(const QString &playlist, bool radio) const {
    const Marks *marks = remembered_.document().find(playlist);
    return marks ? marks->of(radio) : QList<ChannelKey>();
}

bool Favourites::forget() {
    return remembered_.forget();
}

QString Favourites::path() const {
    return remembered_.file().path();
}

std::optional<Favourites::Document> Favourites::Document::fromJson(const QJsonObject &json) {
    const QJsonValue playlists = json.value(u"playlists");
    if (!playlists.isArray())
        return {};
    Document document;
    for (const QJsonValue &item : playlists.toArray()) {
        const QJsonValue address = item.toObject().value(u"address");
        const std::optional<QList<ChannelKey>> tv = keysFromJson(item.toObject().value(u"tv"));
        const std::optional<QList<ChannelKey>> radio =
            keysFromJson(item.toObject().value(u"radio"));
        if (!address.isString() || !tv || !radio || document.find(address.toString()))
            return {};
        document.playlists.push_back({address.toString(), *tv, *radio});
    }
    return document;
}

QJsonObject Favourites::Document::toJson() const {
    QJsonArray json;
    for (const Marks &marks : playlists) {
        json.append(QJsonObject{{QStringLiteral("address"), marks.playlist},
                                {QStringLiteral("tv"), keysToJson(marks.tv)},
                                {QStringLiteral("radio"), keysToJson(marks.radio)}});
    }
    return {{QStringLiteral("playlists"), json}};
}

const Favourites::Marks *Favourites::Document::find(const QString &playlist) const {
    for (const Marks &marks : playlists) {
        if (marks.playlist == playlist)
            return &marks;
    }
    return nullptr;
}

Favourites::Marks &Favourites::Document::marks(const QString &playlist) {
    for (Marks &marks : playlists) {
        if (marks.playlist == playlist)
            return marks;
    }
    return playlists.emplace_back(Marks{playlist, {}, {}});
}
