// Steps through a log line by line with the program's reader, forwards and
// then backwards, and prints the line counts, the seconds each way and the
// peak resident memory, so a script can set them beside `wc -l`.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "browse/logreader.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s LOGFILE\n", argv[0]);
        return 2;
    }
    sLogPath1 = argv[1];
    iMonitorMode = 0;
    SwitchLog(1);
    using Clock = std::chrono::steady_clock;

    auto t0 = Clock::now();
    long long forward = 0;
    size_t bytes = 0;
    for (int64_t a = 0; a < iLogSize;) {
        int64_t b = NextLine(a);
        if (b == 0)
            break;
        bytes += sCurrentLine[0] != '\0';
        ++forward;
        a = b;
    }
    auto t1 = Clock::now();
    long long backward = 0;
    for (int64_t a = iLogSize; a > 0;) {
        int64_t b = PrevLine(a);
        if (b == a)
            break;
        ++backward;
        a = b;
    }
    auto t2 = Clock::now();

    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("lines_forward %lld\nlines_backward %lld\nnonempty %zu\n", forward, backward, bytes);
    printf("seconds_forward %.3f\nseconds_backward %.3f\npeak_rss_kb %ld\n",
           std::chrono::duration<double>(t1 - t0).count(),
           std::chrono::duration<double>(t2 - t1).count(), usage.ru_maxrss);
    CloseLog();
    return 0;
}
