#pragma once

#include "catalogue/ChannelSource.h"
#include "playlist/Playlist.h"

#include <memory>

// A playlist's channels for the side panel: each tuner's genres are the playlist's groups, and
// items are told apart by their number, never by their text, since titles repeat and may equal a
// group's name. Every channel is watched by the connection monitor.
class PlaylistSource : public ChannelSource {
public:
    explicit PlaylistSource(std::shared_ptr<const Playlist> playlist);

    ListItems genres(TunerKind tuner) const override;
    std::optional<ListItems> listClickChannels(const ListItem &item) const override;
    std::optional<ListItems> comboPickChannels(const ListItem &item) const override;
    std::optional<Channel> channel(const ListItem &item) const override;

private:
    std::optional<ListItems> channelsOf(const ListItem &genre) const;

    std::shared_ptr<const Playlist> playlist_;
};
