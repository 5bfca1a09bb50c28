// What the benchmarks that drive the real program in a pseudo-terminal
// share: a clock, a fast wait on the screen, timed shell commands and the
// program's peak memory.
#pragma once

#include <limits.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

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

// Where the baselines' output goes: a file of the build folder, never a
// system path.
inline std::string SinkRedirect() { return " >'" + std::string(FERNTRACK_BUILD_DIR) + "/bench-sink'"; }

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

// The command line of a terminal benchmark: its log files, then
// [--binary PATH] [--runs N].
struct BenchArgs {
    // Made absolute: the link in the private directory must work from anywhere.
    std::vector<std::string> logs;
    std::string binary = FERNTRACK_BINARY;
    int runs = 1;
    // A words file to use instead of the benchmark's own (--words PATH).
    std::string words;
};

// False, after saying why on standard error, unless exactly `logs` files
// were named and all of them exist.
inline bool ParseBenchArgs(int argc, char** argv, size_t logs, const char* usage, BenchArgs& out)
{
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--binary" && i + 1 < argc)
            out.binary = argv[++i];
        else if (arg == "--words" && i + 1 < argc)
            out.words = argv[++i];
        else if (arg == "--runs" && i + 1 < argc)
            out.runs = std::max(1, std::atoi(argv[++i]));
        else if (out.logs.size() < logs && arg[0] != '-')
            out.logs.push_back(arg);
        else
            ok = false;
    }
    if (!ok || out.logs.size() != logs) {
        std::fprintf(stderr, "usage: %s %s [--binary PATH] [--runs N] [--words PATH]\n", argv[0], usage);
        return false;
    }
    for (std::string& log : out.logs) {
        char* absolute = ::realpath(log.c_str(), nullptr);
        if (absolute == nullptr) {
            std::fprintf(stderr, "%s: cannot find %s\n", argv[0], log.c_str());
            return false;
        }
        log = absolute;
        std::free(absolute);
    }
    return true;
}
