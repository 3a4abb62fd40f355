#pragma once
// The playlists that the user opened last, most recent first, each with the guides given for it
// and the channel last tuned from it; and what the program starts with next time: the last of
// those playlists, the built-in channels, or nothing when the user has chosen neither yet. Kept
// in stateFolder().

#include "state/ChannelKey.h"
#include "state/Remembered.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct RecentPlaylist {
    QString address; // as given; two addresses are one playlist when they are the same text
    QStringList guides;
    std::optional<ChannelKey> lastChannel;
};

enum class StartChoice { Nothing, BuiltIn, LastPlaylist };

class RecentPlaylists {
public:
    static constexpr qsizetype Most = 10;

    explicit RecentPlaylists(const QString &folder);

    void load();
    const QList<RecentPlaylist> &recent() const;
    // LastPlaylist: the first of recent().
    StartChoice startChoice() const;

    // Each false when the change could not be written; it is kept, and written with the next one.
    // The playlist goes first, with these guides, and is what the program starts with.
    bool playlistOpened(const QString &address, const QStringList &guides);
    // Remembered for a playlist among recent() alone.
    bool channelTuned(const QString &playlist, const ChannelKey &key);
    // The built-in channels are what the program starts with.
    bool chooseBuiltIn();
    bool forget();

    QString path() const;

private:
    struct Document {
        QList<RecentPlaylist> playlists;
        bool builtIn = false;

        static std::optional<Document> fromJson(const QJsonObject &json);
        QJsonObject toJson() const;
    };

    Remembered<Document> remembered_;
};
