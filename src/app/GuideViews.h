#pragma once

#include <QObject>

#include <functional>

struct Controls;
struct BannerProgrammes;
class ChannelKeys;
class GuideClock;
class GuideGrid;
class ListGuide;
struct ListItem;
class QImage;
class QString;
class TuningState;
class Zapper;

// What the window shows of the programme guide: the programmes on now in the side panel's list,
// now and next on the banner, and the guide grid over the video on the guide key. Without a
// guide the window is as it was. The grid is made when first opened.
class GuideViews : public QObject {
    Q_OBJECT
public:
    // `logo` gives the logo at an address once it is at hand.
    GuideViews(const Controls &c, TuningState &tuning, Zapper &zapper, ChannelKeys &keys,
               std::function<QImage(const QString &)> logo);
    ~GuideViews() override;

    // There is a guide to show.
    bool guided() const;
    // The guide key: opens the grid, or closes it.
    void toggle();
    BannerProgrammes programmes(const ListItem &item) const;
    void logoArrived();

    GuideClock &clock() { return *clock_; }
    GuideGrid &grid();

private:
    const Controls &c_;
    TuningState &tuning_;
    Zapper &zapper_;
    ChannelKeys &keys_;
    std::function<QImage(const QString &)> logo_;
    GuideClock *clock_;
    ListGuide *list_;
    GuideGrid *grid_ = nullptr;
};
