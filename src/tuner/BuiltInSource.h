#pragma once

#include "catalogue/ChannelSource.h"

// The built-in channels: the tuners' fixed genres, the two genre tables and the catalogue. Items
// are told apart by their text alone: a genre is found by its name in the table of the way it was
// chosen, and a channel by its label in the catalogue.
class BuiltInSource : public ChannelSource {
public:
    ListItems genres(TunerKind tuner) const override;
    std::optional<Rows> listClickChannels(const ListItem &item) const override;
    std::optional<Rows> comboPickChannels(const ListItem &item) const override;
    std::optional<Channel> channel(const ListItem &item) const override;
    std::vector<qint32> channelNumbers() const override;
    std::optional<ListItem> numberedChannel(qint32 number) const override;
    Rows search(TunerKind tuner, const QString &text) const override;
    // A channel is known by its label.
    std::optional<ChannelKey> keyOf(const ListItem &item) const override;
    std::optional<ListItem> itemOf(const ChannelKey &key) const override;
    TunerKind tunerOf(const ListItem &item) const override;
};
