#include "playlist/PlaylistSource.h"

namespace {

// A genre's number tells its tuner and its place among that tuner's groups.
qint32 genreId(TunerKind tuner, qsizetype group) {
    return qint32(group * 2 + (tuner == TunerKind::Radio ? 1 : 0));
}

// "CH 00001" for the first entry; more digits from the 100,000th on.
QString channelNumber(qsizetype entry) {
    return QStringLiteral("CH ") + QString::number(entry + 1).rightJustified(5, u'0');
}

} // namespace

PlaylistSource::PlaylistSource(std::shared_ptr<const Playlist> playlist)
    : playlist_(std::move(playlist)) {}

ListItems PlaylistSource::genres(TunerKind tuner) const {
    const auto &groups = tuner == TunerKind::Tv ? playlist_->tvGroups() : playlist_->radioGroups();
    ListItems items;
    items.reserve(qsizetype(groups.size()));
    for (qsizetype i = 0; i < qsizetype(groups.size()); ++i)
        items.append({groups[i].name, ListItem::Kind::Genre, genreId(tuner, i)});
    return items;
}

std::optional<ListItems> PlaylistSource::channelsOf(const ListItem &genre) const {
    if (genre.kind != ListItem::Kind::Genre || genre.id < 0)
        return std::nullopt;
    const auto &groups = genre.id % 2 == 0 ? playlist_->tvGroups() : playlist_->radioGroups();
    const qsizetype index = genre.id / 2;
    if (index >= qsizetype(groups.size()))
        return std::nullopt;
    ListItems items;
    items.reserve(qsizetype(groups[index].entries.size()));
    for (const qint32 entry : groups[index].entries)
        items.append({playlist_->title(entry), ListItem::Kind::Channel, entry});
    return items;
}

std::optional<ListItems> PlaylistSource::listClickChannels(const ListItem &item) const {
    return channelsOf(item);
}

std::optional<ListItems> PlaylistSource::comboPickChannels(const ListItem &item) const {
    return channelsOf(item);
}

std::optional<Channel> PlaylistSource::channel(const ListItem &item) const {
    if (item.kind != ListItem::Kind::Channel || item.id < 0 || item.id >= playlist_->size())
        return std::nullopt;
    const qsizetype entry = item.id;
    return Channel{playlist_->title(entry),
                   channelNumber(entry),
                   playlist_->address(entry),
                   {playlist_->userAgent(entry), playlist_->referrer(entry)},
                   PlayMethod::Monitored};
}
