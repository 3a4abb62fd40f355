#include "playlist/Playlist.h"

#include <QDir>

qsizetype Playlist::size() const {
    return qsizetype(m_entries.size());
}

QString Playlist::title(qsizetype entry) const {
    const Entry &e = m_entries[size_t(entry)];
    // Decoding drops a byte-order mark, which may be all that a title holds.
    const QString title = text({e.text + e.addressSize, e.titleSize});
    return title.isEmpty() ? address(entry) : title;
}

QString Playlist::address(qsizetype entry) const {
    const Entry &e = m_entries[size_t(entry)];
    const QString written = text({e.text, e.addressSize});
    if (!e.relative)
        return written;
    // Resolved only here, so that a list of a few hundred thousand entries keeps each address
    // once, as written, whatever the length of its location.
    if (!m_folder.isNull())
        return QDir::cleanPath(m_folder + u'/' + written);
    return m_base.resolved(QUrl(written)).toString(QUrl::FullyEncoded);
}

QString Playlist::userAgent(qsizetype entry) const {
    return text(m_headers[m_entries[size_t(entry)].userAgent]);
}

QString Playlist::referrer(qsizetype entry) const {
    return text(m_headers[m_entries[size_t(entry)].referrer]);
}

bool Playlist::isRadio(qsizetype entry) const {
    return m_entries[size_t(entry)].radio;
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

QString Playlist::text(Span span) const {
    return QString::fromUtf8(m_text.constData() + span.offset, span.size);
}
