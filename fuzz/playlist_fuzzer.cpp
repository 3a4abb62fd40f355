// Feeds any bytes to the playlist parser, as a local file and as an address on the network, and
// reads back everything the result holds. Beyond crashes and leaks it checks that a playlist from
// the network never hands out a local file, nor a logo or a guide but from the web, that every
// entry is in its tuner's groups, that its title's bytes are its title and that its guide's times
// move by no more than a day.

#include "net/Addresses.h"
#include "playlist/Playlist.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void readAll(const ParsedPlaylist &parsed, bool fromNetwork) {
    if (!parsed.playlist) {
        check(!parsed.error.isEmpty());
        return;
    }
    const Playlist &playlist = *parsed.playlist;
    check(playlist.size() > 0 && playlist.leftOut() >= 0);
    qsizetype grouped = 0;
    for (const auto *groups : {&playlist.tvGroups(), &playlist.radioGroups()}) {
        const bool radio = groups == &playlist.radioGroups();
        for (const PlaylistGroup &group : *groups) {
            check(!group.name.isEmpty() && !group.entries.empty());
            for (const qint32 entry : group.entries)
                check(entry >= 0 && entry < playlist.size() && playlist.isRadio(entry) == radio);
            grouped += qsizetype(group.entries.size());
        }
    }
    check(grouped >= playlist.size());
    for (const QString &guide : playlist.guideAddresses())
        check(!guide.isEmpty() && (!fromNetwork || isWebAddress(QUrl(guide))));
    for (qsizetype entry = 0; entry < playlist.size(); ++entry) {
        const QString address = playlist.address(entry);
        check(!address.isEmpty() && !playlist.title(entry).isEmpty());
        const QUrl url(address);
        if (fromNetwork)
            check(!url.isLocalFile() && !url.isRelative());
        const QString logo = playlist.logo(entry);
        if (fromNetwork && !logo.isEmpty())
            check(isWebAddress(QUrl(logo)));
        const QByteArrayView title = playlist.titleBytes(entry);
        check(title.isEmpty() ? playlist.title(entry) == address
                              : QString::fromUtf8(title) == playlist.title(entry));
        check(playlist.number(entry) >= 1);
        check(std::abs(playlist.guideShift(entry)) <= MaxGuideShift);
        check(QString::fromUtf8(playlist.guideIdBytes(entry)) == playlist.guideId(entry) &&
              QString::fromUtf8(playlist.guideNameBytes(entry)) == playlist.guideName(entry));
        for (const QString &header : {playlist.userAgent(entry), playlist.referrer(entry)})
            check(std::none_of(header.begin(), header.end(),
                               [](QChar c) { return c.unicode() < 0x20; }));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    readAll(parsePlaylist(bytes, QUrl(QStringLiteral("file:///srv/lists/channels.m3u"))), false);
    readAll(parsePlaylist(bytes, QUrl(QStringLiteral("http://lists.example/iptv/index.m3u"))),
            true);
    return 0;
}
