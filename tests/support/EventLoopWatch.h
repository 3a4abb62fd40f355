#pragma once
// Watches the event loop of the thread it is made on: a timer due every few milliseconds notes
// the longest gap between two of its ticks, which is how long the loop was kept from running.

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

class EventLoopWatch {
public:
    EventLoopWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, since_.restart()); });
        since_.start();
        timer_.start(TickMs);
    }

    // The longest gap a test allows: 100 ms, longer by RUREDIVU_TIME_SCALE in builds that run
    // several times slower than the program does (the sanitizer build).
    static qint64 allowedGapMs() {
        return 100 * std::max(1, qEnvironmentVariableIntValue("RUREDIVU_TIME_SCALE"));
    }

    // The longest gap between two ticks so far, in milliseconds.
    qint64 longestGapMs() const { return std::max(longest_, since_.elapsed()); }

private:
    static constexpr int TickMs = 5;
    QTimer timer_;
    QElapsedTimer since_;
    qint64 longest_ = 0;
};
