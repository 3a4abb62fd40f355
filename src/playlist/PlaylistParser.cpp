// Reads extended M3U, plain address lists and PLS straight from their UTF-8 bytes: lines are
// found with memchr and every text is a view into the bytes until it is kept, so that a list of
// hundreds of thousands of entries is read in a fraction of a second.

#include "playlist/Playlist.h"

#include "net/Addresses.h"
#include "net/ControlCharacters.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";
constexpr QByteArrayView OtherChannels = "Other channels";

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

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

// NUL bytes, or control characters in more than one byte of 16, mark bytes that are no text.
bool isBinary(QByteArrayView bytes) {
    if (std::memchr(bytes.data(), 0, size_t(bytes.size())))
        return true;
    const auto controls = std::count_if(bytes.begin(), bytes.end(), [](char c) {
        return isAsciiControl(c) && c != '\t' && c != '\n' && c != '\r';
    });
    return controls * 16 > bytes.size();
}

// What tvg-chno gives: a whole number from 1 to MaxChannelNumber, else 0.
quint32 channelNumber(QByteArrayView text) {
    text = text.trimmed();
    if (text.isEmpty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    while (text.size() > 1 && text.front() == '0')
        text = text.sliced(1);
    const quint32 number = text.size() <= 5 ? text.toUInt() : 0;
    return number <= quint32(MaxChannelNumber) ? number : 0;
}

// Leading byte-order marks, which decoding would drop and which a search would trip over.
QByteArrayView withoutByteOrderMarks(QByteArrayView text) {
    while (text.startsWith(ByteOrderMark))
        text = text.sliced(ByteOrderMark.size());
    return text;
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
        if (!hasControlCharacter(value))
            values[size_t(header)] = value;
    }
};

// What an #EXTINF line says about its entry.
struct Info {
    QByteArrayView title;
    QByteArrayView groupTitle;
    QByteArrayView logo;
    Headers headers;
    quint32 number = 0;
    bool radio = false;
};

// What the lines before an address say about its entry.
struct Pending {
    Info info;
    QByteArrayView extgrp;
    Headers options; // #EXTVLCOPT lines
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
        : m_origin(location), m_webBase(isWebAddress(m_origin.base())) {
        if (m_origin.isLocalFile())
            m_list.m_folder = QFileInfo(location.toLocalFile()).path();
        m_list.m_base = m_origin.base();
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
        m_list.m_headerText.squeeze();
        return {std::move(m_list), {}};
    }

private:
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
        pending.info = {};
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
                pending.info.title = info.sliced(i + 1).trimmed();
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
            readAttribute(name, value, pending.info);
        }
    }

    static void readAttribute(QByteArrayView name, QByteArrayView value, Info &info) {
        if (equalsNoCase(name, "group-title"))
            info.groupTitle = value;
        else if (equalsNoCase(name, "radio"))
            info.radio = equalsNoCase(value.trimmed(), "true");
        else if (equalsNoCase(name, "tvg-logo"))
            info.logo = value.trimmed();
        else if (equalsNoCase(name, "tvg-chno"))
            info.number = channelNumber(value);
        for (const HeaderName &header : InfoHeaders)
            if (equalsNoCase(name, header.name))
                info.headers.set(header.header, value);
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
                pending.info.title = t->value;
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
        const Reach reach = m_origin.reach(address);
        if (reach == Reach::Broken)
            return true;
        if (++m_addresses > MaxPlaylistEntries)
            return false;
        if (reach == Reach::LeftOut) {
            ++m_list.m_leftOut;
            return true;
        }

        const Info &info = pending.info;
        const auto header = [&](Header which) {
            const size_t h = size_t(which);
            for (const Headers *from : {&std::as_const(suffix), &pending.options, &info.headers})
                if (!from->values[h].isEmpty())
                    return intern(from->values[h]);
            return quint32(0);
        };
        const quint32 userAgent = header(Header::UserAgent);
        const quint32 referrer = header(Header::Referrer);
        const QByteArrayView title = withoutByteOrderMarks(info.title);
        const Reach logoReach = reachOfLogo(info.logo);
        const qint32 index = qint32(m_list.m_entries.size());
        m_list.m_entries.push_back({quint32(m_list.m_text.size()), quint32(address.size()),
                                    quint32(title.size()), userAgent, referrer, info.number,
                                    info.radio, reach == Reach::Relative,
                                    logoReach == Reach::Relative});
        m_list.m_text.append(address).append(title);
        if (logoReach != Reach::Broken)
            m_list.m_text.append(info.logo);
        Groups &tuner = info.radio ? m_radio : m_tv;
        if (!tuner.add(info.groupTitle, index) && !tuner.add(pending.extgrp, index))
            tuner.other.push_back(index);
        return true;
    }

    // A logo is a picture to show: fetched over http(s), or, for a playlist read from a file,
    // read from a file too. Anything else is Broken.
    Reach reachOfLogo(QByteArrayView logo) const {
        const Reach reach = m_origin.reach(logo);
        if (reach == Reach::Relative)
            return m_origin.isLocalFile() || m_webBase ? reach : Reach::Broken;
        const QByteArrayView scheme = schemeOf(logo);
        const bool file =
            m_origin.isLocalFile() && (scheme.isEmpty() || equalsNoCase(scheme, "file"));
        return reach == Reach::AsWritten && (file || isWebScheme(scheme)) ? reach : Reach::Broken;
    }

    quint32 intern(QByteArrayView value) {
        const auto found =
            m_headerIndex.constFind(QByteArray::fromRawData(value.data(), value.size()));
        if (found != m_headerIndex.constEnd())
            return *found;
        const quint32 index = quint32(m_list.m_headers.size());
        m_list.m_headers.push_back({quint32(m_list.m_headerText.size()), quint32(value.size())});
        m_list.m_headerText.append(value);
        m_headerIndex.insert(value.toByteArray(), index);
        return index;
    }

    const ListOrigin m_origin;
    const bool m_webBase; // relative logos resolve to http(s) addresses
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
