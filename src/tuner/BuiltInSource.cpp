#include "tuner/BuiltInSource.h"

#include "tuner/Genres.h"

namespace {

ListItems itemsOf(auto &&texts, ListItem::Kind kind) {
    ListItems items;
    items.reserve(qsizetype(std::size(texts)));
    for (QStringView text : texts)
        items.append({text.toString(), kind});
    return items;
}

std::optional<ListItems> channelsOf(const GenreTable &table, const ListItem &item) {
    const GenreChannels *genre = findGenre(table, item.text);
    if (genre == nullptr)
        return std::nullopt;
    return itemsOf(genre->labels, ListItem::Kind::Channel);
}

} // namespace

ListItems BuiltInSource::genres(TunerKind tuner) const {
    return tuner == TunerKind::Tv ? itemsOf(TvGenres, ListItem::Kind::Genre)
                                  : itemsOf(RadioGenres, ListItem::Kind::Genre);
}

std::optional<ListItems> BuiltInSource::listClickChannels(const ListItem &item) const {
    return channelsOf(ListClickChannels, item);
}

std::optional<ListItems> BuiltInSource::comboPickChannels(const ListItem &item) const {
    return channelsOf(ComboClickChannels, item);
}

std::optional<Channel> BuiltInSource::channel(const ListItem &item) const {
    const ChannelEntry *row = FindChannel(item.text);
    if (row == nullptr)
        return std::nullopt;
    return Channel{row->ChannelName.toString(),
                   row->IndexNo.toString(),
                   row->StreamAddress.toString(),
                   {},
                   row->PlayMethod};
}
