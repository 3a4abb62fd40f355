#include "zap/Zapper.h"

#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "tuner/GenreLists.h"
#include "tuner/TunerList.h"

namespace {

// Keys repeat every 30-100 ms when held; a channel takes longer than this to open.
constexpr int SettleMs = 350;

} // namespace

Zapper::Zapper(const Controls &c, TuningState &tuning) : c_(c), tuning_(tuning) {
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    connect(&settle_, &QTimer::timeout, this, &Zapper::settled);
    // A new list of channels leaves nothing to tune from the old one.
    connect(&tuning_, &TuningState::zapListChanged, this, [this] { aimed_.reset(); });
}

void Zapper::zap(int step) {
    const auto row = tuning_.zapRow(step, aimed_);
    if (!row)
        return;
    if (!settle_.isActive()) {
        settle_.start();
        tuneRow(*row);
        return;
    }
    settle_.start();
    aimed_ = row;
    const ListItem item = tuning_.zapList()->item(*row);
    if (c_.lstTuner->shows(tuning_.zapList()))
        c_.lstTuner->selectRow(int(*row));
    if (const auto channel = tuning_.source().channel(item))
        emit heading(item, *channel);
}

void Zapper::settled() {
    if (const auto row = std::exchange(aimed_, std::nullopt))
        tuneRow(*row);
}

void Zapper::tuneNumber(qint32 number) {
    if (const auto item = tuning_.source().numberedChannel(number))
        tuneItem(*item);
}

void Zapper::tuneLast() {
    if (const auto &previous = tuning_.previous())
        tuneItem(previous->item);
}

void Zapper::tuneItem(const ListItem &item) {
    aimed_.reset();
    const Rows &zapList = tuning_.zapList();
    const qsizetype row = zapList != nullptr ? zapList->find(item) : -1;
    if (row >= 0)
        tuneRow(row);
    else
        tuning_.tune(item);
}

// As a click on the row: through the list's own handler where the list shows the row.
void Zapper::tuneRow(qsizetype row) {
    aimed_.reset();
    if (c_.lstTuner->shows(tuning_.zapList())) {
        c_.lstTuner->selectRow(int(row));
        lstTunerClick(c_, tuning_);
    } else {
        tuning_.tune(tuning_.zapList()->item(row));
    }
}
