#include "catalogue/FavouritesSource.h"

#include <QCoreApplication>

namespace {

// The genre's number, one for each tuner: no source numbers its own genres below -1, which
// means none.
constexpr qint32 TvFavourites = -2;
constexpr qint32 RadioFavourites = -3;

ListItem favouritesGenre(TunerKind tuner) {
    return {QCoreApplication::translate("FavouritesSource", "Favourites"), ListItem::Kind::Genre,
            tuner == TunerKind::Radio ? RadioFavourites : TvFavourites};
}

} // namespace

FavouritesSource::FavouritesSource(std::shared_ptr<const ChannelSource> channels,
                                   Favourites favourites)
    : channels_(std::move(channels)), favourites_(std::move(favourites)) {}

bool FavouritesSource::isFavourites(const ListItem &item) {
    return item.kind == ListItem::Kind::Genre &&
           (item.id == TvFavourites || item.id == RadioFavourites);
}

ListItems FavouritesSource::genres(TunerKind tuner) const {
    ListItems genres = channels_->genres(tuner);
    if (!favourites_(tuner).isEmpty())
        genres.prepend(favouritesGenre(tuner));
    return genres;
}

std::optional<Rows> FavouritesSource::listClickChannels(const ListItem &item) const {
    if (!isFavourites(item))
        return channels_->listClickChannels(item);
    givenTuner_ = item.id == TvFavourites ? TunerKind::Tv : TunerKind::Radio;
    Rows rows = rowsOf(favourites_(givenTuner_));
    given_ = rows;
    return rows;
}

std::optional<TunerKind> FavouritesSource::givenFavourites(const Rows &rows) const {
    if (rows == nullptr || rows != given_.lock())
        return std::nullopt;
    return givenTuner_;
}

std::optional<Rows> FavouritesSource::comboPickChannels(const ListItem &item) const {
    if (!isFavourites(item))
        return channels_->comboPickChannels(item);
    return listClickChannels(item);
}

std::optional<Channel> FavouritesSource::channel(const ListItem &item) const {
    return channels_->channel(item);
}

std::vector<qint32> FavouritesSource::channelNumbers() const {
    return channels_->channelNumbers();
}

std::optional<ListItem> FavouritesSource::numberedChannel(qint32 number) const {
    return channels_->numberedChannel(number);
}

Rows FavouritesSource::search(TunerKind tuner, const QString &text) const {
    return channels_->search(tuner, text);
}

std::optional<ChannelKey> FavouritesSource::keyOf(const ListItem &item) const {
    return channels_->keyOf(item);
}

std::optional<ListItem> FavouritesSource::itemOf(const ChannelKey &key) const {
    return channels_->itemOf(key);
}

TunerKind FavouritesSource::tunerOf(const ListItem &item) const {
    return channels_->tunerOf(item);
}
