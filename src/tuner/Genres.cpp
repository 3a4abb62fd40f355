#include "tuner/Genres.h"

const GenreChannels *findGenre(const GenreTable &table, const QString &text) {
    for (const GenreChannels &genre : table)
        if (genre.genre == text)
            return &genre;
    return nullptr;
}
