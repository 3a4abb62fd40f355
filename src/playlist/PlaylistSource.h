#pragma once

#include "catalogue/ChannelSource.h"
#include "playlist/Playlist.h"

#include <QHash>

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
    std::optional<ChannelKey> keyOf(const ListItem &item) const override;
    std::optional<ListItem> itemOf(const ChannelKey &key) const override;
    TunerKind tunerOf(const ListItem &item) const override;

private:
    std::optional<Rows> channelsOf(const ListItem &genre) const;
    // The entries by channel number, ascending; made when first asked for.
    const std::vector<std::pair<qint32, qint32>> &byNumber() const;

    std::shared_ptr<const Playlist> playlist_;
    std::unique_ptr<TitleSearch> search_; // made at once, on a thread of its own
    mutable std::vector<std::pair<qint32, qint32>> byNumber_;
    // Made when first asked for, as keys are looked up only for favourites and the last channel.
    mutable std::vector<qint32> groupOf_;      // each entry's place among its tuner's groups
    mutable QHash<QString, qint32> byGuideId_; // case-folded tvg-id to its first entry
};
