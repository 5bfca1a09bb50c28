// What the benchmarks that drive the real program in a pseudo-terminal
// share: a clock, a fast wait on the screen, timed shell commands and the
// program's peak memory.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "fixture.h"

using BenchClock = std::chrono::steady_clock;

inline double Since(BenchClock::time_point start)
{
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

// Polls the screen every couple of milliseconds, so the figures are not
// rounded up to the harness's usual 50 ms steps.
inline bool WaitFast(e2e::Terminal& term, const std::function<bool()>& condition, double seconds)
{
    auto start = BenchClock::now();
    while (!condition()) {
        if (Since(start) > seconds || !term.Running())
            return false;
        term.Pump(0.002);
    }
    return true;
}

inline double TimeShell(const std::string& command)
{
    auto start = BenchClock::now();
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
    return Since(start);
}

// Peak resident memory of a process (VmHWM), in kB; -1 when unknown.
inline long PeakKb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}
