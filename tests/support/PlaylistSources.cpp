#include "support/PlaylistSources.h"

#include "playlist/Playlist.h"
#include "support/TestMedia.h"

#include <QUrl>

#include <sys/stat.h>

namespace {

// Fewer than the 10 redirects that are followed.
constexpr int Redirects = 9;

QString failure(const QString &source, const QString &why) {
    return QStringLiteral("Could not open the playlist %1: %2.").arg(source, why);
}

} // namespace

const QByteArray PlaylistSources::TwoEntries = "#EXTM3U\n"
                                               "#EXTINF:-1,One\nhttp://127.0.0.1:1/one.ts\n"
                                               "#EXTINF:-1,Two\ntwo.ts\n";

PlaylistSources::PlaylistSources() {
    using B = StreamServer::Behaviour;
    server_ = std::make_unique<StreamServer>(StreamServer::Options{.behaviour = B::NotFound});
    StreamServer &s = *server_;
    const QByteArray huge(MaxPlaylistBytes + 1, '#');
    s.route("/list.m3u", {.body = TwoEntries, .contentType = "audio/x-mpegurl"});
    s.route("/page.html", StreamServer::htmlPage());
    s.route("/garbage.m3u", StreamServer::garbage());
    s.route("/error.m3u", {.behaviour = B::ServerError});
    s.route("/hang.m3u", {.behaviour = B::Hang});
    s.route("/stops.m3u",
            // Long enough that no late tick of the pacing can send it whole before it stops.
            {.body = "#" + QByteArray(100'000, ' ') + '\n' + TwoEntries,
             .bytesPerSecond = 1000,
             .stallEveryMs = 40,
             .stallForMs = 600'000});
    s.route("/cut.m3u", {.body = TwoEntries, .cutOffAt = TwoEntries.size() / 2});
    s.route("/huge-announced.m3u", {.body = huge, .cutOffAt = 0});
    s.route("/huge-unannounced.m3u", {.body = huge, .announceLength = false});
    s.route("/loop", StreamServer::redirect("/loop"));
    for (int hop = 1; hop < Redirects; ++hop)
        s.route(QStringLiteral("/hop%1").arg(hop),
                StreamServer::redirect(QStringLiteral("/hop%1").arg(hop + 1)));
    s.route(QStringLiteral("/hop%1").arg(Redirects),
            StreamServer::redirect(s.url("/lists/tv.m3u")));
    s.route("/lists/tv.m3u", StreamServer::m3u({"#EXTINF:-1,Relative", "relative.ts"}));
    // A playlist from the network may not lead to local files, nor a redirect to one.
    s.route("/to-file",
            StreamServer::redirect(QUrl::fromLocalFile(file("good.m3u", TwoEntries)).toString()));

    QFile(file("huge.m3u")).resize(MaxPlaylistBytes + 1); // sparse: nothing is written
    ::mkfifo(QFile::encodeName(path("fifo.m3u")).constData(), 0600);
    file("garbage.m3u", makeGarbage(4096));
    file("empty.m3u");
    file("titles.m3u", "#EXTM3U\n#EXTINF:-1,Lonely title\n");
}

QString PlaylistSources::file(const QString &name, const QByteArray &bytes) const {
    QFile out(dir_.filePath(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(out.fileName()));
    return out.fileName();
}

QList<BadPlaylist> PlaylistSources::bad(const QString &stallTime) const {
    const QString tooLarge = "it is larger than 64 MiB";
    const QString stalled = "nothing came from the server for " + stallTime;
    const StreamServer &s = *server_;
    const QString none = path("none.m3u");
    const QString refused =
        QStringLiteral("http://127.0.0.1:%1/list.m3u").arg(StreamServer::refusingPort());
    const QString goodFile = QUrl::fromLocalFile(path("good.m3u")).toString();
    const struct {
        const char *name;
        QString source;
        QString why;
    } rows[] = {
        {"missing file", none, "the file does not exist"},
        {"missing file: URL", QUrl::fromLocalFile(none).toString(), "the file does not exist"},
        {"folder", dir_.path(), "it is a folder, not a file"},
        {"FIFO", path("fifo.m3u"), "it is not a regular file"},
        {"file over the limit", path("huge.m3u"), tooLarge},
        {"garbage file", path("garbage.m3u"), "it is not a playlist"},
        {"empty file", path("empty.m3u"), "it is empty"},
        {"no playable entry", path("titles.m3u"), "it names no channel"},
        {"ftp address", "ftp://127.0.0.1/list.m3u",
         "only files and http or https addresses can be opened"},
        {"address without host", "http:///list.m3u", "the address is not valid"},
        {"web page", s.url("/page.html"), "it is a web page, not a playlist"},
        {"garbage address", s.url("/garbage.m3u"), "it is not a playlist"},
        {"404", s.url("/none.m3u"), "the server answered 404 Not Found"},
        {"500", s.url("/error.m3u"), "the server answered 500 Internal Server Error"},
        {"server never answers", s.url("/hang.m3u"), stalled},
        {"server stops half way", s.url("/stops.m3u"), stalled},
        {"connection refused", refused, "the server refused the connection"},
        // Reaching the handshake shows the TLS backend loaded; the server waits for a request.
        {"https to a server without TLS", s.url("/list.m3u", "https"), stalled},
        {"redirect loop", s.url("/loop"), "the address redirects more than 10 times"},
        {"redirect to a file", s.url("/to-file"),
         "the address redirects to " + goodFile + ", which is not an http or https address"},
        {"cut off mid-transfer", s.url("/cut.m3u"),
         "the transfer broke off before the whole list came"},
        {"announced over the limit", s.url("/huge-announced.m3u"), tooLarge},
        {"sent over the limit", s.url("/huge-unannounced.m3u"), tooLarge},
    };
    QList<BadPlaylist> result;
    for (const auto &row : rows)
        result.append({row.name, row.source, failure(row.source, row.why)});
    return result;
}
