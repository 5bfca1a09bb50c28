// A rotation set beside the one plain file of its concatenation: the real
// program in a pseudo-terminal opens each (first screen, once the
// compressed files are indexed) and runs a whole report with the default
// options over it; the figures are ratios of the set to the plain file,
// measured side by side. A directory of many small files shows the peak
// memory of a set of that many files.
//
//   ferntrack_set_bench SETDIR PLAINLOG MANYDIR [--binary PATH] [--runs N]
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "terminalbench.h"

namespace {

struct Figures {
    double firstScreen = 0;
    double report = 0;
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
    term.Send("\r");
    if (!WaitFast(term, [&] { return e2e::StatusRow(term).rfind("temp.txt made: ", 0) == 0; }, 1200))
        throw std::runtime_error("no view offer:\n" + term.Screen());
    f.report = Since(start);
    f.peakKb = PeakKb(term.Pid());
    term.Send("n");
    if (e2e::ExitCleanly(term) != 0)
        throw std::runtime_error("no clean exit");
    f.reportText = home.ReadFile(".ferntrack/temp.txt");
    f.reportBytes = static_cast<long long>(f.reportText.size());
    return f;
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
        TimeShell("cat '" + args.logs[1] + "' '" + args.logs[0] + "'/* >/dev/null");
        // The first start over the set builds the compressed files' index.
        Figures indexing = Run(args.binary, setHome);
        Figures set, plain;
        for (int r = 0; r < args.runs; ++r) {
            Figures p = Run(args.binary, plainHome);
            Figures s = Run(args.binary, setHome);
            if (r == 0 || p.report < plain.report)
                plain.report = p.report;
            if (r == 0 || s.report < set.report)
                set.report = s.report;
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
        Figures many = Run(args.binary, manyHome);
        std::printf("set %s beside %s, best of %d run(s)\n", args.logs[0].c_str(), args.logs[1].c_str(), args.runs);
        std::printf("%-28s %9.3f s   (first start: index build, report %.3f s)\n", "set_first_start_screen",
                    indexing.firstScreen, indexing.report);
        std::printf("%-28s %9.3f s\n", "plain_first_screen", plain.firstScreen);
        std::printf("%-28s %9.3f s   ratio_to_plain %5.2f\n", "set_first_screen", set.firstScreen,
                    set.firstScreen / plain.firstScreen);
        std::printf("%-28s %9.3f s\n", "plain_report", plain.report);
        std::printf("%-28s %9.3f s   ratio_to_plain %5.2f\n", "set_report", set.report, set.report / plain.report);
        std::printf("%-28s %lld / %lld bytes, %s\n", "report_files_set_plain", set.reportBytes, plain.reportBytes,
                    set.reportText == plain.reportText ? "identical" : "DIFFERENT");
        std::printf("%-28s %9ld kB / %ld kB\n", "peak_rss_set_plain", set.peakKb, plain.peakKb);
        std::printf("%-28s %9ld kB   (%s)\n", "peak_rss_many_files", many.peakKb, args.logs[2].c_str());
        std::printf("set_report_target %s (<= 1.10)\n", set.report <= 1.10 * plain.report ? "met" : "MISSED");
        std::printf("many_files_memory_target %s (< 32768 kB)\n", many.peakKb < 32768 ? "met" : "MISSED");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ferntrack_set_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
