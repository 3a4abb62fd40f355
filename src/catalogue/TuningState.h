#pragma once

#include "catalogue/ChannelSource.h"

#include <QObject>

#include <memory>
#include <optional>

class ChannelGuide;
struct Controls;
class ConnectionMonitor;
class Player;

// A channel as tuned: the list item it was tuned from and what tuning showed and played.
struct TunedChannel {
    ListItem item;
    Channel channel;
};

// The one owner of the tuning: where the channels come from, the current tuner, the zap list
// (the channels that the side panel showed last), and the channel tuned last and the one before
// it. The window's handlers drive it; the keys, the banner and the desktop controls follow its
// signals.
class TuningState : public QObject {
    Q_OBJECT
public:
    TuningState(const Controls &c, Player &player, ConnectionMonitor &monitor,
                std::shared_ptr<const ChannelSource> source);

    const ChannelSource &source() const { return *source_; }
    void setSource(std::shared_ptr<const ChannelSource> source);

    // Radio before the first choice of a tuner and once the side panel has been closed.
    TunerKind tuner() const { return tuner_; }
    void setTuner(TunerKind tuner) { tuner_ = tuner; }

    const Rows &zapList() const { return zapList_; }
    void setZapList(Rows rows);
    // The row of the zap list `step` rows on from the channel tuned last, or from row `from`
    // (back for a negative step), wrapping at the ends and passing over rows that tune nothing;
    // nothing when no row tunes anything. From no channel, or one not on the list, the first
    // step lands on the first row (or, going back, the last).
    std::optional<qsizetype> zapRow(int step, std::optional<qsizetype> from = std::nullopt) const;

    // Tunes `item` as a click on it does; true when it tuned a channel.
    bool tune(const ListItem &item);

    const std::optional<TunedChannel> &current() const { return current_; }
    const std::optional<TunedChannel> &previous() const { return previous_; }
    // The channel of `item` becomes the one the last-channel key tunes, as if it had just been
    // left; only while nothing has been tuned from the source.
    void recall(const ListItem &item);

    Player &player() const { return player_; }

    // The programme guide of the source's channels; none before one has been read, and none once
    // the source has changed. Its entries are the playlist's, as a channel item's id.
    const std::shared_ptr<const ChannelGuide> &guide() const { return guide_; }
    void setGuide(std::shared_ptr<const ChannelGuide> guide);

signals:
    void tuned(const TunedChannel &channel);
    void zapListChanged();
    // A new source replaced the channels; nothing tuned from the old one counts as previous.
    void sourceChanged();
    void guideChanged();

private:
    const Controls &c_;
    Player &player_;
    ConnectionMonitor &monitor_;
    std::shared_ptr<const ChannelSource> source_;
    TunerKind tuner_ = TunerKind::Radio;
    Rows zapList_;
    std::shared_ptr<const ChannelGuide> guide_;
    std::optional<TunedChannel> current_;
    std::optional<TunedChannel> previous_;
    bool tunedHere_ = false; // whether current_ was tuned from source_
};
