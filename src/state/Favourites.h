#pragma once
// The channels that the user has marked as favourites, for each playlist and each of its tuners
// (TV and radio), in the order they were marked. Kept in dataFolder(): the user's own making, as
// much theirs as a document.

#include "state/ChannelKey.h"
#include "state/Remembered.h"

#include <QList>
#include <QString>

#include <vector>

class Favourites {
public:
    // Playlists are known by their addresses as given; `radio` picks the radio tuner's
    // favourites, else the TV tuner's.
    explicit Favourites(const QString &folder);

    void load();
    // False when the change could not be written; it is kept, and written with the next one.
    bool mark(const QString &playlist, const ChannelKey &key, bool radio);
    bool unmark(const QString &playlist, const ChannelKey &key, bool radio);
    bool isFavourite(const QString &playlist, const ChannelKey &key, bool radio) const;
    // In the order they were marked.
    QList<ChannelKey> list(const QString &playlist, bool radio) const;
    bool forget();

    QString path() const;

private:
    struct Marks {
        QString playlist;
        QList<ChannelKey> tv;
        QList<ChannelKey> radio;

        const QList<ChannelKey> &of(bool isRadio) const { return isRadio ? radio : tv; }
        QList<ChannelKey> &of(bool isRadio) { return isRadio ? radio : tv; }
    };
    struct Document {
        std::vector<Marks> playlists; // in the order of their first favourite

        static std::optional<Document> fromJson(const QJsonObject &json);
        QJsonObject toJson() const;
        const Marks *find(const QString &playlist) const;
        // Made when there is none.
        Marks &marks(const QString &playlist);
    };

    Remembered<Document> remembered_;
};
