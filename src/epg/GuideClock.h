#pragma once
// The time that the guide's views show: the system clock's, or one that stands where it was set,
// for checking what the views show as programmes end without waiting for them to. The views ask
// it for the time, and an alarm on it wakes them when what they show is due to change.

#include "guide/Guide.h"

#include <QObject>
#include <QTimer>

#include <optional>

class GuideClock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    GuideTime now() const;
    // Milliseconds until `time`: 0 once it has come; none while a set clock stands before it.
    std::optional<qint64> msUntil(GuideTime time) const;
    // From now on the time is `time`, standing still until set again.
    void set(GuideTime time);

signals:
    void moved();

private:
    std::optional<GuideTime> set_;
};

// Wakes a view when what it shows may have changed: at the earliest time that it was asked to,
// and a minute on at the latest, so that progress moves and a system clock set anew is followed.
class GuideAlarm : public QObject {
    Q_OBJECT
public:
    explicit GuideAlarm(const GuideClock &clock, QObject *parent = nullptr);

    // Rings by `time`; one ring answers every call made before it.
    void ringBy(GuideTime time);
    void stop();

signals:
    void rang();

private:
    void wait();
    void ring();

    const GuideClock &clock_;
    QTimer timer_;
    std::optional<GuideTime> due_;
};
