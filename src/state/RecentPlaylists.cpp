#include "state/RecentPlaylists.h"

#include <QJsonArray>

namespace {

std::optional<RecentPlaylist> playlistFromJson(const QJsonValue &json) {
    const QJsonObject object = json.toObject();
    const QJsonValue address = object.value(u"address");
    const QJsonValue guides = object.value(u"guides");
    const QJsonValue lastChannel = object.value(u"lastChannel");
    if (!address.isString() || !guides.isArray())
        return {};
    RecentPlaylist playlist{address.toString(), {}, {}};
    for (const QJsonValue &guide : guides.toArray()) {
        if (!guide.isString())
            return {};
        playlist.guides.append(guide.toString());
    }
    if (!lastChannel.isUndefined()) {
        playlist.lastChannel = channelKeyFromJson(lastChannel);
        if (!playlist.lastChannel)
            return {};
    }
    return playlist;
}

QJsonObject playlistToJson(const RecentPlaylist &playlist) {
    QJsonObject json{{QStringLiteral("address"), playlist.address},
                     {QStringLiteral("guides"), QJsonArray::fromStringList(playlist.guides)}};
    if (playlist.lastChannel)
        json.insert(u"lastChannel", toJson(*playlist.lastChannel));
    return json;
}

qsizetype indexOf(const QList<RecentPlaylist> &playlists, const QString &address) {
    for (qsizetype i = 0; i < playlists.size(); ++i) {
        if (playlists[i].address == address)
            return i;
    }
    return -1;
}

} // namespace

RecentPlaylists::RecentPlaylists(const QString &folder)
    : remembered_(StateFile(folder, QStringLiteral("recent.json"))) {}

void RecentPlaylists::load() {
    remembered_.load();
}

const QList<RecentPlaylist> &RecentPlaylists::recent() const {
    return remembered_.document().playlists;
}

StartChoice RecentPlaylists::startChoice() const {
    if (remembered_.document().builtIn)
        return StartChoice::BuiltIn;
    return recent().isEmpty() ? StartChoice::Nothing : StartChoice::LastPlaylist;
}

bool RecentPlaylists::playlistOpened(const QString &address, const QStringList &guides) {
    return remembered_.change([=](Document &document) {
        const qsizetype at = indexOf(document.playlists, address);
        RecentPlaylist opened =
            at < 0 ? RecentPlaylist{address, {}, {}} : document.playlists.takeAt(at);
        opened.guides = guides;
        document.playlists.prepend(opened);
        if (document.playlists.size() > Most)
            document.playlists.resize(Most);
        document.builtIn = false;
    });
}

bool RecentPlaylists::channelTuned(const QString &playlist, const ChannelKey &key) {
    if (indexOf(recent(), playlist) < 0)
        return true;
    return remembered_.change([=](Document &document) {
        const qsizetype at = indexOf(document.playlists, playlist);
        if (at >= 0)
            document.playlists[at].lastChannel = key;
    });
}

bool RecentPlaylists::chooseBuiltIn() {
    return remembered_.change([](Document &document) { document.builtIn = true; });
}

bool RecentPlaylists::forget() {
    return remembered_.forget();
}

QString RecentPlaylists::path() const {
    return remembered_.file().path();
}

std::optional<RecentPlaylists::Document>
RecentPlaylists::Document::fromJson(const QJsonObject &json) {
    const QJsonValue playlists = json.value(u"playlists");
    const QJsonValue builtIn = json.value(u"builtIn");
    if (!playlists.isArray() || !builtIn.isBool())
        return {};
    Document document;
    document.builtIn = builtIn.toBool();
    for (const QJsonValue &item : playlists.toArray()) {
        std::optional<RecentPlaylist> playlist = playlistFromJson(item);
        if (!playlist)
            return {};
        // A file edited by hand keeps to the rules of those the program writes.
        if (indexOf(document.playlists, playlist->address) < 0 && document.playlists.size() < Most)
            document.playlists.append(std::move(*playlist));
    }
    return document;
}

QJsonObject RecentPlaylists::Document::toJson() const {
    QJsonArray json;
    for (const RecentPlaylist &playlist : playlists)
        json.append(playlistToJson(playlist));
    return {{QStringLiteral("builtIn"), builtIn}, {QStringLiteral("playlists"), json}};
}
