#include "report/generate.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "entries/texts.h"

#include "reportfixture.h"

namespace {

class GenerateReportTest : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        sWords = "banner\n!skipme\n";
    }
    // Names of the user totals in their order.
    std::vector<std::string> UserOrder() const
    {
        std::vector<std::string> names;
        for (const TotalEntry& e : report.vUserTotals)
            names.push_back(report.vUserNames[static_cast<size_t>(e.iNameIndex)].sName);
        return names;
    }
};

TEST_F(GenerateReportTest, TotalsKeepCreationOrderAndTheirNamesThroughSorts)
{
    struct Add {
        const char* name;
        int64_t bytes;
    } adds[] = {{"b", 10}, {"a", 5}, {"b", 10}, {"c", 7}, {"a", 5}, {"b", 1}};
    for (size_t i = 0; i < std::size(adds); ++i) {
        report.iLineBytes = adds[i].bytes;
        report.AddUserTotal(adds[i].name);
        // A count sort between adds must not send bytes to another name.
        if (i == 2)
            report.SortTotalsByCount();
    }
    report.CollectTotals();
    ASSERT_EQ(report.vUserNames.size(), 3u);
    EXPECT_EQ(report.vUserNames[0].sName, "b");
    EXPECT_EQ(report.vUserNames[2].sName, "c");
    EXPECT_EQ(UserOrder(), (std::vector<std::string>{"a", "b", "c"}));
    for (const TotalEntry& e : report.vUserTotals) {
        const std::string& name = report.vUserNames[static_cast<size_t>(e.iNameIndex)].sName;
        uint64_t expected = name == "b" ? 21 : name == "a" ? 10 : 7;
        EXPECT_EQ(e.iBytes, expected) << name;
        EXPECT_EQ(e.iCount, name == "c" ? 1 : name == "a" ? 2 : 3) << name;
    }
    report.ClearTotals();
    report.iLineBytes = INT64_MAX;
    report.AddUserTotal("c");
    report.AddUserTotal("c");
    report.AddUserTotal("c");
    report.CollectTotals();
    EXPECT_EQ(report.vUserTotals.back().iBytes, UINT64_MAX);
}

TEST_F(GenerateReportTest, CountSortsDecideTheOrderOfEqualBytes)
{
    // b is met first with two requests, a later with one of the same bytes,
    // after an empty line that counts in the rhythm of the count sorts.
    UseLog(LogLine(1286536308, "10.0.0.1", "TCP_MISS/200", "50", "http://x/", "b") +
           LogLine(1286536309, "10.0.0.1", "TCP_MISS/200", "50", "http://x/", "b") + "\n" +
           LogLine(1286536310, "10.0.0.1", "TCP_MISS/200", "100", "http://y/", "a"));
    for (int fast : {0, 1, 2, 3}) {
        iRepFast = fast;
        std::string text = RunReport();
        // Lines are numbered from 1: only a sort after the fourth line puts a first.
        bool aFirst = fast == 1 || fast == 2;
        std::string users = aFirst ? "        100 a\n        100 b\n" : "        100 b\n        100 a\n";
        EXPECT_NE(text.find("bytes not skipped domains\n" + users), std::string::npos) << fast << "\n" << text;
    }
}

TEST_F(GenerateReportTest, OddLinesNeverCrashOrLowerATotal)
{
    sRepTitle = "Odd";
    bLookupIP = false;
    bRepShowSize = true;
    UseLog(LogLine(1286536308, "10.0.0.1", "TCP_MISS/200", "100", "http://a/banner", "ann") +
           LogLine(1286536309, "10.0.0.1", "TCP_DENIED/403", "999", "http://a/banner", "ann") +
           LogLine(1286536310, "10.0.0.1", "TCP_MISS/200", "-5000", "http://a/banner", "ann") +
           LogLine(1286536311, "10.0.0.1", "TCP_HIT/200", "0", "http://a/banner", "bob") +
           LogLine(99999999999999999LL, "10.0.0.2", "TCP_MEM_HIT/200", "3000000000", "http://b/banner", "-") +
           LogLine(1286536312, "10.0.0.1", "TCP_MISS/200", "40", "http://a/skipme", "ann") +
           "\xff\xfe garbage \x01\x1b[2J\n" + "1286536313.0 1\n" + "   \n" +
           LogLine(1286536314, "10.0.0.3", "TCP_MISS/200", "99999999999999999999999", "http://c/", "cat"));
    EXPECT_EQ(RunReport(),
              "Odd\n\n"
              "For Fri Oct  8 11:11 2010\n\n"
              "                          Fri Oct  8 11:11 2010\n"
              "        100 ann      w    a/banner\n"
              "          0 ann      w    a/banner\n"
              "          0 bob      w H  a/banner\n"
              "3,000,000,000 -        w4M  b/banner\n"
              "\n"
              "9,223,372,036,854,775,807 scanned bytes, 4 hits total 3,000,000,100 bytes\n"
              "\nBytes attributed to \"-\" user: 3,000,000,000\n"
              "\nCache hit statistics:\n2 requests out of 8:  25.00%\n"
              "3,000,000,000 bytes out of 9,223,372,036,854,775,807:   0.00%\n"
              "\n9,223,372,036,854,775,807 bytes not skipped domains\n"
              "9,223,372,036,854,775,807 cat\n"
              "3,000,000,000 -\n"
              "        100 ann\n"
              "\n9,223,372,036,854,775,807 bytes all users bandwidth: domains not skipped\n"
              "9,223,372,036,854,775,807 c\n"
              "3,000,000,000 b\n"
              "        100 a\n");
    EXPECT_EQ(sCurrentReport, "temp.txt");
    EXPECT_TRUE(report.bOfferView);
    EXPECT_EQ(sStatusMessage, "Press 'n' for misc. operations you can do on temp.txt");
}

