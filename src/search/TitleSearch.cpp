#include "search/TitleSearch.h"

#include "search/TextFolder.h"

#include <algorithm>

namespace {

QByteArray folded(QStringView text) {
    QByteArray folded;
    TextFolder().fold(text, folded);
    return folded;
}

bool isAscii(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

// Whether an ASCII title holds `text`, folded and not empty, ignoring the title's case: what
// folding the title would give, without a copy.
bool containsIgnoringCase(QByteArrayView title, QByteArrayView text) {
    const char first = text.front();
    for (qsizetype at = 0; at + text.size() <= title.size(); ++at) {
        if (foldedAscii(title[at]) != first)
            continue;
        qsizetype i = 1;
        while (i < text.size() && foldedAscii(title[at + i]) == text[i])
            ++i;
        if (i == text.size())
            return true;
    }
    return false;
}

} // namespace

QString foldForSearch(QStringView text) {
    return QString::fromUtf8(folded(text));
}

bool titleMatches(QStringView title, QStringView text) {
    const QByteArray wanted = folded(text);
    return !wanted.isEmpty() && folded(title).contains(wanted);
}

TitleSearch::TitleSearch(std::shared_ptr<const Playlist> playlist)
    : m_playlist(std::move(playlist)),
      m_index(std::async(std::launch::async, makeIndex, std::cref(*m_playlist), std::cref(m_stop))
                  .share()) {}

TitleSearch::~TitleSearch() {
    m_stop = true;
}

std::vector<qint32> TitleSearch::find(QStringView text, bool radio) const {
    const QByteArray wanted = folded(text);
    if (wanted.isEmpty())
        return {};
    // A text in ASCII may be in any title; one that is not can only be in a title kept folded.
    std::vector<qint32> found = isAscii(wanted) ? findAscii(m_index.get(), wanted, radio)
                                                : findFolded(m_index.get(), wanted, radio);
    found.shrink_to_fit();
    return found;
}

TitleSearch::Index TitleSearch::makeIndex(const Playlist &playlist, const std::atomic_bool &stop) {
    Index index;
    TextFolder folder;
    for (qint32 entry = 0; entry < playlist.size() && !stop; ++entry) {
        const QByteArrayView title = playlist.titleBytes(entry);
        if (!title.isEmpty() && isAscii(title))
            continue;
        folder.fold(title.isEmpty() ? playlist.title(entry) : QString::fromUtf8(title),
                    index.folded);
        index.titles.push_back({entry, quint32(index.folded.size())});
    }
    index.folded.squeeze();
    index.titles.shrink_to_fit();
    return index;
}

std::vector<qint32> TitleSearch::findAscii(const Index &index, QByteArrayView text,
                                           bool radio) const {
    const Playlist &playlist = *m_playlist;
    std::vector<qint32> found;
    auto next = index.titles.begin();
    quint32 start = 0;
    for (qint32 entry = 0; entry < playlist.size(); ++entry) {
        const bool kept = next != index.titles.end() && next->entry == entry;
        const quint32 from = start;
        if (kept)
            start = (next++)->end;
        if (playlist.isRadio(entry) != radio)
            continue;
        if (kept ? QByteArrayView(index.folded).sliced(from, start - from).contains(text)
                 : containsIgnoringCase(playlist.titleBytes(entry), text))
            found.push_back(entry);
    }
    return found;
}

std::vector<qint32> TitleSearch::findFolded(const Index &index, QByteArrayView text,
                                            bool radio) const {
    std::vector<qint32> found;
    quint32 start = 0;
    for (const FoldedTitle &title : index.titles) {
        const QByteArrayView folded = QByteArrayView(index.folded).sliced(start, title.end - start);
        start = title.end;
        if (m_playlist->isRadio(title.entry) == radio && folded.contains(text))
            found.push_back(title.entry);
    }
    return found;
}
