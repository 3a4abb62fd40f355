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
#include <fstream>

class EventLoopWatch {
public:
    EventLoopWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        since_.start();
        waited_ = waitedForProcessorNs();
        timer_.start(TickMs);
    }

    // The longest gap a test allows: 100 ms, stretched in slower builds.
    static qint64 allowedGapMs() { return 100 * timeScale(); }

    // The longest gap between two ticks so far, in milliseconds.
    qint64 longestGapMs() const { return std::max(longest_, gapSinceTick()); }

    // Whether the loop kept within the allowed gap, and how long it was held, for a test's check.
    bool keptRunning() const { return longestGapMs() < allowedGapMs(); }
    QByteArray held() const {
        return "event loop held " + QByteArray::number(longestGapMs()) + " ms";
    }

private:
    static constexpr int TickMs = 5;

    // The kernel's count of this thread's time on a run queue (0 where it keeps none).
    static qint64 waitedForProcessorNs() {
        std::ifstream stat("/proc/thread-self/schedstat");
        long long running = 0;
        long long waiting = 0;
        stat >> running >> waiting;
        return waiting;
    }

    qint64 gapSinceTick() const {
        return since_.elapsed() - (waitedForProcessorNs() - waited_) / 1'000'000;
    }

    void tick() {
        longest_ = std::max(longest_, gapSinceTick());
        since_.restart();
        waited_ = waitedForProcessorNs();
    }

    QTimer timer_;
    QElapsedTimer since_;
    qint64 waited_ = 0; // nanoseconds
    qint64 longest_ = 0;
};
