#pragma once

#include "guide/ChannelGuide.h"

#include <QObject>

#include <memory>
#include <optional>

class GuideAlarm;
class GuideClock;
struct ListItem;
class ProgrammeDelegate;
class TunerList;

// The guide in the side panel's list: under each channel's name its programme on now, with its
// start, title and progress, and the same in the row's tooltip and accessible text. The rows on
// view follow the clock: what they show is looked up as they are painted, and one alarm wakes
// the list when the first of those programmes ends. Without a guide the list is as it was.
class ListGuide : public QObject {
    Q_OBJECT
public:
    ListGuide(TunerList &list, const GuideClock &clock);
    ~ListGuide() override;

    void setGuide(std::shared_ptr<const ChannelGuide> guide);

private:
    friend class ProgrammeDelegate;
    // The programme on now on the channel of the list's row, if any.
    std::optional<ProgrammeSlot> onNow(const ListItem &item) const;
    // Asks to be woken when what `item`'s row shows is due to change.
    void follow(const ListItem &item, const std::optional<ProgrammeSlot> &now);
    QString programmeText(const ListItem &item) const;

    TunerList &list_;
    const GuideClock &clock_;
    std::shared_ptr<const ChannelGuide> guide_;
    ProgrammeDelegate *delegate_;
    GuideAlarm *alarm_;
};
