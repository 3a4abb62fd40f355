#pragma once
// Builds that run several times slower than the program does (the sanitizer's) stretch every
// wait and every limit of the tests by RUREDIVU_TIME_SCALE; 1 elsewhere.

#include <QtGlobal>

#include <algorithm>

inline int timeScale() {
    return std::max(1, qEnvironmentVariableIntValue("RUREDIVU_TIME_SCALE"));
}
