// The realistic benchmark log (scripts/genlog.py --profile realistic) has
// the shape its benchmarks rely on: thousands of users with realm forms,
// tens of thousands of sites, long URLs, tunnels, bursts of denials, a
// daily rhythm and garbage lines. Made once in the build folder and kept,
// as the benchmarks keep it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unordered_set>

#include "entries/fields.h"

namespace {

std::string RealisticLog()
{
    std::string log = std::string(FERNTRACK_BUILD_DIR) + "/bench-realistic-2m.log";
    if (access(log.c_str(), R_OK) == 0)
        return log;
    std::string part = log + ".part." + std::to_string(getpid());
    if (system(("command -v python3 >'" + part + "' 2>&1").c_str()) != 0) {
        unlink(part.c_str());
        return std::string();
    }
    std::string command = "python3 '" + std::string(FERNTRACK_SOURCE_DIR) +
                          "/scripts/genlog.py' --lines 2000000 --seed 42 --profile realistic --out '" + part + "'";
    if (system(command.c_str()) != 0 || rename(part.c_str(), log.c_str()) != 0)
        unlink(part.c_str());
    return access(log.c_str(), R_OK) == 0 ? log : std::string();
}

struct Shape {
    std::unordered_set<std::string> users, realmUsers, domains;
    long lines = 0, longUrls = 0, connects = 0, denialBursts = 0, garbage = 0;
    size_t longestUrl = 0;
    long perHour[24] = {};
};

Shape Measure(const std::string& path)
{
    Shape s;
    std::ifstream in(path, std::ios::binary);
    std::string line, burstClient;
    long burst = 0;
    while (std::getline(in, line)) {
        ++s.lines;
        const char* p = line.c_str();
        std::string_view url = FieldView(p, 7), user = FieldView(p, 8), result = FieldView(p, 4);
        if (FieldView(p, 10).empty() || TimeOfField(FieldView(p, 1)) <= 0 || result.find('/') == std::string::npos) {
            ++s.garbage;
            continue;
        }
        ++s.perHour[TimeOfField(FieldView(p, 1)) % 86400 / 3600];
        if (user != "-") {
            s.users.emplace(user);
            if (user.find('\\') != std::string::npos || user.find('@') != std::string::npos)
                s.realmUsers.emplace(user);
        }
        s.domains.emplace(SiteOfUrl(url));
        s.longestUrl = std::max(s.longestUrl, url.size());
        s.longUrls += url.size() >= 1000;
        s.connects += FieldView(p, 6) == "CONNECT";
        std::string client(FieldView(p, 3));
        if (result.rfind("TCP_DENIED", 0) == 0 && (burst == 0 || client == burstClient)) {
            burstClient = client;
            if (++burst == 20)
                ++s.denialBursts;
        } else {
            burst = result.rfind("TCP_DENIED", 0) == 0 ? 1 : 0;
            burstClient = client;
        }
    }
    return s;
}

} // namespace

TEST(RealisticLog, HasTheShapeOfABusyProxysDays)
{
    std::string log = RealisticLog();
    if (log.empty())
        GTEST_SKIP() << "python3 is needed to generate the realistic log (scripts/genlog.py)";
    Shape s = Measure(log);
    struct Check {
        const char* what;
        long got, least;
    };
    const long quietest = *std::min_element(s.perHour, s.perHour + 24);
    const long busiest = *std::max_element(s.perHour, s.perHour + 24);
    const Check checks[] = {
        {"lines", s.lines, 2000000},
        {"users", static_cast<long>(s.users.size()), 5000},
        {"users in realm forms", static_cast<long>(s.realmUsers.size()), 500},
        {"destination domains", static_cast<long>(s.domains.size()), 50000},
        {"URLs of 1,000 bytes or more", s.longUrls, 1000},
        {"longest URL", static_cast<long>(s.longestUrl), 2000},
        {"CONNECT lines", s.connects, 100000},
        {"bursts of 20 denials from one client", s.denialBursts, 100},
        {"garbage lines", s.garbage, 200},
        {"busiest hour over 3 times the quietest", busiest, 3 * quietest + 1},
    };
    for (const Check& c : checks)
        EXPECT_GE(c.got, c.least) << c.what;
}
