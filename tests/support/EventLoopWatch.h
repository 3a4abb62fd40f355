#pragma once
// Watches the event loop of the thread it is made on: a timer due every few milliseconds notes
// the longest gap between two of its ticks, which is how long the loop was kept from running.
// Time the thread spent ready to run but waiting for a processor is left out, and so is time the
// virtual machine's host took the processors away: that is the shared machine's other work, not
// the program's.

#include "support/TimeScale.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <compare>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

class EventLoopWatch {
public:
    EventLoopWatch() : thread_(QStringLiteral("/proc/self/task/%1/").arg(gettid())) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        since_.start();
        at_ = schedStat();
        stolenAt_ = stolen();
        tickedAt_ = monotonicMs();
        timer_.start(TickMs);
        looker_ = std::jthread([this](std::stop_token stop) { look(stop); });
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
        const std::lock_guard lock(seenMutex_);
        return "event loop held " + QByteArray::number(gap.heldMs) + " ms, at work for " +
               QByteArray::number(gap.workingMs) +
               " ms of it; seen waiting in: " + seenWaiting_.join(", ");
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
    // Time the virtual machine's host took from each processor, in its clock ticks.
    static std::vector<long long> stolen() {
        std::ifstream stat("/proc/stat");
        std::vector<long long> steal;
        std::string line;
        while (std::getline(stat, line) && line.starts_with("cpu")) {
            if (line.starts_with("cpu "))
                continue;
            std::istringstream fields(line.substr(line.find(' ')));
            long long value = 0;
            for (int field = 0; field < 8 && fields >> value; ++field) {
            }
            steal.push_back(value);
        }
        return steal;
    }

    // The most the host took from one processor since the last tick: the thread may have been
    // on either, and a stolen processor fires no timer.
    qint64 stolenSinceTickMs() const {
        const std::vector<long long> now = stolen();
        long long most = 0;
        for (size_t cpu = 0; cpu < std::min(now.size(), stolenAt_.size()); ++cpu)
            most = std::max(most, now[cpu] - stolenAt_[cpu]);
        return most * 1000 / std::max(1L, sysconf(_SC_CLK_TCK));
    }

    Gap gapSinceTick() const {
        const SchedStat now = schedStat();
        return {.heldMs = since_.elapsed() - (now.waiting - at_.waiting) / 1'000'000 -
                          stolenSinceTickMs(),
                .workingMs = (now.running - at_.running) / 1'000'000};
    }

    void tick() {
        longest_ = std::max(longest_, gapSinceTick());
        since_.restart();
        at_ = schedStat();
        stolenAt_ = stolen();
        tickedAt_ = monotonicMs();
    }

    // While a gap lasts longer than a few ticks, notes where the kernel has the watched thread
    // wait (its wait channel and system call), so that a failure says what held it.
    void look(const std::stop_token &stop) {
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (monotonicMs() - tickedAt_ < 50)
                continue;
            QFile wchan(thread_ + QStringLiteral("wchan"));
            QFile syscall(thread_ + QStringLiteral("syscall"));
            if (!wchan.open(QIODevice::ReadOnly) || !syscall.open(QIODevice::ReadOnly))
                continue;
            const QByteArray where = wchan.readAll() + " (system call " +
                                     syscall.readLine().split(' ').value(0).trimmed() + ")";
            const std::lock_guard lock(seenMutex_);
            if (!seenWaiting_.contains(where) && seenWaiting_.size() < 8)
                seenWaiting_.append(where);
        }
    }

    QTimer timer_;
    QElapsedTimer since_;
    SchedStat at_;
    std::vector<long long> stolenAt_;
    Gap longest_;
    const QString thread_; // the watched thread's folder under /proc
    std::atomic<qint64> tickedAt_ = 0;
    mutable std::mutex seenMutex_;
    QByteArrayList seenWaiting_;
    std::jthread looker_; // last, so that it ends before the rest goes
};
