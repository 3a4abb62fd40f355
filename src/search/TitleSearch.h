#pragma once
// Finding channels by a part of their title as it is typed: a title matches a text when the
// title, folded, holds the text, folded (see TextFolder.h: case, accents, ligatures and
// compatibility forms are ignored, so "tele" finds "Télé 5" and "первый" finds "Первый канал").
// A text that is empty, or folds to nothing, matches no title. Case folding is Qt's, which folds
// one character to one: "straße" does not match "STRASSE".

#include "playlist/Playlist.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <atomic>
#include <future>
#include <memory>
#include <vector>

// The form in which titles and texts are compared.
QString foldForSearch(QStringView text);
// Whether `title` matches `text`; for short lists, such as the built-in channels.
bool titleMatches(QStringView title, QStringView text);

// A playlist's titles, ready to be searched however large the list: titles written in ASCII are
// searched where the playlist keeps them, without a copy; the others, and the addresses of
// entries titled by their address, are kept folded once. That index is made on a thread of its
// own, started by the constructor, which returns at once; make the search as soon as the
// playlist is there, so that the index is ready when the first text is typed.
class TitleSearch {
public:
    explicit TitleSearch(std::shared_ptr<const Playlist> playlist);
    // Stops making the index, if it is still being made.
    ~TitleSearch();
    TitleSearch(const TitleSearch &) = delete;
    TitleSearch &operator=(const TitleSearch &) = delete;

    // The entries of the radio tuner (`radio`) or of the TV tuner whose title matches `text`, in
    // playlist order. Waits for the index while it is being made.
    std::vector<qint32> find(QStringView text, bool radio) const;

private:
    // The titles kept folded, in entry order.
    struct FoldedTitle {
        qint32 entry;
        quint32 end; // where its folded title ends in Index::folded; the one before it ends where
                     // it starts
    };
    struct Index {
        QByteArray folded; // UTF-8
        std::vector<FoldedTitle> titles;
    };

    static Index makeIndex(const Playlist &playlist, const std::atomic_bool &stop);
    std::vector<qint32> findAscii(const Index &index, QByteArrayView text, bool radio) const;
    std::vector<qint32> findFolded(const Index &index, QByteArrayView text, bool radio) const;

    const std::shared_ptr<const Playlist> m_playlist;
    std::atomic_bool m_stop{false}; // before m_index, which waits for the thread using it
    std::shared_future<Index> m_index;
};
