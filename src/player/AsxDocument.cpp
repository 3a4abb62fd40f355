#include "player/AsxDocument.h"

#include "net/Addresses.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <optional>

namespace {

// The elements that name what to play.
const QStringList ReadElements{"entry", "ref", "entryref"};

const QHash<QString, QChar> NamedEntities{
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
};

// The longest entity worth looking for, "&#x10FFFF;", without its "&".
constexpr qsizetype MaxEntityLength = 9;

// Markup that is no element, from its opening to its closing; "<!" last, it opens the others too.
constexpr std::pair<const char16_t *, const char16_t *> SkippedMarkup[]{
    {u"<!--", u"-->"},
    {u"<![CDATA[", u"]]>"},
    {u"<?", u"?>"},
    {u"<!", u">"},
};

// A byte-order mark, then the XML declaration's encoding, then UTF-8 when the bytes are valid
// UTF-8, and Windows' own Western code page, which most documents without a declaration are in.
QString decode(QByteArrayView bytes) {
    if (auto encoding = QStringConverter::encodingForData(bytes, u'<'))
        return QStringDecoder(*encoding).decode(bytes);
    static const QRegularExpression declaration(
        R"(^\s*<\?xml[^>]*?encoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])",
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.first(std::min<qsizetype>(bytes.size(), 256)));
    if (const auto match = declaration.match(head); match.hasMatch()) {
        // A declaration that its own bytes contradict (UTF-16 in single bytes) is not believed.
        QStringDecoder named(match.captured(1).toLatin1().constData());
        const QString text = named.isValid() ? named.decode(bytes) : QString();
        if (QStringView(text).left(head.size()).contains(u"<?xml", Qt::CaseInsensitive))
            return text;
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QStringDecoder("windows-1252").decode(bytes) : text;
}

bool isNameCharacter(QChar c) {
    return c.isLetterOrNumber() || c == '-' || c == '_' || c == ':' || c == '.';
}

// The text an entity stands for, by its name between "&" and ";"; empty when it is none.
QString entityText(QStringView name) {
    bool number = false;
    const char32_t code = name.startsWith(u"#x", Qt::CaseInsensitive)
                              ? name.sliced(2).toUInt(&number, 16)
                          : name.startsWith('#') ? name.sliced(1).toUInt(&number)
                                                 : 0;
    if (number && code > 0 && code <= 0x10FFFF)
        return QStringView(QChar::fromUcs4(code)).toString();
    const auto named = NamedEntities.constFind(name.toString());
    return named != NamedEntities.cend() ? QString(*named) : QString();
}

// Character references and the five named ones; any other "&" is text, as servers mean it.
QString decodeEntities(QStringView value) {
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype length =
            value[i] == '&' ? value.sliced(i + 1).left(MaxEntityLength + 1).indexOf(';') : -1;
        const QString entity = length > 0 ? entityText(value.sliced(i + 1, length)) : QString();
        if (entity.isEmpty()) {
            text += value[i];
            continue;
        }
        text += entity;
        i += length + 1;
    }
    return text;
}

struct Tag {
    QString name; // lower case
    bool closing = false;
    bool selfClosing = false;
    QString href;
    qsizetype end = 0; // just past its ">"
};

// The element that starts at `at` with its "href" (with no name when it is none of those read), or
// nothing when the document ends inside it.
std::optional<Tag> readTag(const QString &text, qsizetype at) {
    Tag tag;
    qsizetype i = at + 1;
    tag.closing = text[i] == '/';
    i += tag.closing;
    const qsizetype nameStart = i;
    while (i < text.size() && isNameCharacter(text[i]))
        ++i;
    tag.name = text.sliced(nameStart, i - nameStart).toLower();
    // A "<" that starts no element of interest is taken for text: what follows it is read on.
    if (!ReadElements.contains(tag.name)) {
        tag.name.clear();
        tag.end = at + 1;
        return tag;
    }
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == '>') {
            tag.selfClosing = text[i - 1] == '/';
            tag.end = i + 1;
            return tag;
        }
        if (c.isSpace() || c == '/' || c == '=') {
            ++i;
            continue;
        }
        const qsizetype attributeStart = i;
        while (i < text.size() && !text[i].isSpace() && text[i] != '=' && text[i] != '>' &&
               text[i] != '/')
            ++i;
        const QString attribute = text.sliced(attributeStart, i - attributeStart).toLower();
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i >= text.size() || text[i] != '=')
            continue;
        ++i;
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i >= text.size())
            break;
        qsizetype valueStart = i;
        qsizetype valueEnd;
        if (text[i] == '"' || text[i] == '\'') {
            valueStart = i + 1;
            valueEnd = text.indexOf(text[i], valueStart);
            if (valueEnd < 0)
                break;
            i = valueEnd + 1;
        } else {
            while (i < text.size() && !text[i].isSpace() && text[i] != '>')
                ++i;
            valueEnd = i;
        }
        if (attribute == u"href")
            tag.href = decodeEntities(QStringView(text).sliced(valueStart, valueEnd - valueStart));
    }
    return std::nullopt;
}

