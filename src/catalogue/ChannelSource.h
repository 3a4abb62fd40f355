#pragma once
// Where the side panel's genres and channels come from: the built-in catalogue or a playlist.
// Both have the same shape: each tuner's genres, the channels a genre shows, and for each channel
// what tuning shows and plays. The lists, the genre picker and tuning work on that shape alone.

#include "catalogue/Catalogue.h"
#include "player/Player.h"
#include "state/ChannelKey.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

enum class TunerKind : quint8 { Tv, Radio };

// An item of the side panel's list or of the genre picker. The text is what the user sees; a
// source that tells items apart by more than their text (a playlist may name two channels alike,
// or a channel like a group) numbers them too.
struct ListItem {
    enum class Kind : quint8 { Genre, Channel };

    QString text;
    Kind kind = Kind::Channel;
    qint32 id = -1; // the source's own number for the item; -1 when it has none
};
using ListItems = QList<ListItem>;

// The rows of a list. A playlist's group may hold a hundred thousand channels, so its rows become
// items only as they are asked for (the view asks for those on screen).
class ListRows {
public:
    virtual ~ListRows() = default;
    virtual qsizetype size() const = 0;
    virtual ListItem item(qsizetype row) const = 0;
    // The first row holding `item` (the same number, or the same text where there is none), or
    // -1.
    virtual qsizetype find(const ListItem &item) const;
};
using Rows = std::shared_ptr<const ListRows>;

// Rows made of items already at hand.
Rows rowsOf(ListItems items);

// What tuning shows and plays for one channel.
struct Channel {
    QString name;   // shown in `lblChannelName`
    QString number; // shown in `lblIndexNo`
    QString address;
    StreamHeaders headers;
    PlayMethod method = PlayMethod::Monitored;
    QString logo; // the address of the channel's logo; empty when it has none
};

class ChannelSource {
public:
    virtual ~ChannelSource() = default;

    // The genres that the tuner offers, in order.
    virtual ListItems genres(TunerKind tuner) const = 0;
    // The channels that a click on `item` in the list shows, or nothing when the item shows none.
    virtual std::optional<Rows> listClickChannels(const ListItem &item) const = 0;
    // The channels that a pick of `item` in the genre picker shows, or nothing.
    virtual std::optional<Rows> comboPickChannels(const ListItem &item) const = 0;
    // What a click on `item` tunes, or nothing when it tunes nothing.
    virtual std::optional<Channel> channel(const ListItem &item) const = 0;

    // The numbers that `lblIndexNo` shows for the channels ("CH 00003" is 3), ascending, each
    // once; and the item that tunes the channel with that number.
    virtual std::vector<qint32> channelNumbers() const = 0;
    virtual std::optional<ListItem> numberedChannel(qint32 number) const = 0;

    // The tuner's channels, of every genre, whose text holds `text` ignoring case and accents, in
    // the source's order.
    virtual Rows search(TunerKind tuner, const QString &text) const = 0;

    // How the channel that `item` tunes is known again in a later run, or nothing when the item
    // tunes nothing; and the item that tunes the channel known by `key`, or nothing when the
    // source has no such channel (any more).
    virtual std::optional<ChannelKey> keyOf(const ListItem &item) const = 0;
    virtual std::optional<ListItem> itemOf(const ChannelKey &key) const = 0;
    // The tuner whose genres hold the channel of `item`.
    virtual TunerKind tunerOf(const ListItem &item) const = 0;
};
