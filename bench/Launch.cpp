// Runs a program with BENCH_T0 set to the monotonic clock's reading taken right before exec, so
// the program's probe can tell how long its start took from the very beginning of the process.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

int main(int argc, char *argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_launch PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = now.tv_sec * 1'000'000'000LL + now.tv_nsec;
    setenv("BENCH_T0", std::to_string(ns).c_str(), 1);
    execvp(argv[1], argv + 1);
    std::perror(argv[1]);
    return 127;
}
