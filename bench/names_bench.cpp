// Times a report run (default options, no file written) over 200,000
// destination domains and users of the form xxxxxxxx.example.com chosen so
// that a plain unkeyed hash puts them all into one small window of slots,
// beside the same run over 200,000 random names of that form. With a table
// open to chosen names the first takes many times the second; the aim is
// at most 2 times. Both logs are made once in the folder named on the
// command line and reused.
//
//   ferntrack_names_bench BUILDDIR [--runs N]
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "browse/logreader.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "report/generate.h"

namespace {

constexpr uint32_t kNames = 200000;
// The slots of the table at kNames names (at most half full), and the
// window the crafted names are chosen to fall into.
constexpr uint64_t kSlotMask = (1u << 19) - 1;
constexpr uint64_t kWindow = 4096;

// The fixed, unkeyed hash the name table once had: anybody can compute it.
uint64_t Mix(uint64_t hash, uint64_t word)
{
    hash = (hash ^ word) * 0xff51afd7ed558ccdULL;
    return hash ^ (hash >> 32);
}

uint64_t PlainHash(const std::string& name)
{
    const char* p = name.data();
    size_t n = name.size();
    uint64_t hash = 0x9e3779b97f4a7c15ULL ^ n, word;
    for (size_t i = 0; i + 8 < n; i += 8) {
        memcpy(&word, p + i, 8);
        hash = Mix(hash, word);
    }
    memcpy(&word, p + n - 8, 8);
    return Mix(hash, word);
}

std::string HostName(uint64_t n)
{
    std::string name(8, 'a');
    for (int i = 7; i >= 0; --i, n /= 26)
        name[static_cast<size_t>(i)] = static_cast<char>('a' + n % 26);
    return name + ".example.com";
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && st.st_size > 0;
}

// One request per name, the name as destination and as user.
bool MakeLog(const std::string& path, bool crafted)
{
    if (Exists(path))
        return true;
    std::string part = path + ".part";
    FILE* out = fopen(part.c_str(), "w");
    if (out == nullptr)
        return false;
    std::mt19937_64 random(7);
    const uint64_t space = 208827064576ULL; // 26^8
    uint64_t candidate = 0;
    for (uint32_t i = 0; i < kNames; ++i) {
        std::string name;
        if (crafted) {
            do
                name = HostName((candidate++ * 2654435761ULL) % space);
            while ((PlainHash(name) & kSlotMask) >= kWindow);
        } else {
            name = HostName(random() % space);
        }
        fprintf(out, "%u.000    %u 10.0.0.1 TCP_MISS/200 %u GET http://%s/index.html %s DIRECT/10.0.0.2 text/html\n",
                1286536309u + i / 50, 100 + i % 900, 500 + i % 5000, name.c_str(), name.c_str());
    }
    bool ok = fclose(out) == 0;
    return ok && rename(part.c_str(), path.c_str()) == 0;
}

double ReportSeconds(const std::string& log)
{
    sLogPath1 = log;
    SwitchLog(1);
    GenerateReport report;
    auto start = std::chrono::steady_clock::now();
    report.Run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    if (argc == 4 && strcmp(argv[2], "--runs") == 0)
        runs = std::max(1, atoi(argv[3]));
    else if (argc != 2) {
        fprintf(stderr, "usage: %s BUILDDIR [--runs N]\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    std::string craftedLog = dir + "/bench-names-crafted.log";
    std::string randomLog = dir + "/bench-names-random.log";
    if (!MakeLog(craftedLog, true) || !MakeLog(randomLog, false)) {
        fprintf(stderr, "ferntrack_names_bench: cannot write the logs in %s\n", dir.c_str());
        return 1;
    }
    ResetSettings();
    sRepFileName.clear(); // counts and sorts as usual, writes nothing
    iMonitorMode = 0;
    double crafted = 1e9, plain = 1e9;
    for (int r = 0; r < runs; ++r) {
        plain = std::min(plain, ReportSeconds(randomLog));
        crafted = std::min(crafted, ReportSeconds(craftedLog));
    }
    CloseLog();
    printf("names %u, best of %d run(s)\n", kNames, runs);
    printf("%-24s %9.3f s\n", "report_random_names", plain);
    printf("%-24s %9.3f s   ratio_to_random %5.2f\n", "report_crafted_names", crafted, crafted / plain);
    printf("names_ratio_target %s (<= 2.00)\n", crafted <= 2 * plain ? "met" : "MISSED");
    return 0;
}
