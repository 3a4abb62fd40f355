// Reads extended M3U, plain address lists and PLS straight from their UTF-8 bytes: lines are
// found with memchr and every text is a view into the bytes until it is kept, so that a list of
// hundreds of thousands of entries is read in a fraction of a second.

#include "playlist/Playlist.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";
constexpr QByteArrayView OtherChannels = "Other channels";

// Schemes that only ever reach the network. Any other scheme in a playlist from the network
// could open a local file or device (file:, dvd://, v4l2://, fd://, edl://, ...).
constexpr std::array<QByteArrayView, 19> NetworkSchemes = {
    "http", "https", "rtsp", "rtsps", "rtmp", "rtmpe", "rtmps", "rtmpt", "rtmpte", "rtmpts",
    "rtp",  "srtp",  "udp",  "mms",   "mmsh", "mmst",  "srt",   "rist",  "ftp"};

enum class Header { UserAgent, Referrer };
struct HeaderName {
    QByteArrayView name;
    Header header;
};
// The spellings playlists use for an entry's HTTP headers: as #EXTINF attributes, as VLC's
// options, and in the "address|User-Agent=...&Referer=..." suffix (HTTP's own spelling).
constexpr HeaderName InfoHeaders[] = {{"http-user-agent", Header::UserAgent},
                                      {"user-agent", Header::UserAgent},
                                      {"http-referrer", Header::Referrer},
                                      {"referrer", Header::Referrer}};
constexpr HeaderName OptionHeaders[] = {{"http-user-agent", Header::UserAgent},
                                        {"http-referrer", Header::Referrer}};
constexpr HeaderName SuffixHeaders[] = {{"user-agent", Header::UserAgent},
                                        {"referer", Header::Referrer}};

bool equalsNoCase(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.first(prefix.size()), prefix);
}

bool isControl(char c) {
    return uchar(c) < 0x20 || uchar(c) == 0x7f;
}

