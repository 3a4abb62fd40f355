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
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

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
// The spellings of the #EXTM3U attribute that names the playlist's guides.
constexpr QByteArrayView GuideAttributes[] = {"x-tvg-url", "url-tvg", "tvg-url"};
// The longest guide id or name kept, which is what an entry's size field holds less the mark of
// a name that is the title.
constexpr qsizetype MaxGuideText = std::numeric_limits<quint16>::max() - 1;

bool equalsNoCase(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.first(prefix.size()), prefix);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
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
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), isDigit))
        return 0;
    while (text.size() > 1 && text.front() == '0')
        text = text.sliced(1);
    const quint32 number = text.size() <= 5 ? text.toUInt() : 0;
    return number <= quint32(MaxChannelNumber) ? number : 0;
}

// What tvg-shift gives: hours, perhaps negative or fractional ("-1.5"), as whole minutes within
// MaxGuideShift; none for anything else.
std::optional<qint32> guideShift(QByteArrayView text) {
    text = text.trimmed();
    const bool negative = text.startsWith('-');
    const QByteArrayView number = negative || text.startsWith('+') ? text.sliced(1) : text;
    const qsizetype point = number.indexOf('.');
    const QByteArrayView whole = point < 0 ? number : number.first(point);
    const QByteArrayView fraction = point < 0 ? QByteArrayView() : number.sliced(point + 1);
    if (whole.size() + fraction.size() == 0 || !std::all_of(whole.begin(), whole.end(), isDigit) ||
        !std::all_of(fraction.begin(), fraction.end(), isDigit))
        return std::nullopt;
    const double minutes = std::min(number.toDouble() * 60, double(MaxGuideShift));
    return qint32(std::lround(negative ? -minutes : minutes));
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

// Reads the `name=value` attributes of `text` from `i` on, handing each to `take`, up to the end
// or, with `titled`, to a comma outside quotes; returns where it stopped.
template <typename Take>
qsizetype readAttributes(QByteArrayView text, qsizetype i, bool titled, Take take) {
    const qsizetype n = text.size();
    const auto ends = [titled](char c) { return isSpace(c) || (titled && c == ','); };
    for (;;) {
        while (i < n && isSpace(text[i]))
            ++i;
        if (i == n || (titled && text[i] == ','))
            return i;
        const qsizetype nameStart = i;
        while (i < n && text[i] != '=' && !ends(text[i]))
            ++i;
        const QByteArrayView name = text.sliced(nameStart, i - nameStart);
        if (i == n || text[i] != '=')
            continue;
        QByteArrayView value;
        if (++i < n && (text[i] == '"' || text[i] == '\'')) {
            const qsizetype close = text.indexOf(text[i], i + 1);
            const qsizetype end = close < 0 ? n : close;
            value = text.sliced(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && !ends(text[i]))
                ++i;
            value = text.sliced(start, i - start);
        }
        take(name, value);
    }
}

// What an #EXTINF line says about its entry.
struct Info {
    QByteArrayView title;
    QByteArrayView groupTitle;
    QByteArrayView logo;
    QByteArrayView guideId;
    QByteArrayView guideName;
    std::optional<qint32> guideShift;
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
            } else if (startsWithNoCase(line, "#EXTM3U") &&
                       (line.size() == 7 || isSpace(line[7]))) {
                readHeader(line.sliced(7));
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
        while (i < n && (isDigit(info[i]) || info[i] == '.'))
            ++i;
        i = readAttributes(info, i, true, [&pending](QByteArrayView name, QByteArrayView value) {
            readAttribute(name, value, pending.info);
        });
        if (i < n)
            pending.info.title = info.sliced(i + 1).trimmed();
    }

    // "#EXTM3U <attributes>": the playlist's guides, and by how much their times move.
    void readHeader(QByteArrayView attributes) {
        readAttributes(attributes, 0, false, [this](QByteArrayView name, QByteArrayView value) {
            if (std::any_of(std::begin(GuideAttributes), std::end(GuideAttributes),
                            [name](QByteArrayView guide) { return equalsNoCase(name, guide); }))
                addGuides(value);
            else if (equalsNoCase(name, "tvg-shift"))
                m_list.m_guideShift = guideShift(value).value_or(m_list.m_guideShift);
        });
    }

    // A comma-separated list of guides' addresses.
    void addGuides(QByteArrayView list) {
        for (qsizetype from = 0; from <= list.size();) {
            qsizetype end = list.indexOf(',', from);
            if (end < 0)
                end = list.size();
            const QByteArrayView address = list.sliced(from, end - from).trimmed();
            from = end + 1;
            const Reach reach = fetchedReach(address);
            if (reach == Reach::Broken)
                continue;
            const QString guide =
                m_list.resolved(QString::fromUtf8(address), reach == Reach::Relative);
            if (!m_list.m_guides.contains(guide))
                m_list.m_guides.append(guide);
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
        else if (equalsNoCase(name, "tvg-id"))
            info.guideId = value.trimmed();
        else if (equalsNoCase(name, "tvg-name"))
            info.guideName = value.trimmed();
        else if (equalsNoCase(name, "tvg-shift"))
            info.guideShift = guideShift(value);
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
            if (!isNumber || !std::all_of(digits.begin(), digits.end(), isDigit))
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
        const quint32 headers = internPair({header(Header::UserAgent), header(Header::Referrer)});
        const QByteArrayView title = withoutByteOrderMarks(info.title);
        // Longer ones name no channel of any guide.
        const auto guideText = [](QByteArrayView text) {
            return text.size() <= MaxGuideText ? text : QByteArrayView();
        };
        const QByteArrayView guideId = guideText(info.guideId);
        const bool nameIsTitle = !title.isEmpty() && info.guideName == title;
        const QByteArrayView guideName = nameIsTitle ? QByteArrayView() : guideText(info.guideName);
        const Reach logoReach = fetchedReach(info.logo);
        const qint32 index = qint32(m_list.m_entries.size());
        m_list.m_entries.push_back({quint32(m_list.m_text.size()), quint32(address.size()),
                                    quint32(title.size()), headers, quint16(guideId.size()),
                                    nameIsTitle ? Playlist::NameIsTitle : quint16(guideName.size()),
                                    info.number, info.radio, reach == Reach::Relative,
                                    logoReach == Reach::Relative,
                                    info.guideShift.value_or(Playlist::NoGuideShift)});
        m_list.m_text.append(address).append(title).append(guideId).append(guideName);
        if (logoReach != Reach::Broken)
            m_list.m_text.append(info.logo);
        Groups &tuner = info.radio ? m_radio : m_tv;
        if (!tuner.add(info.groupTitle, index) && !tuner.add(pending.extgrp, index))
            tuner.other.push_back(index);
        return true;
    }

    // Logos and guides are files to read: fetched over http(s), or, for a playlist read from a
    // file, read from a file too. Anything else is Broken.
    Reach fetchedReach(QByteArrayView address) const {
        const Reach reach = m_origin.reach(address);
        if (reach == Reach::Relative)
            return m_origin.isLocalFile() || m_webBase ? reach : Reach::Broken;
        const QByteArrayView scheme = schemeOf(address);
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

    quint32 internPair(Playlist::HeaderPair pair) {
        const quint64 key = quint64(pair.userAgent) << 32 | pair.referrer;
        const auto found = m_headerPairIndex.constFind(key);
        if (found != m_headerPairIndex.constEnd())
            return *found;
        const quint32 index = quint32(m_list.m_headerPairs.size());
        m_list.m_headerPairs.push_back(pair);
        m_headerPairIndex.insert(key, index);
        return index;
    }

    const ListOrigin m_origin;
    const bool m_webBase; // relative logos and guides resolve to http(s) addresses
    Playlist m_list;
    bool m_named = false; // an entry, or the start of one, was seen
    qsizetype m_addresses = 0;
    QHash<QByteArray, quint32> m_headerIndex;
    QHash<quint64, quint32> m_headerPairIndex{{0, 0}};
    Groups m_tv;
    Groups m_radio;
};

ParsedPlaylist parsePlaylist(QByteArrayView bytes, const QUrl &location) {
    return PlaylistParser(location).parse(bytes);
}
