#pragma once
// The tests' clock. Builds that run several times slower than the program does (the sanitizer's)
// stretch every wait and every limit of the tests by RUREDIVU_TIME_SCALE; 1 elsewhere.

#include <QtGlobal>

#include <algorithm>
#include <chrono>

inline int timeScale() {
    return std::max(1, qEnvironmentVariableIntValue("RUREDIVU_TIME_SCALE"));
}

// Milliseconds on the monotonic clock that all threads and processes share, the one the programs
// under test write their moments in.
inline qint64 monotonicMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}
