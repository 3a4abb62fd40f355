#include "epg/GuideClock.h"

#include <QDateTime>

#include <algorithm>

namespace {

constexpr GuideTime LongestWait = 60;
// A timer may wake a little early; a programme that ends at a whole second has surely ended a
// little after it.
constexpr qint64 LateMs = 20;

} // namespace

GuideTime GuideClock::now() const {
    return set_ ? *set_ : QDateTime::currentSecsSinceEpoch();
}

std::optional<qint64> GuideClock::msUntil(GuideTime time) const {
    if (set_)
        return *set_ >= time ? std::optional<qint64>(0) : std::nullopt;
    return std::max<qint64>(0, time * 1000 - QDateTime::currentMSecsSinceEpoch() + LateMs);
}

void GuideClock::set(GuideTime time) {
    set_ = time;
    emit moved();
}

GuideAlarm::GuideAlarm(const GuideClock &clock, QObject *parent) : QObject(parent), clock_(clock) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &GuideAlarm::ring);
    connect(&clock_, &GuideClock::moved, this, &GuideAlarm::wait);
}

void GuideAlarm::ringBy(GuideTime time) {
    const GuideTime due = std::min(time, clock_.now() + LongestWait);
    if (due_ && *due_ <= due)
        return;
    due_ = due;
    wait();
}

void GuideAlarm::stop() {
    due_.reset();
    timer_.stop();
}

void GuideAlarm::wait() {
    if (!due_)
        return;
    if (const auto ms = clock_.msUntil(*due_))
        timer_.start(int(*ms));
    else
        timer_.stop();
}

void GuideAlarm::ring() {
    due_.reset();
    emit rang();
}
