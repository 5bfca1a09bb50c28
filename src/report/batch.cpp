#include "report/batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "browse/jump.h"
#include "browse/logreader.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/arguments.h"
#include "frame/config.h"
#include "frame/safefile.h"
#include "frame/scan.h"
#include "frame/settings.h"
#include "frame/startup.h"
#include "report/batchargs.h"
#include "report/generate.h"
#include "report/html.h"
#include "report/range.h"
#include "reportfiles/filter.h"

namespace {

// ---- Progress on a terminal ----

// Lines between two looks at the clock, and the least time between draws.
constexpr int64_t kClockStride = 4096;
constexpr double kDrawSeconds = 0.25;

volatile sig_atomic_t progressShown = 0;
int64_t progressLines = 0;
double progressStart = 0;
double progressDrawn = 0;

double Now()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

int TerminalWidth()
{
    const char* columns = getenv("COLUMNS");
    int width = columns != nullptr ? atoi(columns) : 0;
    return width >= 20 && width <= 1000 ? width : 80;
}

void WriteError(const std::string& text)
{
    // Nothing to be done when standard error itself fails.
    if (write(STDERR_FILENO, text.data(), text.size()) < 0)
        return;
}

void ClearProgress()
{
    if (progressShown != 0) {
        progressShown = 0;
        WriteError("\r\033[K");
    }
}

void ProgressBegin()
{
    progressLines = 0;
    progressStart = progressDrawn = Now();
}

bool ProgressStep(const char*, int64_t part, int64_t whole)
{
    if (++progressLines % kClockStride != 0)
        return false;
    double now = Now();
    if (now - progressDrawn < kDrawSeconds)
        return false;
    progressDrawn = now;
    WriteError("\r" + ProgressText(part, whole, progressLines, now - progressStart, TerminalWidth()) + "\033[K");
    progressShown = 1;
    return false;
}

// ---- Signals ----

// ctrl-c and the other ends: no temporary file is left, the terminal line
// is cleared, and the status is the one a shell shows for the signal.
void OnSignal(int signo)
{
    RemoveTempFileNow();
    if (progressShown != 0 && write(STDERR_FILENO, "\r\033[K", 4) < 0) {
        // Leaving matters more.
    }
    _exit(128 + signo);
}

void CatchSignals()
{
    for (int signo : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction action = {};
        // Started with a signal ignored (nohup): stay so.
        if (signo != SIGINT && sigaction(signo, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
            continue;
        action = {};
        action.sa_handler = OnSignal;
        sigfillset(&action.sa_mask);
        sigaction(signo, &action, nullptr);
    }
    // Past a file size limit a write fails and says so, instead of the
    // signal killing the run with half a file.
    signal(SIGXFSZ, SIG_IGN);
}

// ---- The output ----

struct Output {
    // As messages name it: the --output name or "standard output".
    std::string sName;
    // The file the name leads to, and the temporary file beside it.
    std::string sTarget;
    std::string sTemp;
    int fd = -1;
    FILE* file = nullptr;
};

std::string Why(int error) { return strerror(error != 0 ? error : EIO); }

// A file that standard output already is must still be one a report may
// be written into.
bool CheckStdout(Output& out, std::string& problem)
{
    out.sName = "standard output";
    struct stat st;
    if (fstat(STDOUT_FILENO, &st) != 0) {
        problem = out.sName + ": " + Why(errno);
        return false;
    }
    if (S_ISREG(st.st_mode) && (IsLogSlotFile(st) || IsProgramFile(st))) {
        problem = out.sName + ": " + (IsLogSlotFile(st) ? "it is a log" : "it is one of the program's own files");
        return false;
    }
    out.fd = STDOUT_FILENO;
    out.file = stdout;
    return true;
}

// The temporary file beside where the name leads (so a link to a regular
// file stays a link), after the checks the interactive report makes.
bool OpenOutput(const std::string& name, Output& out, std::string& problem)
{
    out.sName = name;
    out.sTarget = FollowLinks(name);
    struct stat old;
    std::string why;
    eWriteTarget kind = CheckWriteTarget(out.sTarget, &old, &why);
    if (kind != eTargetRefused && IsProgramPath(out.sTarget)) {
        kind = eTargetRefused;
        why = "it is one of the program's own files";
    }
    if (kind == eTargetRefused) {
        problem = name + ": " + why;
        return false;
    }
    out.sTemp = out.sTarget + ".XXXXXX";
    out.fd = MakeTempFile(out.sTemp);
    if (out.fd < 0) {
        problem = name + ": " + Why(errno);
        out.sTemp.clear();
        return false;
    }
    // A new report is the owner's alone, as on screen; a file that was
    // there keeps its mode (a page a web server shows stays readable).
    if (kind == eTargetFile)
        TakeOverFile(out.fd, &old);
    else
        fchmod(out.fd, 0600);
    out.file = fdopen(out.fd, "w");
    if (out.file == nullptr) {
        problem = name + ": " + Why(errno);
        return false;
    }
    return true;
}

void DropOutput(Output& out)
{
    if (out.sTemp.empty())
        return;
    if (out.file != nullptr)
        fclose(out.file);
    else if (out.fd >= 0)
        close(out.fd);
    out.file = nullptr;
    out.fd = -1;
    unlink(out.sTemp.c_str());
    ForgetTempFile();
    out.sTemp.clear();
}

// Every byte on the disk, then the temporary file renamed over the name.
bool FinishOutput(Output& out, std::string& problem)
{
    int error = 0;
    if (fflush(out.file) != 0 || ferror(out.file))
        error = errno != 0 ? errno : EIO;
    if (error == 0 && !out.sTemp.empty() && fsync(out.fd) != 0)
        error = errno;
    if (fclose(out.file) != 0 && error == 0)
        error = errno;
    out.file = nullptr;
    out.fd = -1;
    if (error == 0 && !out.sTemp.empty() && rename(out.sTemp.c_str(), out.sTarget.c_str()) != 0)
        error = errno;
    if (error != 0) {
        problem = out.sName + ": " + Why(error);
        DropOutput(out);
        return false;
    }
    if (!out.sTemp.empty()) {
        ForgetTempFile();
        SyncDirectoryOf(out.sTarget);
        out.sTemp.clear();
    }
    return true;
}

// ---- The run ----

// The first line at or after t; the size of the log when there is none.
int64_t FirstLineAtOrAfter(int64_t t)
{
    int64_t offset = OffsetOfTime(t, nullptr);
    // A stretch without times foils the bisection: read it all instead.
    if (offset < 0)
        offset = ScanToTime(0, iLastLineStart, t, nullptr);
    // The bisection ends on the last line also when every line is earlier.
    for (;;) {
        int64_t next = NextLine(offset);
        if (next == 0 || next <= offset)
            return iLogSize;
        if (GetTime(sCurrentLine) >= t)
            return offset;
        offset = next;
    }
}

// Writes the whole report, or one user's part of it, into out.
GenerateReport::eRunEnd WriteReport(const BatchOptions& options, Output& out, int& error)
{
    static GenerateReport report;
    if (!options.bUser) {
        report.pGivenFile = out.file;
        report.pPage = options.eFormat == eFormatHtml ? &HtmlPageOutput() : nullptr;
        GenerateReport::eRunEnd end = report.Run();
        error = report.iWriteError;
        return end;
    }
    // One user's part is read back from the normal-text report, which
    // waits in an unnamed file.
    FILE* whole = tmpfile();
    if (whole == nullptr) {
        error = errno;
        return GenerateReport::eRunWriteFailed;
    }
    report.pGivenFile = whole;
    report.pPage = nullptr;
    GenerateReport::eRunEnd end = report.Run();
    error = report.iWriteError;
    if (end == GenerateReport::eRunDone) {
        if (fflush(out.file) != 0 || lseek(fileno(whole), 0, SEEK_SET) != 0) {
            error = errno;
            end = GenerateReport::eRunWriteFailed;
        } else {
            FilterReportFiles(fileno(whole), out.fd, options.sUser, out.sName, &error);
            if (error != 0)
                end = GenerateReport::eRunWriteFailed;
        }
    }
    fclose(whole);
    return end;
}

int Usage(const std::string& error)
{
    WriteError("ferntrack: " + error + "\n" + BatchUsageLine());
    return 2;
}

int Failure(const std::string& problem)
{
    ClearProgress();
    WriteError("ferntrack: " + problem + "\n");
    return 1;
}

} // namespace

bool FindTimeRange(bool haveFrom, int64_t from, bool haveTo, int64_t to)
{
    iRepStart = 0;
    iRepFinish = 0;
    if (iLogSize == 0)
        return false;
    int64_t start = haveFrom ? FirstLineAtOrAfter(from) : 0;
    int64_t finish = haveTo ? FirstLineAtOrAfter(to) : iLogSize;
    if (start >= iLogSize || start >= finish)
        return false;
    iRepStart = start;
    iRepFinish = finish >= iLogSize ? 0 : finish;
    return true;
}

std::string ProgressText(int64_t part, int64_t whole, int64_t lines, double seconds, int width)
{
    double share = whole > 0 ? std::clamp(static_cast<double>(part) / static_cast<double>(whole), 0.0, 1.0) : 1.0;
    char tail[128];
    std::string rate = NumToCommaStr(seconds > 0 ? static_cast<uint64_t>(static_cast<double>(lines) / seconds) : 0);
    std::string left = "--:--";
    if (share > 0 && seconds > 0) {
        int64_t s = static_cast<int64_t>(seconds * (1 - share) / share + 0.5);
        char buf[32];
        if (s >= 3600)
            snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                     static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
        else
            snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(s / 60), static_cast<long long>(s % 60));
        left = buf;
    }
    snprintf(tail, sizeof tail, " %3d%% %s lines/s %s left", static_cast<int>(share * 100), rate.c_str(), left.c_str());
    int bar = std::clamp(width - 1 - 2 - static_cast<int>(strlen(tail)), 0, 40);
    int filled = static_cast<int>(share * bar);
    std::string text = bar > 0 ? "[" + std::string(filled, '#') + std::string(bar - filled, '.') + "]" + tail
                               : std::string(tail + strspn(tail, " "));
    if (static_cast<int>(text.size()) > width - 1)
        text.resize(static_cast<size_t>(std::max(width - 1, 0)));
    return text;
}

int BatchReportMain(int argc, const char* const* argv)
{
    BatchOptions options = ParseBatchArguments(argc, argv, static_cast<int64_t>(time(nullptr)));
    if (options.bHelp) {
        fputs(BatchHelpText().c_str(), stdout);
        return fflush(stdout) == 0 ? 0 : 1;
    }
    if (!options.sError.empty())
        return Usage(options.sError);
    CatchSignals();
    // A view of one row: the end of the log is its last line, not the top
    // of a last page.
    iPageRows = 1;
    // Several files or a directory are one log, as on the program's own
    // command line.
    std::string log = options.vLogs.empty() ? std::string() : options.vLogs[0];
    if (OperandsMakeSet(options.vLogs)) {
        std::string problem = NameSetOperands(options.vLogs, log);
        if (!problem.empty())
            return Failure(problem);
    }
    ConfigFile config;
    StartState start;
    if (StartCore(config, log, eStartBatch, start) != 0)
        return Failure(start.sProblem);
    // The format first, then each --set in order.
    if (options.eFormat == eFormatText)
        iRepWordHits = 1;
    else if (options.eFormat == eFormatCsv)
        iRepWordHits = 2;
    for (const auto& setting : options.vSettings) {
        std::string problem = SetReportSetting(setting.first, setting.second);
        if (!problem.empty())
            return Usage(problem);
    }
    // One user's part is found in normal-text hit lines only.
    if (options.bUser)
        iRepWordHits = 1;
    std::string logName = sCurrentLogPath != nullptr ? sCurrentLogPath : "log";
    if (!FindTimeRange(options.bFrom, options.iFrom, options.bTo, options.iTo))
        return Failure(logName + ": the range holds no line");
    Output out;
    std::string problem;
    bool opened = options.sOutput.empty() ? CheckStdout(out, problem) : OpenOutput(options.sOutput, out, problem);
    if (!opened) {
        DropOutput(out);
        return Failure(problem);
    }
    // A report shown on the terminal itself would be torn by the bar.
    if (isatty(STDERR_FILENO) && (!options.sOutput.empty() || !isatty(STDOUT_FILENO)))
        SetScanHook(ProgressBegin, ProgressStep);
    int error = 0;
    GenerateReport::eRunEnd end = WriteReport(options, out, error);
    SetScanHook(nullptr, nullptr);
    ClearProgress();
    if (end != GenerateReport::eRunDone) {
        DropOutput(out);
        return Failure(out.sName + ": " + Why(error));
    }
    if (!FinishOutput(out, problem))
        return Failure(problem);
    CloseLog();
    return 0;
}
