// Gathers the all users' tally over a whole log with the program's own
// code and prints the seconds it took, the users found, and the resident
// memory before, after one gathering and after gathering the same lines a
// second time (twice the requests, the same users), so a script can set the
// time beside awk and show that memory follows the users, not the lines.
#include <cstdio>
#include <chrono>
#include <fstream>
#include <string>

#include "benchlog.h"
#include "browse/logreader.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "tally/tally.h"

namespace {

// Current resident memory in kB (VmRSS).
long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (!UseBenchLog(argc, argv))
        return 2;
    TallyMode& tally = SharedTally();
    long before = ResidentKb();
    auto t0 = std::chrono::steady_clock::now();
    tally.Gather(0, iLastLineStart + 1);
    auto t1 = std::chrono::steady_clock::now();
    long afterOne = ResidentKb();
    tally.Gather(0, iLastLineStart + 1);
    long afterTwo = ResidentKb();
    int64_t requests = 0;
    for (const TallyRecord& r : tally.vTally)
        requests += r.iRequests;
    printf("seconds_gather %.3f\nusers %zu\nrequests_counted_twice %lld\n",
           std::chrono::duration<double>(t1 - t0).count(), tally.vTally.size(),
           static_cast<long long>(requests));
    printf("rss_before_kb %ld\nrss_after_one_kb %ld\nrss_after_two_kb %ld\n", before, afterOne, afterTwo);
    CloseLog();
    return 0;
}