// The size grade of a line above the 52nd hit size is the letter 'd', like
// the class mark of a denied request: such a line must still be counted.
TEST_F(GenerateReportTest, OnlyTheClassMarkMakesALineDenied)
{
    sSizeHits.clear();
    for (int size = 1; size <= 52; ++size)
        sSizeHits += std::to_string(size) + " ";
    sWords.clear();
    UseLog(LogLine(1286536308, "10.0.0.1", "TCP_MISS/200", "100", "http://a/", "ann") +
           LogLine(1286536309, "10.0.0.1", "TCP_DENIED/403", "100", "http://a/", "ann"));
    RunReport();
    EXPECT_EQ(report.iRequests, 1);
    EXPECT_EQ(report.iScannedBytes, 100);
}

// A range covers the lines from its start up to, not including, the line
// at its finish; a finish of 0 is the end of the log.
TEST_F(GenerateReportTest, ARangeEndsBeforeTheLineAtItsFinish)
{
    std::string log;
    std::vector<int64_t> at;
    for (int i = 0; i < 5; ++i) {
        at.push_back(static_cast<int64_t>(log.size()));
        log += LogLine(1286536308 + i, "10.0.0.1", "TCP_MISS/200", std::to_string(1 << i), "http://a/", "u" + std::to_string(i));
    }
    UseLog(log);
    const struct {
        int start, finish;  // line numbers; finish -1 for 0, the end
        int64_t bytes;      // one bit per line counted
    } cases[] = {
        {0, 3, 1 + 2 + 4}, {1, 3, 2 + 4}, {2, 3, 4}, {0, 1, 1}, {0, 4, 15},
        {3, -1, 8 + 16},   {0, -1, 31},   {3, 3, 0}, {4, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + " to " + std::to_string(c.finish));
        iRepStart = at[static_cast<size_t>(c.start)];
        iRepFinish = c.finish < 0 ? 0 : at[static_cast<size_t>(c.finish)];
        std::string text = RunReport();
        EXPECT_EQ(report.iScannedBytes, c.bytes);
        EXPECT_NE(text.find("\n" + PadLeft(NumToCommaStr(static_cast<uint64_t>(c.bytes)), 11) + " scanned bytes"),
                  std::string::npos)
            << text;
    }
    // Reports list every user's traffic: only their owner may read them.
    mode_t savedMask = umask(022);
    unlink((sPrivateDir + "/" + sRepFileName).c_str());
    RunReport();
    umask(savedMask);
    struct stat st;
    ASSERT_EQ(stat((sPrivateDir + "/" + sRepFileName).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Every class mark of a cache hit, the aborted hit 'A' among them, counts
// in the cache section; misses, tunnels and the like do not.
TEST_F(GenerateReportTest, EveryCacheHitCountsInTheCacheSection)
{
    const struct {
        const char* result;
        bool cached;
    } cases[] = {
        {"TCP_HIT_ABORTED/000", true}, {"TCP_HIT/200", true},          {"TCP_MEM_HIT/200", true},
        {"TCP_INM_HIT/304", true},     {"TCP_REFRESH_FAIL_OLD/200", true}, {"TCP_IMS_HIT/304", true},
        {"TCP_MISS/200", false},       {"TCP_MISS_ABORTED/000", false}, {"TCP_REFRESH_MISS/200", false},
        {"TCP_TUNNEL/200", false},     {"NONE/000", false},            {"TCP_BOGUS/200", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        UseLog(LogLine(1286536308, "10.0.0.1", "TCP_MISS/200", "100", "http://a/", "ann") +
               LogLine(1286536309, "10.0.0.1", c.result, "300", "http://b/", "ann"));
        std::string text = RunReport();
        std::string section = c.cached ? "\nCache hit statistics:\n1 requests out of 2:  50.00%\n"
                                         "300 bytes out of 400:  75.00%\n"
                                       : "\nCache hit statistics:\n0 requests out of 2:   0.00%\n"
                                         "0 bytes out of 400:   0.00%\n";
        EXPECT_NE(text.find(section), std::string::npos) << text;
    }
}

TEST_F(GenerateReportTest, EndMessages)
{
    UseLog(LogLine(1286536308, "10.0.0.1", "TCP_MISS/200", "1234", "http://a/", "ann"));
    bRepCacheReport = false;
    iRepBUT = iRepBDT = 0;
    report.Run();
    EXPECT_EQ(sStatusMessage.rfind("No report: 1,234 scanned bytes, 0 hits - ", 0), 0u) << sStatusMessage;
    EXPECT_FALSE(report.bOfferView);
    EXPECT_EQ(ReportFile(), "For Fri Oct  8 11:11 2010\n\n\n      1,234 scanned bytes, 0 hits total 0 bytes\n"
                            "\nBytes attributed to \"-\" user: 0\n");
    sRepFileName.clear();
    report.Run();
    EXPECT_EQ(sStatusMessage.rfind("Summary: 1,234 scanned bytes, 0 hits - ", 0), 0u) << sStatusMessage;
    EXPECT_EQ(sStatusMessage.back(), '.');
    EXPECT_TRUE(sCurrentReport.empty());
    // A cancel keeps what was written and skips the closing sections.
    sRepFileName = "temp.txt";
    sWords = "a/\n";
    InstallStopAfter(1);
    report.Run();
    EXPECT_EQ(sStatusMessage, "Report canceled.");
    ASSERT_EQ(ScanStepsSeen().size(), 1u);
    EXPECT_EQ(ScanStepsSeen()[0].label, "complete: 1,234 bytes, 1 hits");
    EXPECT_EQ(ScanStepsSeen()[0].part, iLogSize);
    EXPECT_EQ(ScanStepsSeen()[0].whole, 0);
    EXPECT_EQ(ReportFile(), "For Fri Oct  8 11:11 2010\n\n              Fri Oct  8 11:11 2010\nann      w    a/\n");
}

TEST_F(GenerateReportTest, ReportGoesOnlyToARegularFileInThePrivateDirectory)
{
    std::string log = LogLine(1286536308, "10.0.0.1", "TCP_MISS/200", "1", "http://a/", "ann");
    UseLog(log);
    std::string fifo = sHomeDir + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string elsewhere = sHomeDir + "/elsewhere.txt";
    ASSERT_TRUE(TempHome::Write(elsewhere, "old"));
    // The program's own files hold what a report written over them would lose.
    const std::string own[] = {sWordsPath, sConfigPath, sUsersPath, sAliasesPath};
    for (const std::string& path : own)
        ASSERT_TRUE(TempHome::Write(path, "kept " + path));
    struct Case {
        std::string name;
        std::string linkTo;  // empty: no link
        bool written;
    } cases[] = {
        {"fifo.txt", fifo, false},
        {"null.txt", "/dev/null", false},
        {"log.txt", logFile, false},
        {"../escape.txt", "", false},
        {"words", "", false},
        {"conf.txt", sConfigPath, false},
        {"users.txt", "users", false},
        {"aliases.txt", sAliasesPath, false},
        {"linked.txt", elsewhere, true},
        {"plain.txt", "", true},
    };
    for (const Case& c : cases) {
        if (!c.linkTo.empty()) {
            ASSERT_EQ(symlink(c.linkTo.c_str(), (sPrivateDir + "/" + c.name).c_str()), 0);
        }
        sRepFileName = c.name;
        sStatusMessage.clear();
        report.Run();
        EXPECT_EQ(sStatusMessage.rfind(c.written ? "Press 'n'" : "Could not write to " + c.name, 0), 0u)
            << c.name << ": " << sStatusMessage;
    }
    EXPECT_EQ(TempHome::Read(logFile), log);
    for (const std::string& path : own)
        EXPECT_EQ(TempHome::Read(path), "kept " + path);
    EXPECT_TRUE(TempHome::Read(sHomeDir + "/escape.txt").empty());
    EXPECT_EQ(TempHome::Read(elsewhere).rfind("For Fri Oct", 0), 0u);
}

// A file size limit makes writes fail: with a long report while it runs,
// with a short one (all of it still buffered) only at the close.
TEST_F(GenerateReportTest, AFailedWriteIsNeverReportedAsSuccess)
{
    struct Case {
        const char* name;
        int lines;
        rlim_t limit;
    };
    const Case cases[] = {
        {"a write while the report runs", 2000, 10000},
        {"only the close", 3, 200},
    };
    for (const Case& c : cases) {
        std::string log;
        for (int i = 0; i < c.lines; ++i)
            log += LogLine(1286536308 + i, "10.0.0.1", "TCP_MISS/200", "1", "http://a/banner", "ann");
        UseLog(log);
        sStatusMessage.clear();
        sCurrentReport.clear();
        struct rlimit saved;
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        void (*savedHandler)(int) = signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = c.limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        report.Run();
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, savedHandler);
        EXPECT_EQ(sStatusMessage, "Could not append to temp.txt") << c.name;
        EXPECT_TRUE(sCurrentReport.empty()) << c.name;
        EXPECT_FALSE(report.bOfferView) << c.name;
    }
}

} // namespace
