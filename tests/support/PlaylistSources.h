#pragma once
// Playlist sources for the tests of opening playlists: files made in a temporary folder and
// addresses served from 127.0.0.1, among them every bad source we know of, each with the reason
// that opening it gives.

#include "support/StreamServer.h"

#include <QList>
#include <QTemporaryDir>

#include <memory>

struct BadPlaylist {
    const char *name;
    QString source;
    QString message; // the whole sentence that says why it cannot be opened
};

class PlaylistSources {
public:
    // Two entries, the second relative to the list.
    static const QByteArray TwoEntries;

    PlaylistSources();

    // A file of the temporary folder with `bytes` in it.
    QString file(const QString &name, const QByteArray &bytes = {}) const;
    QString path(const QString &name) const { return dir_.filePath(name); }
    StreamServer &server() { return *server_; }

    // Every bad source, for a loader that gives up on a transfer after `stallTime` ("15
    // seconds") without progress.
    QList<BadPlaylist> bad(const QString &stallTime) const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<StreamServer> server_;
};
