#pragma once

#include "catalogue/ChannelSource.h"

#include <functional>
#include <memory>

// A source with the user's favourite channels first: while a tuner has favourites, a genre
// "Favourites" heads its genres and shows them in the order they were marked; everything else is
// the channels' own source.
class FavouritesSource : public ChannelSource {
public:
    // The tuner's favourites as the channels' items, asked for whenever they are shown.
    using Favourites = std::function<ListItems(TunerKind)>;

    FavouritesSource(std::shared_ptr<const ChannelSource> channels, Favourites favourites);

    const ChannelSource &channels() const { return *channels_; }
    // Whether `item` is the genre of favourites.
    static bool isFavourites(const ListItem &item);
    // The tuner whose favourites `rows` are, when they are the favourites it gave last.
    std::optional<TunerKind> givenFavourites(const Rows &rows) const;

    ListItems genres(TunerKind tuner) const override;
    std::optional<Rows> listClickChannels(const ListItem &item) const override;
    std::optional<Rows> comboPickChannels(const ListItem &item) const override;
    std::optional<Channel> channel(const ListItem &item) const override;
    std::vector<qint32> channelNumbers() const override;
    std::optional<ListItem> numberedChannel(qint32 number) const override;
    Rows search(TunerKind tuner, const QString &text) const override;
    std::optional<ChannelKey> keyOf(const ListItem &item) const override;
    std::optional<ListItem> itemOf(const ChannelKey &key) const override;
    TunerKind tunerOf(const ListItem &item) const override;

private:
    std::shared_ptr<const ChannelSource> channels_;
    Favourites favourites_;
    mutable std::weak_ptr<const ListRows> given_;
    mutable TunerKind givenTuner_ = TunerKind::Tv;
};
