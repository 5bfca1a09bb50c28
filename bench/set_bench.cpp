// A rotation set beside the one plain file of its concatenation: the real
// program in a pseudo-terminal opens each (first screen, once the
// compressed files are indexed) and runs a whole report with the default
// options over it; the figures are ratios of the set to the plain file,
// measured side by side. A directory of many small files shows the peak
// memory of a set of that many files. Up and Down steps across the set's
// file boundaries are timed beside as many steps inside one of its
// compressed files and inside the plain file.
//
//   ferntrack_set_bench SETDIR PLAINLOG MANYDIR [--binary PATH] [--runs N]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "terminalbench.h"

namespace {

// CPU seconds (user and system) a process has used so far.
double CpuOf(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int k = 3; k <= 15 && fields >> field; ++k)
        if (k >= 14)
            ticks += std::atof(field.c_str());
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Figures {
    double firstScreen = 0;
    double report = 0;
    double reportCpu = 0;
    long peakKb = 0;
    long long reportBytes = 0;
    std::string reportText;
};

// One start on the log in the home (which keeps the index of compressed
// files between starts) and one report over the whole log.
Figures Run(const std::string& binary, e2e::TempHome& home)
{
    Figures f;
    auto start = BenchClock::now();
    e2e::Terminal term({binary}, home.Environment(), 24, 80);
    if (!WaitFast(term, [&] { return e2e::BrowseShown(term); }, 900))
        throw std::runtime_error("no first screen:\n" + term.Screen());
    f.firstScreen = Since(start);
    term.Send("l");
    if (!WaitFast(term, [&] { return term.Screen().find("Press <enter> to go") != std::string::npos; }, 60))
        throw std::runtime_error("no options screen:\n" + term.Screen());
    start = BenchClock::now();
    double cpu = CpuOf(term.Pid());
    term.Send("\r");
    if (!WaitFast(term, [&] { return e2e::StatusRow(term).rfind("temp.txt made: ", 0) == 0; }, 1200))
        throw std::runtime_error("no view offer:\n" + term.Screen());
    f.report = Since(start);
    f.reportCpu = CpuOf(term.Pid()) - cpu;
    f.peakKb = PeakKb(term.Pid());
    term.Send("n");
    if (e2e::ExitCleanly(term) != 0)
        throw std::runtime_error("no clean exit");
    f.reportText = home.ReadFile(".ferntrack/temp.txt");
    f.reportBytes = static_cast<long long>(f.reportText.size());
    return f;
}

// Steps each way at a position: up, twice as many down, up again, so the
// boundary in the middle of the screen is crossed four times.
constexpr int kSteps = 300;

// The screen at rest: no change for a while.
void Settle(e2e::Terminal& term)
{
    std::string last = term.Screen();
    auto still = BenchClock::now();
    while (Since(still) < 0.3) {
        term.Pump(0.02);
        std::string now = term.Screen();
        if (now != last) {
            last = now;
            still = BenchClock::now();
        }
    }
}

// Seconds of Up and Down steps at each of the percentages of the log
// (goto, then the steps, timed to the options screen a last key opens).
double StepAround(const std::string& binary, e2e::TempHome& home, const std::vector<int>& percents)
{
    e2e::Terminal term({binary}, home.Environment(), 24, 80);
    if (!WaitFast(term, [&] { return e2e::BrowseShown(term); }, 900))
        throw std::runtime_error("no first screen:\n" + term.Screen());
    std::string keys;
    for (int i = 0; i < kSteps; ++i)
        keys += e2e::key::Up;
    for (int i = 0; i < 2 * kSteps; ++i)
        keys += e2e::key::Down;
    for (int i = 0; i < kSteps; ++i)
        keys += e2e::key::Up;
    double total = 0;
    for (int p : percents) {
        term.Send("g");
        if (!WaitFast(term, [&] { return term.Screen().find("Goto percentage: ") != std::string::npos; }, 60))
            throw std::runtime_error("no goto prompt:\n" + term.Screen());
        term.Send(std::to_string(p) + "\r");
        Settle(term);
        auto start = BenchClock::now();
        term.Send(keys + "l");
        if (!WaitFast(term, [&] { return term.Screen().find("Press <enter> to go") != std::string::npos; }, 120))
            throw std::runtime_error("no options screen after the steps:\n" + term.Screen());
        total += Since(start);
        term.Send("q");
        if (!WaitFast(term, [&] { return e2e::BrowseShown(term); }, 60))
            throw std::runtime_error("not back from the options screen:\n" + term.Screen());
    }
    if (e2e::ExitCleanly(term) != 0)
        throw std::runtime_error("no clean exit");
    return total;
}

void Home(e2e::TempHome& home, const std::string& log)
{
    home.Link("log1", log);
    home.WriteFile(e2e::kConfFile, "iMonitorMode=0\n");
    home.WriteFile(e2e::kWordsFile, "setup\nplayer\nreadme\n!logo\n");
}

}  // namespace

