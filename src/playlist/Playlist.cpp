#include "playlist/Playlist.h"

#include <QDir>

namespace {

QString decoded(const QByteArray &text, quint32 offset, quint32 size) {
    return QString::fromUtf8(text.constData() + offset, size);
}

} // namespace

qsizetype Playlist::size() const {
    return qsizetype(m_entries.size());
}

QString Playlist::title(qsizetype entry) const {
    const Entry &e = m_entries[size_t(entry)];
    return e.titleSize == 0 ? address(entry) : decoded(m_text, e.text + e.addressSize, e.titleSize);
}

QByteArrayView Playlist::titleBytes(qsizetype entry) const {
    const Entry &e = m_entries[size_t(entry)];
    return QByteArrayView(m_text).sliced(e.text + e.addressSize, e.titleSize);
}

QString Playlist::address(qsizetype entry) const {
    const Entry &e = m_entries[size_t(entry)];
    return resolved(decoded(m_text, e.text, e.addressSize), e.relative);
}

QString Playlist::userAgent(qsizetype entry) const {
    const Span span = m_headers[m_headerPairs[m_entries[size_t(entry)].headers].userAgent];
    return decoded(m_headerText, span.offset, span.size);
}

QString Playlist::referrer(qsizetype entry) const {
    const Span span = m_headers[m_headerPairs[m_entries[size_t(entry)].headers].referrer];
    return decoded(m_headerText, span.offset, span.size);
}

bool Playlist::isRadio(qsizetype entry) const {
    return m_entries[size_t(entry)].radio;
}

QString Playlist::logo(qsizetype entry) const {
    const Span span = logoSpan(entry);
    return resolved(decoded(m_text, span.offset, span.size), m_entries[size_t(entry)].logoRelative);
}

qint32 Playlist::number(qsizetype entry) const {
    const quint32 given = m_entries[size_t(entry)].number;
    return given != 0 ? qint32(given) : qint32(entry + 1);
}

const std::vector<PlaylistGroup> &Playlist::tvGroups() const {
    return m_tvGroups;
}

const std::vector<PlaylistGroup> &Playlist::radioGroups() const {
    return m_radioGroups;
}

int Playlist::leftOut() const {
    return m_leftOut;
}

const QStringList &Playlist::guideAddresses() const {
    return m_guides;
}

QString Playlist::guideId(qsizetype entry) const {
    return QString::fromUtf8(guideIdBytes(entry));
}

QByteArrayView Playlist::guideIdBytes(qsizetype entry) const {
    const Entry &e = m_entries[size_t(entry)];
    return QByteArrayView(m_text).sliced(e.text + e.addressSize + e.titleSize, e.guideIdSize);
}

QString Playlist::guideName(qsizetype entry) const {
    return QString::fromUtf8(guideNameBytes(entry));
}

QByteArrayView Playlist::guideNameBytes(qsizetype entry) const {
    const Entry &e = m_entries[size_t(entry)];
    if (e.guideNameSize == NameIsTitle)
        return titleBytes(entry);
    return QByteArrayView(m_text).sliced(e.text + e.addressSize + e.titleSize + e.guideIdSize,
                                         e.guideNameSize);
}

qint32 Playlist::guideShift(qsizetype entry) const {
    const qint32 own = m_entries[size_t(entry)].guideShift;
    return own != NoGuideShift ? own : m_guideShift;
}

quint32 Playlist::guideNameBytesKept(const Entry &e) {
    return e.guideNameSize == NameIsTitle ? 0 : e.guideNameSize;
}

Playlist::Span Playlist::logoSpan(qsizetype entry) const {
    const Entry &e = m_entries[size_t(entry)];
    const quint32 start =
        e.text + e.addressSize + e.titleSize + e.guideIdSize + guideNameBytesKept(e);
    const quint32 end =
        entry + 1 < size() ? m_entries[size_t(entry) + 1].text : quint32(m_text.size());
    return {start, end - start};
}

QString Playlist::resolved(const QString &written, bool relative) const {
    if (!relative)
        return written;
    // Resolved only here, so that a list of a few hundred thousand entries keeps each address
    // once, as written, whatever the length of its location.
    if (!m_folder.isNull())
        return QDir::cleanPath(m_folder + u'/' + written);
    return m_base.resolved(QUrl(written)).toString(QUrl::FullyEncoded);
}
