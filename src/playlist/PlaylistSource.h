#pragma once

#include "catalogue/ChannelSource.h"
#include "playlist/Playlist.h"

#include <memory>

class TitleSearch;

// A playlist's channels for the side panel: each tuner's genres are the playlist's groups, and
// items are told apart by their number, never by their text, since titles repeat and may equal a
// group's name. Every channel is watched by the connection monitor.
class PlaylistSource : public ChannelSource {
public:
    explicit PlaylistSource(std::shared_ptr<const Playlist> playlist);
    ~PlaylistSource() override;

    ListItems genres(TunerKind tuner) const override;
    std::optional<Rows> listClickChannels(const ListItem &item) const override;
    std::optional<Rows> comboPickChannels(const ListItem &item) const override;
    std::optional<Channel> channel(const ListItem &item) const override;
    std::vector<qint32> channelNumbers() const override;
    std::optional<ListItem> numberedChannel(qint32 number) const override;
    Rows search(TunerKind tuner, const QString &text) const override;

private:
    std::optional<Rows> channelsOf(const ListItem &genre) const;
    // The entries by channel number, ascending; made when first asked for.
    const std::vector<std::pair<qint32, qint32>> &byNumber() const;

    std::shared_ptr<const Playlist> playlist_;
    std::unique_ptr<TitleSearch> search_; // made at once, on a thread of its own
    mutable std::vector<std::pair<qint32, qint32>> byNumber_;
};