int main(int argc, char** argv)
{
    BenchArgs args;
    if (!ParseBenchArgs(argc, argv, 3, "SETDIR PLAINLOG MANYDIR", args))
        return 2;
    try {
        e2e::TempHome setHome, plainHome, manyHome;
        Home(setHome, args.logs[0]);
        Home(plainHome, args.logs[1]);
        Home(manyHome, args.logs[2]);
        TimeShell("cat '" + args.logs[1] + "' '" + args.logs[0] + "'/* | wc -l" + SinkRedirect());
        // The first start over the set builds the compressed files' index.
        Figures indexing = Run(args.binary, setHome);
        Figures set, plain;
        for (int r = 0; r < args.runs; ++r) {
            Figures p = Run(args.binary, plainHome);
            Figures s = Run(args.binary, setHome);
            if (r == 0 || p.report < plain.report) {
                plain.report = p.report;
                plain.reportCpu = p.reportCpu;
            }
            if (r == 0 || s.report < set.report) {
                set.report = s.report;
                set.reportCpu = s.reportCpu;
            }
            if (r == 0 || p.firstScreen < plain.firstScreen)
                plain.firstScreen = p.firstScreen;
            if (r == 0 || s.firstScreen < set.firstScreen)
                set.firstScreen = s.firstScreen;
            plain.reportBytes = p.reportBytes;
            set.reportBytes = s.reportBytes;
            plain.reportText = p.reportText;
            set.reportText = s.reportText;
            plain.peakKb = std::max(plain.peakKb, p.peakKb);
            set.peakKb = std::max(set.peakKb, s.peakKb);
        }
        // The 8 files are equal parts by bytes: 25, 50 and 75 % are file
        // boundaries, 20, 45 and 70 % lie inside compressed files.
        const std::vector<int> boundaries = {25, 50, 75}, inside = {20, 45, 70};
        double across = 0, within = 0, plainSteps = 0;
        for (int r = 0; r < args.runs; ++r) {
            double a = StepAround(args.binary, setHome, boundaries);
            double w = StepAround(args.binary, setHome, inside);
            double p = StepAround(args.binary, plainHome, boundaries);
            across = r == 0 ? a : std::min(across, a);
            within = r == 0 ? w : std::min(within, w);
            plainSteps = r == 0 ? p : std::min(plainSteps, p);
        }
        Figures many = Run(args.binary, manyHome);
        std::printf("set %s beside %s, best of %d run(s)\n", args.logs[0].c_str(), args.logs[1].c_str(), args.runs);
        std::printf("%-28s %9.3f s   (first start: index build, report %.3f s)\n", "set_first_start_screen",
                    indexing.firstScreen, indexing.report);
        std::printf("%-28s %9.3f s\n", "plain_first_screen", plain.firstScreen);
        std::printf("%-28s %9.3f s   ratio_to_plain %5.2f\n", "set_first_screen", set.firstScreen,
                    set.firstScreen / plain.firstScreen);
        std::printf("%-28s %9.3f s   cpu %.3f s\n", "plain_report", plain.report, plain.reportCpu);
        std::printf("%-28s %9.3f s   cpu %.3f s   ratio_to_plain %5.2f   cpu_ratio %5.2f\n", "set_report",
                    set.report, set.reportCpu, set.report / plain.report, set.reportCpu / plain.reportCpu);
        std::printf("%-28s %9.3f     (set report / (plain report + first start's index build))\n",
                    "ratio_to_plain_plus_index", set.report / (plain.report + indexing.firstScreen));
        std::printf("%-28s %9.3f s   (%d steps at each of 3 file boundaries)\n", "steps_across_boundaries", across,
                    4 * kSteps);
        std::printf("%-28s %9.3f s   ratio_across_to_within %5.2f\n", "steps_inside_gzip_files", within,
                    across / within);
        std::printf("%-28s %9.3f s   ratio_across_to_plain %5.2f\n", "steps_in_plain_file", plainSteps,
                    across / plainSteps);
        std::printf("%-28s %lld / %lld bytes, %s\n", "report_files_set_plain", set.reportBytes, plain.reportBytes,
                    set.reportText == plain.reportText ? "identical" : "DIFFERENT");
        std::printf("%-28s %9ld kB / %ld kB\n", "peak_rss_set_plain", set.peakKb, plain.peakKb);
        std::printf("%-28s %9ld kB   (%s)\n", "peak_rss_many_files", many.peakKb, args.logs[2].c_str());
        std::printf("set_report_target %s (<= 1.10)\n", set.report <= 1.10 * plain.report ? "met" : "MISSED");
        std::printf("boundary_step_target %s (across <= 1.05 x within: no more than the noise of one run)\n",
                    across <= 1.05 * within ? "met" : "MISSED");
        std::printf("first_screen_target %s (set < 0.1 s)\n", set.firstScreen < 0.1 ? "met" : "MISSED");
        std::printf("many_files_memory_target %s (< 32768 kB)\n", many.peakKb < 32768 ? "met" : "MISSED");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ferntrack_set_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
