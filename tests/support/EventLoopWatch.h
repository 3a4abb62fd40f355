#pragma once
// Watches the event loop of the thread it is made on: a timer due every few milliseconds notes
// the longest gap between two of its ticks, which is how long the loop was kept from running.
// Time the thread spent ready to run but waiting for a processor is left out: that is the shared
// machine's other work, not the program's.

#include "support/TimeScale.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <compare>
#include <fstream>

class EventLoopWatch {
public:
    EventLoopWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        since_.start();
        at_ = schedStat();
        timer_.start(TickMs);
    }

    // The longest gap a test allows: 100 ms, stretched in slower builds.
    static qint64 allowedGapMs() { return 100 * timeScale(); }

    // The longest gap between two ticks so far, in milliseconds.
    qint64 longestGapMs() const { return std::max(longest_.heldMs, gapSinceTick().heldMs); }

    // Whether the loop kept within the allowed gap, and how long it was held, for a test's check:
    // also how much of that the thread spent at work itself, the rest being a wait on something
    // else (a lock, the display, the disk).
    bool keptRunning() const { return longestGapMs() < allowedGapMs(); }
    QByteArray held() const {
        const Gap gap = std::max(longest_, gapSinceTick());
        return "event loop held " + QByteArray::number(gap.heldMs) + " ms, at work for " +
               QByteArray::number(gap.workingMs) + " ms of it";
    }

private:
    static constexpr int TickMs = 5;

    // The kernel's counts of this thread's time on a processor and on a run queue (0 where it
    // keeps none), in nanoseconds.
    struct SchedStat {
        long long running = 0;
        long long waiting = 0;
    };
    static SchedStat schedStat() {
        std::ifstream stat("/proc/thread-self/schedstat");
        SchedStat now;
        stat >> now.running >> now.waiting;
        return now;
    }

    struct Gap {
        qint64 heldMs = 0;
        qint64 workingMs = 0;
        auto operator<=>(const Gap &) const = default;
    };
    Gap gapSinceTick() const {
        const SchedStat now = schedStat();
        return {.heldMs = since_.elapsed() - (now.waiting - at_.waiting) / 1'000'000,
                .workingMs = (now.running - at_.running) / 1'000'000};
    }

    void tick() {
        longest_ = std::max(longest_, gapSinceTick());
        since_.restart();
        at_ = schedStat();
    }

    QTimer timer_;
    QElapsedTimer since_;
    SchedStat at_;
    Gap longest_;
};
