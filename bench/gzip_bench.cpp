// Reads a gzip log in place with the program's core and prints what the
// benchmark script sets beside zcat: the seconds to build the index, its
// size, the seconds to open it again from the kept index (and the plain
// file's open beside it), the bytes read for End, goto 50 and a day jump,
// a full hit search with no hit, a report run (and the bytes it read), and
// the peak resident memory.
//
//   ferntrack_gzip_bench GZFILE PLAINFILE SCRATCHDIR
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "browse/indexcache.h"
#include "browse/jump.h"
#include "browse/logreader.h"
#include "browse/search.h"
#include "browse/viewmove.h"
#include "entries/fields.h"
#include "entries/words.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "report/generate.h"
#include "report/range.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

long long BytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

// CPU seconds (user and system) of the process so far, and its page faults
// that needed no read.
long MinorFaultsSoFar()
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_minflt;
}

double CpuSoFar()
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

long long SizeOf(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// Seconds to open the log in slot 1 afresh.
double OpenSlot1()
{
    CloseLog();
    auto t = Clock::now();
    SwitchLog(1);
    return Since(t);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s GZFILE PLAINFILE SCRATCHDIR\n", argv[0]);
        return 2;
    }
    std::string gz = argv[1], plain = argv[2], home = argv[3];
    SetPaths(home);
    mkdir(home.c_str(), 0700);
    mkdir(sPrivateDir.c_str(), 0700);
    std::string kept = IndexCacheDir();
    TrimIndexCache(kept, 0); // no index kept from an earlier run
    iMonitorMode = 0;
    iPageRows = 23;

    sLogPath1 = plain;
    double plainOpen = OpenSlot1();
    sLogPath1 = gz;
    double build = OpenSlot1();
    if (!LogIsWhole()) {
        fprintf(stderr, "the index was not finished\n");
        return 1;
    }
    // The one kept index file.
    long long indexBytes = 0;
    FILE* ls = popen(("find '" + kept + "' -name 'gz-*.idx' -printf '%s\\n' | awk '{s += $1} END {print s + 0}'").c_str(), "r");
    if (ls != nullptr) {
        if (fscanf(ls, "%lld", &indexBytes) != 1)
            indexBytes = -1;
        pclose(ls);
    }

    long long r0 = BytesReadSoFar();
    double reopen = OpenSlot1();
    long long r1 = BytesReadSoFar();
    MoveView(eMoveEnd);
    long long r2 = BytesReadSoFar();
    OpenSlot1();
    long long r3 = BytesReadSoFar();
    GotoOffset(50);
    long long r4 = BytesReadSoFar();
    OpenSlot1();
    NextLine(iLastLineStart / 3);
    DetectLayout(sCurrentLine);
    int64_t t = GetTime(sCurrentLine);
    long long r5 = BytesReadSoFar();
    SeekTime(t + 86400, nullptr);
    long long r6 = BytesReadSoFar();

    // A full search with no hit, and a report over the whole log.
    sWords = "zq-no-line-holds-this\n";
    ViewHome();
    iCursorOffset = 0;
    auto ts = Clock::now();
    double cs = CpuSoFar();
    SearchHits(+1);
    double search = Since(ts);
    double searchCpu = CpuSoFar() - cs;
    sWords.clear();
    iRepStart = iRepFinish = 0;
    GenerateReport report;
    long long r7 = BytesReadSoFar();
    auto tr = Clock::now();
    double cr = CpuSoFar();
    long fr = MinorFaultsSoFar();
    report.Run();
    long faults = MinorFaultsSoFar() - fr;
    double reportRun = Since(tr);
    double reportCpu = CpuSoFar() - cr;
    long long r8 = BytesReadSoFar();

    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    printf("gz %s (%lld bytes), text %lld bytes\n", gz.c_str(), SizeOf(gz), static_cast<long long>(iLogSize));
    printf("seconds_build_index %.3f\n", build);
    printf("index_bytes %lld\n", indexBytes);
    printf("index_percent_of_gz %.2f\n", 100.0 * static_cast<double>(indexBytes) / static_cast<double>(SizeOf(gz)));
    printf("seconds_open_kept %.4f\n", reopen);
    printf("seconds_open_plain %.4f\n", plainOpen);
    printf("bytes_read_open_kept %lld\n", r1 - r0);
    printf("bytes_read_end_after_open %lld\n", r2 - r1);
    printf("bytes_read_goto_50 %lld\n", r4 - r3);
    printf("bytes_read_day_jump %lld\n", r6 - r5);
    printf("seconds_search_no_hit %.3f\n", search);
    printf("cpu_seconds_search_no_hit %.3f\n", searchCpu);
    printf("seconds_report_run %.3f\n", reportRun);
    printf("cpu_seconds_report_run %.3f\n", reportCpu);
    printf("bytes_read_report %lld\n", r8 - r7);
    printf("page_faults_report %ld\n", faults);
    printf("peak_rss_kb %ld\n", ru.ru_maxrss);
    return 0;
}
