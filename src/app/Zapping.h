#pragma once

#include "bus/DesktopActions.h"
#include "catalogue/ChannelSource.h"
#include "zap/ChannelKeys.h"

#include <QObject>

#include <memory>

struct Controls;
class Banner;
class GuideViews;
class LogoCache;
class MprisService;
class NumberEntry;
class SearchPanel;
class TuningState;
class Zapper;

// The window's television keys and what follows them: zapping, number entry, the last channel,
// the banner with the channel's logo, the search, the programme guide and the desktop's media
// controls. The banner, the search field, the logos and the bus are made when first needed.
class Zapping : public QObject, public DesktopActions {
    Q_OBJECT
public:
    Zapping(const Controls &c, TuningState &tuning);
    ~Zapping() override;

    // Offers the window to the desktop's media keys and controls, under `desktopEntry`.
    void startDesktopControls(const QString &desktopEntry);
    MprisService *desktopControls() const { return mpris_; }

    void raise() override;
    void quit() override;
    void zap(int step) override;
    void setVolumeStep(int step) override;

    Zapper &zapper() { return *zapper_; }
    // Made on first use.
    Banner &banner();
    SearchPanel &search();
    GuideViews &guide() { return *guide_; }

signals:
    // The key that marks a channel as a favourite, or unmarks it.
    void favouriteKey();

private:
    void pressed(ChannelKeys::Action action, int digit);
    void showTuned(const ListItem &item, const Channel &channel);
    QVariant rowLogo(const ListItem &item);
    LogoCache &logos();
    void logoArrived(const QString &address);

    const Controls &c_;
    TuningState &tuning_;
    std::unique_ptr<NumberEntry> numbers_;
    std::unique_ptr<Zapper> zapper_;
    ChannelKeys *keys_;
    std::unique_ptr<GuideViews> guide_;
    Banner *banner_ = nullptr;
    SearchPanel *search_ = nullptr;
    LogoCache *logos_ = nullptr;
    MprisService *mpris_ = nullptr;
    QString bannerLogo_;  // the address of the logo the banner waits for or shows
    ListItem bannerItem_; // the channel the banner shows
};
