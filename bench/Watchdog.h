#pragma once
// How long the event loop of the thread it is made on was kept from running: a precise timer due
// every few milliseconds notes the longest gap between two of its ticks, less its period.

#include "ProcStat.h"

#include <QTimer>

#include <algorithm>

class Watchdog {
public:
    Watchdog() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = monotonicNs();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        timer_.start(Period);
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    // Forgets the stalls so far.
    void restart() {
        last_ = monotonicNs();
        longest_ = 0;
    }
    // The longest stall since the start, counting one still under way.
    double stallMs() const {
        const qint64 longest = std::max(longest_, monotonicNs() - last_);
        return double(std::max<qint64>(0, longest - Period * 1'000'000)) / 1e6;
    }

private:
    static constexpr int Period = 5;
    QTimer timer_;
    qint64 last_ = monotonicNs();
    qint64 longest_ = 0;
};
