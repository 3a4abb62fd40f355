#pragma once
// Playlists of a given shape for tests: the entries written out as an extended M3U playlist and
// read back as the program reads one from the network.

#include "playlist/Playlist.h"

#include <QList>
#include <QString>

#include <memory>

struct M3uEntry {
    QString title; // empty: the entry is titled by its address
    QString address;
    bool radio = false;
    QString group = {}; // empty: none, so "Other channels"
};

// Where the playlists come from: a relative address is resolved against it.
inline const QUrl M3uLocation{QStringLiteral("https://lists.example/tv/all.m3u")};

inline QByteArray m3uText(const QList<M3uEntry> &entries) {
    QString text = QStringLiteral("#EXTM3U\n");
    for (const M3uEntry &entry : entries) {
        text += QStringLiteral("#EXTINF:-1");
        if (entry.radio)
            text += QStringLiteral(" radio=\"true\"");
        if (!entry.group.isEmpty())
            text += QStringLiteral(" group-title=\"%1\"").arg(entry.group);
        text += u',' + entry.title + u'\n' + entry.address + u'\n';
    }
    return text.toUtf8();
}

// The playlist of the entries; null, with a warning that says why, when it cannot be read.
inline std::shared_ptr<const Playlist> playlistOf(const QList<M3uEntry> &entries) {
    ParsedPlaylist parsed = parsePlaylist(m3uText(entries), M3uLocation);
    if (!parsed.playlist)
        qWarning("the playlist cannot be read: %s", qPrintable(parsed.error));
    return parsed.playlist ? std::make_shared<const Playlist>(std::move(*parsed.playlist))
                           : nullptr;
}
