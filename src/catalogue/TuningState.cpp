#include "catalogue/TuningState.h"

#include "catalogue/Tuning.h"

namespace {

bool sameItem(const ListItem &a, const ListItem &b) {
    return a.kind == b.kind && a.id == b.id && a.text == b.text;
}

} // namespace

TuningState::TuningState(const Controls &c, Player &player, ConnectionMonitor &monitor,
                         std::shared_ptr<const ChannelSource> source)
    : c_(c), player_(player), monitor_(monitor), source_(std::move(source)) {}

void TuningState::setSource(std::shared_ptr<const ChannelSource> source) {
    source_ = std::move(source);
    previous_.reset();
    tunedHere_ = false;
    setZapList({});
    emit sourceChanged();
    setGuide({});
}

void TuningState::setGuide(std::shared_ptr<const ChannelGuide> guide) {
    if (guide == guide_)
        return;
    guide_ = std::move(guide);
    emit guideChanged();
}

void TuningState::setZapList(Rows rows) {
    zapList_ = std::move(rows);
    emit zapListChanged();
}

std::optional<qsizetype> TuningState::zapRow(int step, std::optional<qsizetype> from) const {
    const qsizetype size = zapList_ != nullptr ? zapList_->size() : 0;
    if (size == 0 || step == 0)
        return std::nullopt;
    qsizetype row = from ? *from : current_ ? zapList_->find(current_->item) : -1;
    if (row < 0)
        row = step > 0 ? -1 : size;
    const int direction = step > 0 ? 1 : -1;
    // Every row is looked at once at most, so a list that tunes nothing ends the search.
    for (int left = std::abs(step); left > 0;) {
        for (qsizetype tried = 0;; ++tried) {
            if (tried == size)
                return std::nullopt;
            row = ((row + direction) % size + size) % size;
            if (source_->channel(zapList_->item(row)))
                break;
        }
        --left;
    }
    return row;
}

void TuningState::recall(const ListItem &item) {
    if (tunedHere_)
        return;
    if (std::optional<Channel> channel = source_->channel(item))
        previous_ = TunedChannel{item, std::move(*channel)};
}

bool TuningState::tune(const ListItem &item) {
    std::optional<Channel> channel = source_->channel(item);
    TuneChannel(c_, player_, monitor_, channel);
    if (!channel)
        return false;
    // A channel of the source before is no channel of this one.
    if (current_ && tunedHere_ && !sameItem(current_->item, item))
        previous_ = current_;
    tunedHere_ = true;
    current_ = TunedChannel{item, std::move(*channel)};
    emit tuned(*current_);
    return true;
}
