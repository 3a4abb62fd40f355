#pragma once
// A channel list read from an IPTV playlist (extended M3U, plain address lists, PLS). Lists of
// hundreds of thousands of entries are common, so the entries' texts are kept together in one
// UTF-8 block and turned into QStrings only when asked for.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

struct PlaylistGroup {
    QString name;                // the group's title; "Other channels" for entries with none
    std::vector<qint32> entries; // indices of its entries, in playlist order
};

// Channel numbers that a playlist may give its entries (tvg-chno).
constexpr qint32 MaxChannelNumber = 99'999;
// How far a playlist may move its guide's times (tvg-shift), either way: a day, in minutes.
constexpr qint32 MaxGuideShift = 24 * 60;

class Playlist {
public:
    // Entries in playlist order.
    qsizetype size() const;
    // The entry's title, or its address when the playlist gives none.
    QString title(qsizetype entry) const;
    // The title as the playlist gives it, UTF-8; empty when the entry is titled by its address.
    // For scanning many titles without making a QString of each.
    QByteArrayView titleBytes(qsizetype entry) const;
    // The address to play, resolved against the playlist's own location; never with the
    // "|User-Agent=..." suffix that some playlists append.
    QString address(qsizetype entry) const;
    // HTTP headers for the entry's requests; empty when the playlist gives none.
    QString userAgent(qsizetype entry) const;
    QString referrer(qsizetype entry) const;
    bool isRadio(qsizetype entry) const;
    // The address of the entry's logo (tvg-logo), resolved like its address: http or https, or
    // from a local playlist also a local file; empty when it gives none, or one of anything else.
    QString logo(qsizetype entry) const;
    // The channel number shown for the entry: the one that the playlist gives it (tvg-chno), from
    // 1 to MaxChannelNumber, else its position from 1.
    qint32 number(qsizetype entry) const;

    // Genres of the TV tuner (entries not marked radio) and of the radio tuner (entries marked
    // radio="true"): groups in order of first appearance, the entries with no group last as
    // "Other channels". A group with no entry for a tuner is not among that tuner's groups.
    const std::vector<PlaylistGroup> &tvGroups() const;
    const std::vector<PlaylistGroup> &radioGroups() const;

    // Entries left out because a playlist from the network named a local file or device.
    int leftOut() const;

    // Where the playlist's programme guides are (x-tvg-url, url-tvg and tvg-url of its #EXTM3U
    // lines, each a comma-separated list), in order, each once, resolved as its logos are.
    const QStringList &guideAddresses() const;
    // The entry's channel in a guide (tvg-id, tvg-name), empty when the playlist gives none; the
    // UTF-8 bytes for matching many entries without making a QString of each.
    QString guideId(qsizetype entry) const;
    QByteArrayView guideIdBytes(qsizetype entry) const;
    QString guideName(qsizetype entry) const;
    QByteArrayView guideNameBytes(qsizetype entry) const;
    // How many minutes its guide's times move (tvg-shift, in hours): its own, else the
    // playlist's, else none; within MaxGuideShift.
    qint32 guideShift(qsizetype entry) const;

    // Implementation-defined storage below (the parser fills it).
private:
    friend class PlaylistParser;

    // A text in m_text.
    struct Span {
        quint32 offset = 0;
        quint32 size = 0;
    };
    // 24 bytes: the logo's size is where the next entry's texts start, the two headers are one
    // pair, the guide's id and name are short, the number and the shift fit beside the flags. A
    // guide name that is the title again, as most are, is kept once.
    struct Entry {
        // The address as written, the title, the guide's id and name, then the logo as written,
        // in m_text up to the next entry's text.
        quint32 text;
        quint32 addressSize;
        quint32 titleSize;     // 0 when the entry is titled by its address
        quint32 headers;       // index in m_headerPairs; 0 is none
        quint16 guideIdSize;   // 0 when the playlist gives none
        quint16 guideNameSize; // likewise; NameIsTitle when it is the title
        quint32 number : 17;   // as the playlist gives it; 0 when it gives none
        quint32 radio : 1;
        // Resolved against the playlist's location when asked for.
        quint32 relative : 1;
        quint32 logoRelative : 1;
        qint32 guideShift : 12; // minutes; NoGuideShift when the entry gives none
    };
    static constexpr qint32 NoGuideShift = -(1 << 11);
    static constexpr quint16 NameIsTitle = 0xffff;
    static_assert(sizeof(Entry) == 24);
    static_assert(MaxChannelNumber < 1 << 17 && MaxGuideShift < -NoGuideShift);
    // The user agent's and the referrer's indices in m_headers.
    struct HeaderPair {
        quint32 userAgent = 0;
        quint32 referrer = 0;
    };

    // The bytes of m_text that the entry's guide name takes.
    static quint32 guideNameBytesKept(const Entry &e);
    Span logoSpan(qsizetype entry) const;
    QString resolved(const QString &written, bool relative) const;

    QByteArray m_text; // the entries' texts, UTF-8, in entry order
    std::vector<Entry> m_entries;
    QByteArray m_headerText;             // the header values, UTF-8
    std::vector<Span> m_headers{Span{}}; // distinct header values, the empty one first
    std::vector<HeaderPair> m_headerPairs{HeaderPair{}}; // distinct pairs, none first
    std::vector<PlaylistGroup> m_tvGroups;
    std::vector<PlaylistGroup> m_radioGroups;
    QUrl m_base;      // a network playlist's address, for its relative entries
    QString m_folder; // a local playlist's folder, for its relative entries
    int m_leftOut = 0;
    QStringList m_guides;
    qint32 m_guideShift = 0; // the #EXTM3U line's
};

// Limits past which a playlist is refused as a whole.
constexpr qsizetype MaxPlaylistBytes = 64 * 1024 * 1024;
constexpr qsizetype MaxPlaylistEntries = 500'000;

struct ParsedPlaylist {
    std::optional<Playlist> playlist; // empty when the bytes are no usable playlist
    QString error;                    // then: why, as the end of a sentence ("it is empty")
};

// Reads a playlist from its bytes. `location` is where the bytes came from: an http(s) address,
// or a file: URL of the playlist file. Relative addresses are resolved against it; when it is
// not a local file, entries naming local files or devices are left out.
ParsedPlaylist parsePlaylist(QByteArrayView bytes, const QUrl &location);