bool hasControl(QByteArrayView text) {
    return std::any_of(text.begin(), text.end(), isControl);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// NUL bytes, or control characters in more than one byte of 16, mark bytes that are no text.
bool isBinary(QByteArrayView bytes) {
    if (std::memchr(bytes.data(), 0, size_t(bytes.size())))
        return true;
    const auto controls = std::count_if(bytes.begin(), bytes.end(), [](char c) {
        return isControl(c) && c != '\t' && c != '\n' && c != '\r';
    });
    return controls * 16 > bytes.size();
}

// The scheme of an absolute address; empty for a relative one and for a drive letter ("C:\x").
QByteArrayView schemeOf(QByteArrayView address) {
    qsizetype i = 0;
    while (i < address.size() &&
           (isAsciiLetter(address[i]) ||
            (i > 0 && ((address[i] >= '0' && address[i] <= '9') || address[i] == '+' ||
                       address[i] == '-' || address[i] == '.'))))
        ++i;
    if (i < 2 || i == address.size() || address[i] != ':')
        return {};
    return address.first(i);
}

bool isNetworkScheme(QByteArrayView scheme) {
    return std::any_of(NetworkSchemes.begin(), NetworkSchemes.end(),
                       [scheme](QByteArrayView s) { return equalsNoCase(s, scheme); });
}

// "/x", "~/x", "\\server\x", "C:\x": a file on this machine whatever the playlist's location.
bool isLocalPath(QByteArrayView address) {
    return address.startsWith('/') || address.startsWith('~') || address.startsWith('\\') ||
           (address.size() >= 2 && isAsciiLetter(address[0]) && address[1] == ':');
}

QByteArrayView unquoted(QByteArrayView value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// Lines ending in LF, CRLF or CR alone. The next LF is remembered, so that a file with CR alone
// is not searched to its end for each of its lines.
class Lines {
public:
    explicit Lines(QByteArrayView text) : m_text(text) {}
    bool next(QByteArrayView &line) {
        if (m_at >= m_text.size())
            return false;
        const char *data = m_text.data();
        if (m_lf < m_at) {
            const void *lf = std::memchr(data + m_at, '\n', size_t(m_text.size() - m_at));
            m_lf = lf ? static_cast<const char *>(lf) - data : m_text.size();
        }
        const void *cr = std::memchr(data + m_at, '\r', size_t(m_lf - m_at));
        const qsizetype end = cr ? static_cast<const char *>(cr) - data : m_lf;
        line = m_text.sliced(m_at, end - m_at);
        m_at = end + 1;
        if (cr && m_at == m_lf)
            ++m_at;
        return true;
    }

private:
    QByteArrayView m_text;
    qsizetype m_at = 0;
    qsizetype m_lf = -1;
};

struct Headers {
    std::array<QByteArrayView, 2> values; // by Header
    // A value that could break a request's header lines is no value.
    void set(Header header, QByteArrayView value) {
        value = value.trimmed();
        if (!hasControl(value))
            values[size_t(header)] = value;
    }
};

// What the lines before an address say about its entry.
struct Pending {
    QByteArrayView title;
    QByteArrayView groupTitle;
    QByteArrayView extgrp;
    Headers info;    // #EXTINF attributes
    Headers options; // #EXTVLCOPT lines
    bool radio = false;
};

// A tuner's groups while the list is read.
struct Groups {
    std::vector<PlaylistGroup> groups;
    QHash<QByteArray, qint32> byName;
    std::vector<qint32> other; // entries with no group

    // Adds the entry to each group of a ';'-separated list; false when the list names none.
    bool add(QByteArrayView names, qint32 entry) {
        bool any = false;
        for (qsizetype from = 0; from <= names.size();) {
            qsizetype end = names.indexOf(';', from);
            if (end < 0)
                end = names.size();
            const QByteArrayView name = names.sliced(from, end - from).trimmed();
            from = end + 1;
            if (name.isEmpty())
                continue;
            any = true;
            std::vector<qint32> &entries = name == OtherChannels ? other : named(name).entries;
            if (entries.empty() || entries.back() != entry)
                entries.push_back(entry);
        }
        return any;
    }

    PlaylistGroup &named(QByteArrayView name) {
        const auto found = byName.constFind(QByteArray::fromRawData(name.data(), name.size()));
        if (found != byName.constEnd())
            return groups[size_t(*found)];
        byName.insert(name.toByteArray(), qint32(groups.size()));
        return groups.emplace_back(PlaylistGroup{QString::fromUtf8(name), {}});
    }

    std::vector<PlaylistGroup> take() {
        if (!other.empty())
            groups.push_back({QString::fromLatin1(OtherChannels), std::move(other)});
        for (PlaylistGroup &group : groups)
            group.entries.shrink_to_fit();
        return std::move(groups);
    }
};

// The headers of the "address|User-Agent=...&Referer=..." suffix, percent-decoded; a later field
// replaces an earlier one.
std::array<QByteArray, 2> suffixHeaders(QByteArrayView suffix) {
    std::array<QByteArrayView, 2> encoded;
    for (qsizetype from = 0; from <= suffix.size();) {
        qsizetype end = suffix.indexOf('&', from);
        if (end < 0)
            end = suffix.size();
        const QByteArrayView field = suffix.sliced(from, end - from);
        from = end + 1;
        const qsizetype equals = field.indexOf('=');
        for (const HeaderName &header : SuffixHeaders)
            if (equals >= 0 && equalsNoCase(field.first(equals).trimmed(), header.name))
                encoded[size_t(header.header)] = field.sliced(equals + 1);
    }
    std::array<QByteArray, 2> decoded;
    for (size_t header = 0; header < encoded.size(); ++header)
        if (!encoded[header].isEmpty())
            decoded[header] = QByteArray::fromPercentEncoding(encoded[header].toByteArray());
    return decoded;
}

ParsedPlaylist failure(const char *why) {
    return {std::nullopt, QString::fromLatin1(why)};
}

} // namespace

class PlaylistParser {
public:
    explicit PlaylistParser(const QUrl &location)
        : m_local(location.isLocalFile()),
          m_networkBase(!m_local && isNetworkScheme(location.scheme().toLatin1())) {
        if (m_local)
            m_list.m_folder = QFileInfo(location.toLocalFile()).path();
        else if (m_networkBase)
            m_list.m_base = location;
    }

    ParsedPlaylist parse(QByteArrayView bytes) {
        if (bytes.size() > MaxPlaylistBytes)
            return failure("it is larger than 64 MiB");
        if (bytes.startsWith(ByteOrderMark))
            bytes = bytes.sliced(ByteOrderMark.size());
        const QByteArrayView text = bytes.trimmed();
        if (text.isEmpty())
            return failure("it is empty");
        if (startsWithNoCase(text, "<!doctype html") || startsWithNoCase(text, "<html"))
            return failure("it is a web page, not a playlist");
        if (isBinary(text))
            return failure("it is not a playlist");
        QByteArray fromLatin1;
        if (!bytes.isValidUtf8()) {
            fromLatin1 = QString::fromLatin1(bytes).toUtf8();
            bytes = fromLatin1;
        }

        QByteArrayView first;
        Lines(bytes.trimmed()).next(first);
        if (!(equalsNoCase(first.trimmed(), "[playlist]") ? readPls(bytes) : readM3u(bytes)))
            return failure("it has more than 500,000 entries");
        if (m_list.m_entries.empty()) {
            if (m_list.m_leftOut > 0)
                return failure("it names only local files, which a playlist from the network "
                               "may not open");
            return failure(m_named ? "it names no channel" : "it is empty");
        }
        m_list.m_tvGroups = m_tv.take();
        m_list.m_radioGroups = m_radio.take();
        m_list.m_entries.shrink_to_fit();
        m_list.m_text.squeeze();
        return {std::move(m_list), {}};
    }

private:
    enum class Reach { AsWritten, Relative, LeftOut, Broken };

    // Each reader returns false past the limit of entries.
    bool readM3u(QByteArrayView text) {
        Pending pending;
        Lines lines(text);
        QByteArrayView line;
        while (lines.next(line)) {
            line = line.trimmed();
            if (line.isEmpty())
                continue;
            if (line.front() != '#') {
                if (!addEntry(line, pending))
                    return false;
                pending = {};
            } else if (startsWithNoCase(line, "#EXTINF:")) {
                readInfo(line.sliced(8), pending);
            } else if (startsWithNoCase(line, "#EXTGRP:")) {
                pending.extgrp = line.sliced(8);
            } else if (startsWithNoCase(line, "#EXTVLCOPT:")) {
                const QByteArrayView option = line.sliced(11);
                const qsizetype equals = option.indexOf('=');
                const QByteArrayView name = option.first(std::max<qsizetype>(equals, 0)).trimmed();
                for (const HeaderName &header : OptionHeaders)
                    if (equals > 0 && equalsNoCase(name, header.name))
                        pending.options.set(header.header,
                                            unquoted(option.sliced(equals + 1).trimmed()));
            }
        }
        return true;
    }

    // "<duration> <attributes>,<title>"; a later #EXTINF before the address replaces it.
    void readInfo(QByteArrayView info, Pending &pending) {
        m_named = true;
        pending.title = pending.groupTitle = {};
        pending.info = {};
        pending.radio = false;
        const qsizetype n = info.size();
        qsizetype i = 0;
        while (i < n && isSpace(info[i]))
            ++i;
        if (i < n && (info[i] == '-' || info[i] == '+'))
            ++i;
        while (i < n && ((info[i] >= '0' && info[i] <= '9') || info[i] == '.'))
            ++i;
        for (;;) {
            while (i < n && isSpace(info[i]))
                ++i;
            if (i == n)
                return;
            if (info[i] == ',') {
                pending.title = info.sliced(i + 1).trimmed();
                return;
            }
            const qsizetype nameStart = i;
            while (i < n && info[i] != '=' && info[i] != ',' && !isSpace(info[i]))
                ++i;
            const QByteArrayView name = info.sliced(nameStart, i - nameStart);
            if (i == n || info[i] != '=')
                continue;
            QByteArrayView value;
            if (++i < n && (info[i] == '"' || info[i] == '\'')) {
                const qsizetype close = info.indexOf(info[i], i + 1);
                const qsizetype end = close < 0 ? n : close;
                value = info.sliced(i + 1, end - i - 1);
                i = close < 0 ? n : close + 1;
            } else {
                const qsizetype start = i;
                while (i < n && info[i] != ',' && !isSpace(info[i]))
                    ++i;
                value = info.sliced(start, i - start);
            }
            readAttribute(name, value, pending);
        }
    }

    static void readAttribute(QByteArrayView name, QByteArrayView value, Pending &pending) {
        if (equalsNoCase(name, "group-title"))
            pending.groupTitle = value;
        else if (equalsNoCase(name, "radio"))
            pending.radio = equalsNoCase(value.trimmed(), "true");
        for (const HeaderName &header : InfoHeaders)
            if (equalsNoCase(name, header.name))
                pending.info.set(header.header, value);
    }

    // PLS: "FileN=", "TitleN=", entries in the order of N, a later line for the same N winning.
    bool readPls(QByteArrayView text) {
        struct Numbered {
            quint32 number;
            QByteArrayView value;
        };
        std::vector<Numbered> files, titles;
        Lines lines(text);
        QByteArrayView line;
        while (lines.next(line)) {
            const qsizetype equals = line.indexOf('=');
            const QByteArrayView key = line.first(std::max<qsizetype>(equals, 0)).trimmed();
            const bool file = startsWithNoCase(key, "file");
            if (equals < 0 || (!file && !startsWithNoCase(key, "title")))
                continue;
            const QByteArrayView digits = key.sliced(file ? 4 : 5);
            bool isNumber = false;
            const quint32 number = digits.size() <= 9 ? digits.toUInt(&isNumber) : 0;
            if (!isNumber || !std::all_of(digits.begin(), digits.end(),
                                          [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            m_named = true;
            (file ? files : titles).push_back({number, line.sliced(equals + 1).trimmed()});
            if (qsizetype(std::max(files.size(), titles.size())) > MaxPlaylistEntries)
                return false;
        }
        const auto byNumber = [](const Numbered &a, const Numbered &b) {
            return a.number < b.number;
        };
        std::stable_sort(files.begin(), files.end(), byNumber);
        std::stable_sort(titles.begin(), titles.end(), byNumber);
        auto title = titles.cbegin();
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            if (std::next(file) != files.cend() && std::next(file)->number == file->number)
                continue;
            Pending pending;
            while (title != titles.cend() && title->number < file->number)
                ++title;
            for (auto t = title; t != titles.cend() && t->number == file->number; ++t)
                pending.title = t->value;
            if (!addEntry(file->value, pending))
                return false;
        }
        return true;
    }

    bool addEntry(QByteArrayView line, const Pending &pending) {
        m_named = true;
        QByteArrayView address = line;
        std::array<QByteArray, 2> decoded;
        if (const qsizetype bar = line.indexOf('|'); bar >= 0) {
            address = line.first(bar).trimmed();
            decoded = suffixHeaders(line.sliced(bar + 1));
        }
        Headers suffix;
        suffix.set(Header::UserAgent, decoded[size_t(Header::UserAgent)]);
        suffix.set(Header::Referrer, decoded[size_t(Header::Referrer)]);
        if (address.isEmpty() || hasControl(address))
            return true;
        if (++m_addresses > MaxPlaylistEntries)
            return false;
        const Reach reach = reachOf(address);
        if (reach == Reach::LeftOut)
            ++m_list.m_leftOut;
        if (reach == Reach::LeftOut || reach == Reach::Broken)
            return true;

        const auto header = [&](Header which) {
            const size_t h = size_t(which);
            for (const Headers *from : {&std::as_const(suffix), &pending.options, &pending.info})
                if (!from->values[h].isEmpty())
                    return intern(from->values[h]);
            return quint32(0);
        };
        const quint32 userAgent = header(Header::UserAgent);
        const quint32 referrer = header(Header::Referrer);
        const qint32 index = qint32(m_list.m_entries.size());
        m_list.m_entries.push_back({quint32(m_list.m_text.size()), quint32(address.size()),
                                    quint32(pending.title.size()), userAgent, referrer,
                                    pending.radio, reach == Reach::Relative});
        m_list.m_text.append(address).append(pending.title);
        Groups &tuner = pending.radio ? m_radio : m_tv;
        if (!tuner.add(pending.groupTitle, index) && !tuner.add(pending.extgrp, index))
            tuner.other.push_back(index);
        return true;
    }

    // A playlist from the network may not name anything on this machine; a relative address
    // resolves against the playlist's own address and so stays on the network.
    Reach reachOf(QByteArrayView address) const {
        const QByteArrayView scheme = schemeOf(address);
        if (m_local)
            return scheme.isEmpty() && !isLocalPath(address) ? Reach::Relative : Reach::AsWritten;
        if (!scheme.isEmpty())
            return isNetworkScheme(scheme) ? Reach::AsWritten : Reach::LeftOut;
        if (!m_networkBase || (isLocalPath(address) && !address.startsWith("//")))
            return Reach::LeftOut;
        // Resolved here once to be sure that Qt reads it as relative too, whatever characters it
        // holds (it reads "\uFEFFfile:///x" as a file), and that it names a host.
        const QUrl relative(QString::fromUtf8(address));
        if (!relative.isRelative())
            return isNetworkScheme(relative.scheme().toLatin1()) ? Reach::Broken : Reach::LeftOut;
        const QUrl resolved = m_list.m_base.resolved(relative);
        if (!resolved.isValid() || resolved.host().isEmpty())
            return Reach::Broken;
        return Reach::Relative;
    }

    quint32 intern(QByteArrayView value) {
        const auto found =
            m_headerIndex.constFind(QByteArray::fromRawData(value.data(), value.size()));
        if (found != m_headerIndex.constEnd())
            return *found;
        const quint32 index = quint32(m_list.m_headers.size());
        m_list.m_headers.push_back({quint32(m_list.m_text.size()), quint32(value.size())});
        m_list.m_text.append(value);
        m_headerIndex.insert(value.toByteArray(), index);
        return index;
    }

    const bool m_local;
    const bool m_networkBase;
    Playlist m_list;
    bool m_named = false; // an entry, or the start of one, was seen
    qsizetype m_addresses = 0;
    QHash<QByteArray, quint32> m_headerIndex;
    Groups m_tv;
    Groups m_radio;
};

ParsedPlaylist parsePlaylist(QByteArrayView bytes, const QUrl &location) {
    return PlaylistParser(location).parse(bytes);
}