// A document may name what any list from its location may name.
std::optional<QUrl> listedAddress(const QString &href, const QUrl &location) {
    const QString reference = href.trimmed();
    const Reach reach = ListOrigin(location).reach(reference.toUtf8());
    if (reach != Reach::AsWritten && reach != Reach::Relative)
        return std::nullopt;
    const QUrl address = location.resolved(QUrl(reference));
    if (!address.isValid())
        return std::nullopt;
    return address;
}

// Where the markup at `at` ends, if it is markup to skip; -1 when it runs to the end.
std::optional<qsizetype> skippedMarkupEnd(const QString &text, qsizetype at) {
    for (const auto &[open, close] : SkippedMarkup) {
        if (!QStringView(text).sliced(at).startsWith(QStringView(open)))
            continue;
        const qsizetype end = text.indexOf(QStringView(close), at + QStringView(open).size());
        return end < 0 ? -1 : end + QStringView(close).size();
    }
    return std::nullopt;
}

} // namespace

AsxSniff sniffAsx(QByteArrayView start) {
    const QString text = decode(start);
    qsizetype at = 0;
    for (;;) {
        while (at < text.size() && (text[at].isSpace() || text[at] == QChar::ByteOrderMark))
            ++at;
        if (const auto end = skippedMarkupEnd(text, at)) {
            if (*end < 0)
                return AsxSniff::Undecided;
            at = *end;
            continue;
        }
        const QStringView rest = QStringView(text).sliced(at);
        if (rest.size() < 5)
            return QStringView(u"<asx ").startsWith(rest, Qt::CaseInsensitive) ? AsxSniff::Undecided
                                                                               : AsxSniff::NotAsx;
        const QChar after = rest[4];
        return rest.startsWith(u"<asx", Qt::CaseInsensitive) &&
                       (after.isSpace() || after == '>' || after == '/')
                   ? AsxSniff::Asx
                   : AsxSniff::NotAsx;
    }
}

std::vector<AsxItem> readAsx(QByteArrayView bytes, const QUrl &location) {
    const QString text = decode(bytes);
    std::vector<AsxItem> items;
    bool inEntry = false;
    for (qsizetype at = text.indexOf('<'); at >= 0 && at + 1 < text.size();
         at = text.indexOf('<', at)) {
        if (const auto end = skippedMarkupEnd(text, at)) {
            if (*end < 0)
                break;
            at = *end;
            continue;
        }
        const std::optional<Tag> tag = readTag(text, at);
        if (!tag)
            break;
        if (tag->name == u"entry" && !tag->selfClosing) {
            inEntry = !tag->closing;
        } else if (((tag->name == u"ref" && inEntry) || tag->name == u"entryref") &&
                   !tag->closing) {
            if (const auto address = listedAddress(tag->href, location))
                items.push_back({*address, tag->name == u"entryref"});
        }
        at = tag->end;
    }
    return items;
}
