#include "app/GuideViews.h"

#include "catalogue/TuningState.h"
#include "epg/GuideClock.h"
#include "epg/GuideGrid.h"
#include "epg/ListGuide.h"
#include "epg/ProgrammeText.h"
#include "form/Controls.h"
#include "tuner/TunerList.h"
#include "zap/Banner.h"
#include "zap/ChannelKeys.h"
#include "zap/Zapper.h"

#include <QImage>

namespace {

QString said(const ChannelGuide &guide, const ProgrammeSlot &slot) {
    return timeSpan(slot.start, slot.stop) + u' ' + guide.title(slot);
}

} // namespace

GuideViews::GuideViews(const Controls &c, TuningState &tuning, Zapper &zapper, ChannelKeys &keys,
                       std::function<QImage(const QString &)> logo)
    : c_(c), tuning_(tuning), zapper_(zapper), keys_(keys), logo_(std::move(logo)),
      clock_(new GuideClock(this)), list_(new ListGuide(*c.lstTuner, *clock_)) {
    connect(&tuning_, &TuningState::guideChanged, this,
            [this] { list_->setGuide(tuning_.guide()); });
    list_->setGuide(tuning_.guide());
}

GuideViews::~GuideViews() = default;

bool GuideViews::guided() const {
    const auto &guide = tuning_.guide();
    return guide != nullptr && guide->matchedEntries() > 0 &&
           guide->lastStop() > guide->firstStart();
}

GuideGrid &GuideViews::grid() {
    if (grid_ == nullptr) {
        grid_ = new GuideGrid(c_.videoControl, tuning_, *clock_, logo_);
        keys_.leaveKeysTo(grid_);
        connect(grid_, &GuideGrid::chosen, &zapper_, &Zapper::tuneRow);
    }
    return *grid_;
}

void GuideViews::toggle() {
    if (grid_ != nullptr && grid_->isOpen())
        grid_->close();
    else if (guided())
        grid().open();
}

BannerProgrammes GuideViews::programmes(const ListItem &item) const {
    const auto &guide = tuning_.guide();
    if (guide == nullptr || item.kind != ListItem::Kind::Channel || !guide->hasChannel(item.id))
        return {};
    const GuideTime now = clock_->now();
    BannerProgrammes programmes;
    const auto on = guide->at(item.id, now);
    if (on) {
        programmes.now = said(*guide, *on);
        programmes.run = runFraction(on->start, on->stop, now);
    }
    if (const auto next = guide->after(item.id, on ? on->stop - 1 : now))
        programmes.next = said(*guide, *next);
    return programmes;
}

void GuideViews::logoArrived() {
    if (grid_ != nullptr && grid_->isOpen())
        grid_->viewport()->update();
}
