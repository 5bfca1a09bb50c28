// Steps through a log line by line with the program's reader, forwards and
// then backwards, then runs the hit search over the whole log each way with
// a word no line holds; prints the line counts, the seconds of each and the
// peak resident memory, so a script can set them beside `wc -l`.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "benchlog.h"
#include "browse/logreader.h"
#include "browse/search.h"
#include "entries/words.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

int main(int argc, char** argv)
{
    if (!UseBenchLog(argc, argv))
        return 2;
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

    // No scan hook is installed, so the searches run to the ends.
    sWords = "zq-no-line-holds-this\n";
    iPageRows = 24;
    MeasureLog();
    iTopOffset = 0;
    iCursorRow = 0;
    iCursorOffset = 0;
    SearchHits(+1);
    auto t3 = Clock::now();
    bool endedDown = iTopOffset == iEndTop && iCursorRow == iMaxRow;
    iTopOffset = iEndTop;
    iCursorRow = iMaxRow;
    iCursorOffset = iLastLineStart;
    SearchHits(-1);
    auto t4 = Clock::now();
    bool endedUp = iTopOffset == 0 && iCursorRow == 0;

    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("lines_forward %lld\nlines_backward %lld\nnonempty %zu\n", forward, backward, bytes);
    auto seconds = [](Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double>(to - from).count();
    };
    printf("seconds_forward %.3f\nseconds_backward %.3f\n", seconds(t0, t1), seconds(t1, t2));
    printf("seconds_search_down %.3f\nseconds_search_up %.3f\n", seconds(t2, t3), seconds(t3, t4));
    printf("search_ended_down %d\nsearch_ended_up %d\npeak_rss_kb %ld\n",
           endedDown ? 1 : 0, endedUp ? 1 : 0, usage.ru_maxrss);
    CloseLog();
    return 0;
}
