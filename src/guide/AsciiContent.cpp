#include "guide/AsciiContent.h"

#include "guide/Utf8.h"

#include <QByteArray>

#include <array>
#include <cstring>

namespace {

constexpr QByteArrayView Bom = "\xef\xbb\xbf";

bool isLatin1Name(QByteArrayView name) {
    for (const QByteArrayView known : {"ISO-8859-1", "ISO_8859-1", "ISO8859-1", "LATIN1", "LATIN-1",
                                       "L1", "ISO-IR-100", "CP819", "IBM819"}) {
        if (name.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// "&#233;" for U+00E9.
QByteArrayView reference(char32_t code, std::array<char, 16> &room) {
    char *end = room.data() + room.size();
    char *at = end;
    *--at = ';';
    do {
        *--at = char('0' + code % 10);
        code /= 10;
    } while (code > 0);
    *--at = '#';
    *--at = '&';
    return {at, end - at};
}

// A byte that is no UTF-8 read as Windows-1252, which such bytes most often are: its characters
// at 0x80 to 0x9F, Latin-1's beyond.
char32_t windows1252(uchar byte) {
    static constexpr std::array<char16_t, 32> High{
        u'\u20ac', u'\ufffd', u'\u201a', u'\u0192', u'\u201e', u'\u2026', u'\u2020', u'\u2021',
        u'\u02c6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\ufffd', u'\u017d', u'\ufffd',
        u'\ufffd', u'\u2018', u'\u2019', u'\u201c', u'\u201d', u'\u2022', u'\u2013', u'\u2014',
        u'\u02dc', u'\u2122', u'\u0161', u'\u203a', u'\u0153', u'\ufffd', u'\u017e', u'\u0178'};
    return byte >= 0x80 && byte < 0xa0 ? High[byte - 0x80] : byte;
}

// The character as UTF-8, for where a reference would not be read as one.
QByteArrayView utf8Of(char32_t code, std::array<char, 16> &room) {
    if (code < 0x800) {
        room[0] = char(0xc0 | code >> 6);
        room[1] = char(0x80 | (code & 0x3f));
        return {room.data(), 2};
    }
    room[0] = char(0xe0 | code >> 12);
    room[1] = char(0x80 | (code >> 6 & 0x3f));
    room[2] = char(0x80 | (code & 0x3f));
    return {room.data(), 3};
}

} // namespace

AsciiContent::AsciiContent(ByteOutput &output) : output_(output), buffer_(new char[BufferBytes]) {}

char *AsciiContent::room(qsizetype &size) {
    size = BufferBytes - filled_;
    return buffer_.get() + filled_;
}

bool AsciiContent::wrote(qsizetype size) {
    filled_ += size;
    return take(false);
}

bool AsciiContent::finish() {
    return take(true);
}

bool AsciiContent::take(bool atEnd) {
    const QByteArrayView bytes(buffer_.get(), filled_);
    if (mode_ == Mode::Undecided) {
        mode_ = modeOf(bytes, atEnd);
        // The declaration is still on its way, and there is room for it.
        if (mode_ == Mode::Undecided && filled_ < BufferBytes)
            return !stopped_;
        if (mode_ == Mode::Undecided)
            mode_ = Mode::Pass;
    }
    run_ = bytes.data();
    const qsizetype used = mode_ == Mode::Pass ? bytes.size() : process(bytes, atEnd);
    replace(bytes.data() + used, {}, bytes.data() + used);
    std::memmove(buffer_.get(), buffer_.get() + used, std::size_t(filled_ - used));
    filled_ -= used;
    return !stopped_;
}

void AsciiContent::replace(const char *end, QByteArrayView replacement, const char *next) {
    if (stopped_)
        return;
    if (end > run_)
        stopped_ = !output_.put({run_, end - run_});
    if (!replacement.isEmpty() && !stopped_)
        stopped_ = !output_.put(replacement);
    run_ = next;
}

AsciiContent::Mode AsciiContent::modeOf(QByteArrayView start, bool atEnd) const {
    if (start.startsWith(Bom))
        start = start.sliced(Bom.size());
    // Without a declaration XML is UTF-8, or UTF-16 with its own byte-order mark.
    static constexpr QByteArrayView Declaration = "<?xml";
    const qsizetype known = std::min(start.size(), Declaration.size());
    if (start.first(known) != Declaration.first(known)) {
        const bool wide = !start.isEmpty() && (start[0] == '\0' || uchar(start[0]) >= 0xfe);
        return wide ? Mode::Pass : Mode::Utf8;
    }
    const qsizetype end = start.indexOf("?>");
    if (end < 0)
        return atEnd || start.size() > LongestDeclaration ? Mode::Pass : Mode::Undecided;
    const QByteArrayView declaration = start.first(end);
    const qsizetype name = declaration.indexOf("encoding");
    if (name < 0)
        return Mode::Utf8;
    qsizetype at = name + 8;
    while (at < declaration.size() && (declaration[at] == ' ' || declaration[at] == '='))
        ++at;
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return Mode::Pass;
    const qsizetype close = declaration.indexOf(declaration[at], at + 1);
    if (close < 0)
        return Mode::Pass;
    const QByteArrayView encoding = declaration.sliced(at + 1, close - at - 1);
    if (encoding.compare("UTF-8", Qt::CaseInsensitive) == 0 ||
        encoding.compare("UTF8", Qt::CaseInsensitive) == 0 ||
        encoding.compare("US-ASCII", Qt::CaseInsensitive) == 0)
        return Mode::Utf8;
    return isLatin1Name(encoding) ? Mode::Latin1 : Mode::Pass;
}

qsizetype AsciiContent::process(QByteArrayView bytes, bool atEnd) {
    qsizetype at = 0;
    while (at < bytes.size() && !stopped_) {
        const QByteArrayView rest = bytes.sliced(at);
        const State before = state_;
        qsizetype used = 0;
        switch (state_) {
        case State::Start:
        case State::Tag: {
            // Up to the first markup, past a byte-order mark; or to the end of a tag. A '>' in
            // an attribute's value ends it early here, which changes nothing: a character
            // reference means the same in an attribute's value as in text.
            const char wanted = state_ == State::Start ? '<' : '>';
            const qsizetype found = rest.indexOf(wanted);
            used = found < 0 ? rest.size() : found + (wanted == '>');
            if (found >= 0)
                state_ = state_ == State::Start ? State::Markup : State::Text;
            break;
        }
        case State::Text:
            used = text(rest, atEnd);
            break;
        case State::Markup:
            used = markup(rest, atEnd);
            break;
        case State::Comment:
            used = until(rest, "-->", atEnd);
            break;
        case State::CData:
            used = until(rest, "]]>", atEnd);
            break;
        case State::Instruction:
            used = until(rest, "?>", atEnd);
            break;
        }
        if (mode_ == Mode::Utf8 && before != State::Text && before != State::Markup)
            used = checked(rest.first(used), atEnd);
        if (used == 0 && state_ == before)
            break; // the rest is held back
        at += used;
    }
    return at;
}

qsizetype AsciiContent::markup(QByteArrayView bytes, bool atEnd) {
    struct Opening {
        QByteArrayView marker;
        State state;
    };
    static constexpr std::array<Opening, 3> Openings{Opening{"<!--", State::Comment},
                                                     Opening{"<![CDATA[", State::CData},
                                                     Opening{"<?", State::Instruction}};
    if (bytes.size() < 2 && !atEnd)
        return 0;
    if (bytes.size() >= 2 && (bytes[1] == '!' || bytes[1] == '?')) {
        for (const Opening &opening : Openings) {
            const qsizetype known = std::min(bytes.size(), opening.marker.size());
            if (bytes.first(known) != opening.marker.first(known))
                continue;
            if (known < opening.marker.size()) {
                if (!atEnd)
                    return 0; // the marker may be cut short
                continue;
            }
            state_ = opening.state;
            return opening.marker.size();
        }
    }
    state_ = State::Tag;
    return 1;
}

qsizetype AsciiContent::until(QByteArrayView bytes, QByteArrayView end, bool atEnd) {
    const qsizetype found = bytes.indexOf(end);
    if (found >= 0) {
        state_ = State::Text;
        return found + end.size();
    }
    // The end marker may begin in what is still to come.
    return atEnd ? bytes.size() : std::max<qsizetype>(0, bytes.size() - (end.size() - 1));
}

qsizetype AsciiContent::text(QByteArrayView bytes, bool atEnd) {
    const qsizetype markup = bytes.indexOf('<');
    const QByteArrayView span = markup < 0 ? bytes : bytes.first(markup);
    std::array<char, 16> room{};
    for (qsizetype at = 0; at < span.size();) {
        // Runs of ASCII go on as they are, eight bytes at a time where they can.
        for (quint64 word = 0; at + 8 <= span.size(); at += 8) {
            std::memcpy(&word, span.data() + at, sizeof word);
            if ((word & 0x8080808080808080ULL) != 0)
                break;
        }
        while (at < span.size() && uchar(span[at]) < 0x80)
            ++at;
        if (at == span.size())
            break;
        int length = 1;
        char32_t code = uchar(span[at]);
        if (mode_ == Mode::Utf8) {
            const auto [size, point] = utf8Character(span.sliced(at));
            if (size < 0 && !atEnd && markup < 0)
                return at; // a character cut short by the end of the bytes so far
            if (size > 0) {
                length = size;
                code = point;
            } else {
                code = windows1252(uchar(span[at]));
            }
        }
        replace(span.data() + at, reference(code, room), span.data() + at + length);
        at += length;
    }
    if (markup >= 0)
        state_ = State::Markup;
    return span.size();
}

qsizetype AsciiContent::checked(QByteArrayView bytes, bool atEnd) {
    std::array<char, 16> room{};
    for (qsizetype at = 0; at < bytes.size();) {
        at = asciiRunEnd(bytes, at);
        if (at == bytes.size())
            break;
        const int length = utf8Character(bytes.sliced(at)).first;
        if (length < 0 && !atEnd)
            return at; // a character cut short by the end of the bytes so far
        if (length > 0) {
            at += length;
            continue;
        }
        replace(bytes.data() + at, utf8Of(windows1252(uchar(bytes[at])), room),
                bytes.data() + at + 1);
        ++at;
    }
    return bytes.size();
}
