// `ferntrack report` side by side with the report run of the 'l' screen
// (driven in a pseudo-terminal) over the same log, the HTML page beside the
// text report, and a report of one hour of a large log beside a report of
// all of it, with the bytes each run read from the disk.
//
//   ferntrack_batch_bench LOGFILE [BIGLOGFILE] [--binary PATH] [--runs N]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <iterator>
#include <fstream>
#include <sstream>

#include "terminalbench.h"

namespace {

const char* const kWords = "setup\nplayer\nreadme\n!logo\n";

struct Timed {
    double seconds = 0;
    double cpu = 0;  // the program's own user and system time
    long long bytesRead = -1;  // rchar: every byte a read system call returned
    std::string file;
};

// The bytes a process has read, from /proc while it is a zombie (waited
// for without being reaped).
long long BytesRead(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value = 0;
    while (in >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void PrepareHome(e2e::TempHome& home, const std::string& log)
{
    home.Link("log1", log);
    home.WriteFile(e2e::kConfFile, "iMonitorMode=0\n");
    home.WriteFile(e2e::kWordsFile, kWords);
}

// ferntrack report ARGS -o FILE in a home of its own, no terminal.
Timed RunBatch(const std::string& binary, const std::string& log, const std::vector<std::string>& args)
{
    e2e::TempHome home;
    PrepareHome(home, log);
    std::string out = home.PathOf("report.out");
    std::vector<std::string> argv = {binary, "report"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back("-o");
    argv.push_back(out);
    std::vector<char*> cargv;
    for (std::string& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    std::vector<std::string> env = home.Environment();
    std::vector<char*> cenv;
    for (std::string& e : env)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);
    auto start = BenchClock::now();
    // Nothing to read; what the run says on its error stream goes to a
    // file of the build folder.
    const std::string sinkPath = std::string(FERNTRACK_BUILD_DIR) + "/bench-sink";
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDONLY);
        int sink = open(sinkPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(null, 0);
        dup2(sink, 2);
        execve(cargv[0], cargv.data(), cenv.data());
        _exit(127);
    }
    siginfo_t info = {};
    if (waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT) != 0)
        throw std::runtime_error("waitid failed");
    Timed t;
    t.seconds = Since(start);
    t.bytesRead = BytesRead(child);
    int status = 0;
    struct rusage usage = {};
    wait4(child, &status, 0, &usage);
    t.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("ferntrack report failed");
    t.file = ReadFile(out);
    return t;
}

// CPU seconds (user and system) a running process has used so far.
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    // After the command's closing parenthesis: state is field 3, utime 14, stime 15.
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int n = 3; n <= 15 && fields >> field; ++n)
        if (n >= 14)
            ticks += std::atof(field.c_str());
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The report run of the 'l' screen with the default options: from Enter
// on the options screen until the view offer.
Timed RunInteractive(const std::string& binary, const std::string& log)
{
    e2e::TempHome home;
    PrepareHome(home, log);
    e2e::Terminal term({binary}, home.Environment(), 24, 80);
    if (!WaitFast(term, [&] { return e2e::BrowseShown(term); }, 600))
        throw std::runtime_error("no first screen:\n" + term.Screen());
    term.Send("l");
    if (!WaitFast(term, [&] { return term.Screen().find("Press <enter> to go") != std::string::npos; }, 60))
        throw std::runtime_error("no options screen:\n" + term.Screen());
    Timed t;
    double cpuBefore = CpuSeconds(term.Pid());
    auto start = BenchClock::now();
    term.Send("\r");
    if (!WaitFast(term, [&] { return e2e::StatusRow(term).rfind("temp.txt made: ", 0) == 0; }, 1200))
        throw std::runtime_error("no view offer:\n" + term.Screen());
    t.seconds = Since(start);
    t.cpu = CpuSeconds(term.Pid()) - cpuBefore;
    term.Send("n");
    if (e2e::ExitCleanly(term) != 0)
        throw std::runtime_error("no clean exit");
    t.file = ReadFile(home.PathOf(".ferntrack/temp.txt"));
    return t;
}

// The best wall and CPU times of the runs so far.
void Keep(int run, const Timed& t, Timed& best)
{
    std::string file = run == 0 ? t.file : best.file;
    if (run == 0 || t.seconds < best.seconds)
        best.seconds = t.seconds;
    if (run == 0 || t.cpu < best.cpu)
        best.cpu = t.cpu;
    best.bytesRead = t.bytesRead;
    best.file = file;
}

// Best of runs.
template <typename F>
Timed Best(int runs, F run)
{
    Timed best;
    for (int r = 0; r < runs; ++r) {
        Timed t = run();
        if (r == 0 || t.seconds < best.seconds)
            best = t;
    }
    return best;
}

// The time stamp of the first line at or after offset.
long long TimeAt(int fd, long long offset)
{
    char buf[8192];
    ssize_t n = pread(fd, buf, sizeof buf - 1, offset);
    if (n <= 0)
        return -1;
    buf[n] = '\0';
    char* line = buf;
    if (offset > 0) {
        char* lf = static_cast<char*>(memchr(buf, '\n', static_cast<size_t>(n)));
        if (lf == nullptr)
            return -1;
        line = lf + 1;
    }
    return atoll(line);
}

// First offset at or after which lines are at least t (the log is in time
// order), to within a line.
long long OffsetOf(int fd, long long size, long long t)
{
    long long lo = 0, hi = size;
    while (hi - lo > 4096) {
        long long mid = (lo + hi) / 2;
        if (TimeAt(fd, mid) < t)
            lo = mid;
        else
            hi = mid;
    }
    return hi;
}

std::string Stamp(long long t)
{
    time_t tt = static_cast<time_t>(t);
    struct tm tm;
    char buf[32];
    gmtime_r(&tt, &tm);
    strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
    return buf;
}

// The report without its range header, whose end differs between a screen
// (the top of the last page) and none (the last line).
std::string Body(const std::string& report)
{
    size_t at = report.find("\n\n");
    return at == std::string::npos ? report : report.substr(at);
}

void BigLog(const std::string& binary, const std::string& big, int runs)
{
    int fd = open(big.c_str(), O_RDONLY);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0)
        throw std::runtime_error("cannot read " + big);
    // An hour from the middle of the log, on whole hours.
    long long mid = TimeAt(fd, st.st_size / 2);
    long long from = mid / 3600 * 3600;
    long long hourBytes = OffsetOf(fd, st.st_size, from + 3600) - OffsetOf(fd, st.st_size, from);
    close(fd);
    std::vector<std::string> hour = {"--from", Stamp(from), "--to", Stamp(from + 3600)};
    Timed one = Best(runs, [&] { return RunBatch(binary, big, hour); });
    Timed whole = Best(1, [&] { return RunBatch(binary, big, {}); });
    std::printf("big log %s, %lld bytes\n", big.c_str(), static_cast<long long>(st.st_size));
    std::printf("%-26s %9.3f s wall %7.3f s cpu   read %lld bytes\n", "batch_whole_log", whole.seconds, whole.cpu,
                whole.bytesRead);
    std::printf("%-26s %9.3f s wall %7.3f s cpu   read %lld bytes (the hour holds %lld; %lld more)\n",
                ("batch_hour " + Stamp(from).substr(11)).c_str(), one.seconds, one.cpu, one.bytesRead, hourBytes,
                one.bytesRead - hourBytes);
    std::printf("%-26s %9.4f wall %7.4f cpu (< 0.10)\n", "hour_ratio_to_whole", one.seconds / whole.seconds,
                one.cpu / whole.cpu);
    std::printf("hour_target %s\n", one.seconds < 0.1 * whole.seconds ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv)
{
    BenchArgs args;
    size_t logs = argc >= 3 && argv[2][0] != '-' ? 2 : 1;
    if (!ParseBenchArgs(argc, argv, logs, "LOGFILE [BIGLOGFILE]", args))
        return 2;
    try {
        const std::string& log = args.logs[0];
        TimeShell("wc -l <'" + log + "'" + SinkRedirect());  // the page cache, warm for every side
        Timed interactive, text, html;
        for (int r = 0; r < args.runs; ++r) {
            // Side by side, in turns, so that a busy machine slows all alike.
            Timed i = RunInteractive(args.binary, log);
            Timed t = RunBatch(args.binary, log, {"--format", "text"});
            Timed h = RunBatch(args.binary, log, {"--format", "html"});
            Keep(r, i, interactive);
            Keep(r, t, text);
            Keep(r, h, html);
        }
        std::printf("log %s, best of %d run(s)\n", log.c_str(), args.runs);
        std::printf("%-26s %9.3f s wall %7.3f s cpu\n", "interactive_report", interactive.seconds,
                    interactive.cpu);
        std::printf("%-26s %9.3f s wall %7.3f s cpu   ratio_to_interactive %5.2f wall %5.2f cpu (<= 1.00)\n",
                    "batch_text", text.seconds, text.cpu, text.seconds / interactive.seconds,
                    text.cpu / interactive.cpu);
        std::printf("%-26s %9.3f s wall %7.3f s cpu   ratio_to_text %5.2f wall %5.2f cpu (<= 1.20)\n", "batch_html",
                    html.seconds, html.cpu, html.seconds / text.seconds, html.cpu / text.cpu);
        std::printf("%-26s %s\n", "same_report_body", Body(text.file) == Body(interactive.file) ? "yes" : "NO");
        std::printf("batch_target (cpu) %s\nhtml_target (cpu) %s\n", text.cpu <= interactive.cpu ? "met" : "MISSED",
                    html.cpu <= 1.2 * text.cpu ? "met" : "MISSED");
        if (args.logs.size() > 1)
            BigLog(args.binary, args.logs[1], args.runs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ferntrack_batch_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
