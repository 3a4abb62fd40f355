#pragma once
// The tests' servers and the live feeds behind them stand in for machines of their own: they run
// ahead of the program under test and of the machine's other work, so that a busy machine slows
// the player down, not the source it plays. Raising a priority needs root; elsewhere nothing
// changes.

#include <sys/resource.h>

// For the calling thread (a server's), or a child process before it starts its program.
inline void runAsOrigin() {
    ::setpriority(PRIO_PROCESS, 0, -10);
}
