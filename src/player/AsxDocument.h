#pragma once
// Windows Media's XML playlists (ASX, and the same under .wax, .wvx and .wmx), as servers write
// them: tags and attributes in any case, stray "&" and "<" in the text, any encoding its XML
// declaration names. Read leniently, without an XML parser, which would give up on most of them.

#include <QByteArrayView>
#include <QUrl>

#include <vector>

// What the first bytes of a download say it is.
enum class AsxSniff {
    Asx,       // an XML ASX document
    NotAsx,    // anything else: a stream, another kind of playlist, a web page
    Undecided, // more bytes are needed to tell
};

AsxSniff sniffAsx(QByteArrayView start);

struct AsxItem {
    QUrl address;
    bool nested = false; // an <entryref>: a further ASX document, read in its place

    bool operator==(const AsxItem &) const = default;
};

// The addresses the document names, in its order: the <ref>s of each <entry> and the <entryref>s,
// relative ones resolved against `location`, the document's own address. References that a list
// from there may not name are left out: from the network, local files, devices and anything but
// a network protocol (net/Addresses.h).
std::vector<AsxItem> readAsx(QByteArrayView bytes, const QUrl &location);
