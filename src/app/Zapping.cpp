#include "app/Zapping.h"

#include "app/GuideViews.h"
#include "bus/MprisService.h"
#include "catalogue/TuningState.h"
#include "form/Controls.h"
#include "logos/LogoCache.h"
#include "player/Player.h"
#include "player/PlayerControls.h"
#include "tuner/TunerList.h"
#include "zap/Banner.h"
#include "zap/NumberEntry.h"
#include "zap/SearchPanel.h"
#include "zap/Zapper.h"

#include <QIcon>
#include <QLabel>
#include <QSlider>

namespace {

// A playlist names local logos only when it was itself read from a local file.
constexpr bool LocalLogos = true;

} // namespace

Zapping::Zapping(const Controls &c, TuningState &tuning)
    : QObject(c.mainForm), c_(c), tuning_(tuning),
      numbers_(
          std::make_unique<NumberEntry>([&tuning] { return tuning.source().channelNumbers(); })),
      zapper_(std::make_unique<Zapper>(c, tuning)),
      keys_(new ChannelKeys(
          c.mainForm, [&tuning] { return tuning.player().isFullScreen(); },
          [this] { return numbers_->collecting(); }, [this] { return guide_->guided(); })),
      guide_(
          std::make_unique<GuideViews>(c, tuning, *zapper_, *keys_, [this](const QString &address) {
              return logos().logo(address, LocalLogos);
          })) {
    connect(keys_, &ChannelKeys::pressed, this,
            [this](ChannelKeys::Action action, int digit, bool) { pressed(action, digit); });
    connect(&tuning_, &TuningState::sourceChanged, this, [this] { numbers_->forget(); });
    connect(&tuning_, &TuningState::tuned, this,
            [this](const TunedChannel &tuned) { showTuned(tuned.item, tuned.channel); });
    connect(zapper_.get(), &Zapper::heading, this, &Zapping::showTuned);
    c.lstTuner->rows().setDecoration([this](const ListItem &item) { return rowLogo(item); });
    connect(numbers_.get(), &NumberEntry::digitsChanged, this,
            [this](const QString &digits) { banner().showDigits(digits); });
    connect(numbers_.get(), &NumberEntry::chosen, zapper_.get(), &Zapper::tuneNumber);
    connect(numbers_.get(), &NumberEntry::lastChannel, zapper_.get(), &Zapper::tuneLast);
    connect(numbers_.get(), &NumberEntry::notFound, this, [this](const QString &digits) {
        banner().showMessage(QStringLiteral("No channel %1").arg(digits));
    });
}

Zapping::~Zapping() = default;

Banner &Zapping::banner() {
    if (banner_ == nullptr)
        banner_ = new Banner(
            c_.videoControl, [this] { return c_.lblBuffering->text(); },
            [this] { return guide_->programmes(bannerItem_); });
    return *banner_;
}

LogoCache &Zapping::logos() {
    if (logos_ == nullptr) {
        logos_ = new LogoCache({}, this);
        connect(logos_, &LogoCache::arrived, this, &Zapping::logoArrived);
    }
    return *logos_;
}

void Zapping::showTuned(const ListItem &item, const Channel &channel) {
    bannerItem_ = item;
    banner().showChannel(channel);
    bannerLogo_ = channel.logo;
    if (!bannerLogo_.isEmpty())
        banner().setLogo(logos().logo(bannerLogo_, LocalLogos));
}

// The list asks for the rows on view only, so only their logos are fetched.
QVariant Zapping::rowLogo(const ListItem &item) {
    if (item.kind != ListItem::Kind::Channel || item.id < 0)
        return {};
    const auto channel = tuning_.source().channel(item);
    if (!channel || channel->logo.isEmpty())
        return {};
    const QImage logo = logos().logo(channel->logo, LocalLogos);
    return logo.isNull() ? QVariant() : QVariant(QIcon(QPixmap::fromImage(logo)));
}

void Zapping::logoArrived(const QString &address) {
    if (address == bannerLogo_ && banner_ != nullptr)
        banner_->setLogo(logos().logo(address, LocalLogos));
    c_.lstTuner->rows().decorationsChanged();
    guide_->logoArrived();
}

void Zapping::startDesktopControls(const QString &desktopEntry) {
    if (mpris_ == nullptr)
        mpris_ = new MprisService(tuning_, *this, desktopEntry, this);
}

void Zapping::raise() {
    if (c_.mainForm->isMinimized())
        c_.mainForm->showNormal();
    c_.mainForm->raise();
    c_.mainForm->activateWindow();
}

void Zapping::quit() {
    c_.mainForm->close();
}

void Zapping::zap(int step) {
    zapper_->zap(step);
}

void Zapping::setVolumeStep(int step) {
    c_.sldMainVolume->setSliderPosition(step);
    sldMainVolumeScroll(c_, tuning_.player());
}

SearchPanel &Zapping::search() {
    if (search_ == nullptr)
        search_ = new SearchPanel(c_, tuning_);
    return *search_;
}

void Zapping::pressed(ChannelKeys::Action action, int digit) {
    using Action = ChannelKeys::Action;
    switch (action) {
    case Action::Next:
        zapper_->zap(1);
        break;
    case Action::Previous:
        zapper_->zap(-1);
        break;
    case Action::Digit:
        numbers_->type(digit);
        break;
    case Action::Enter:
        numbers_->enter();
        break;
    case Action::Escape:
        numbers_->drop();
        break;
    case Action::Last:
        zapper_->tuneLast();
        break;
    case Action::Banner:
        banner().toggle();
        break;
    case Action::Search:
        search().open();
        break;
    case Action::Guide:
        guide_->toggle();
        break;
    case Action::Favourite:
        emit favouriteKey();
        break;
    }
}
