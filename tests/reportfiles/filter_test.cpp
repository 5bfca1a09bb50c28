#include "reportfiles/filter.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "../entries/temphome.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "support/scanstub.h"

namespace {

// The closing sections of a normal-text report, as the report run writes
// them after the hit entries.
const std::string kTail =
    "\n  1,000,000 scanned bytes, 2 hits total 58,023 bytes\n"
    "\nBytes attributed to \"-\" user: 56,789\n"
    "\nCache hit statistics:\n3 requests out of 40:   7.50%\n12,000 bytes out of 1,000,000:   1.20%\n"
    "\n    990,000 bytes not skipped domains\n    600,000 ann : Sales desk\n"
    "    390,000 192.168.10.200\n"
    "\n    990,000 bytes all users bandwidth: domains not skipped\n    700,000 host7\n"
    "    290,000 host9:443\n";
const std::string kHead = "Weekly\n\nFor Tue Oct  5 14:03 2010 to Tue Oct  5 18:40 2010\n\n";
const std::string kRange = "For Tue Oct  5 14:03 2010 to Tue Oct  5 18:40 2010\n\n";
const std::string kTime1403 = "                          Tue Oct  5 14:03 2010\n";
const std::string kTime1404 = "                          Tue Oct  5 14:04 2010\n";
const std::string kAnnHit = "      1,234 ann      w H  host7/index.html\n";
const std::string kDashHit = "     56,789 10.200   w    host9:443\n";
const std::string kAnnTotal = "Total bytes including small requests: 600,000\n\n";

struct FilterCase {
    const char* name;
    std::string source;
    std::string user;
    std::string users;  // the users file
    std::string expected;
    bool made;
};

class FilterReportTest : public ::testing::Test {
protected:
    TempHome home;
    void SetUp() override
    {
        ResetSettings();
        sStatusMessage.clear();
    }
    std::string Out() { return TempHome::Read(sPrivateDir + "/out.txt"); }
};

TEST_F(FilterReportTest, KeepsOneUsersPartOfTheReport)
{
    const std::string sizeless = "For Tue Oct  5 14:03 2010\n\n"
                                 "              Tue Oct  5 14:03 2010\n"
                                 "bob      w    a.example/x\n"
                                 "jdoe     w H  b.example/y\n"
                                 "\n     12,000 scanned bytes, 2 hits total 9 bytes\n"
                                 "\n     12,000 bytes all domains\n      7,000 bob\n      5,000 jdoe\n";
    const std::string split = kHead + kTime1403 +
                              "      1,234 ann      w H  host7/aaaaaaaaaaaaaaaaaaa\n"
                              "                          bbbbbbbbbbbbbbbbbbb\n"
                              "                          cccccccccccc\n"
                              "        999 bob      w    host8/dddddddddddddddddd\n"
                              "                          eeeeeeee\n" + kTail;
    // A line far longer than any report line is cut, not kept whole.
    const std::string hugeHit = "      1,234 ann      w H  host7/" + std::string(200000, 'x');
    const FilterCase cases[] = {
        {"overlong line cut", kHead + kTime1403 + hugeHit + "\n" + kTail, "ann", "",
         "Web usage report on ann\n\n" + kRange + kTime1403 + hugeHit.substr(0, 65536) + "\n\n" + kAnnTotal, true},
        {"full name heading", kHead + kTime1403 + kAnnHit + kDashHit + kTail, "ann",
         "bob Bob\nann Sales desk\n",
         "Web usage report on \"ann\" who is Sales desk\n\n" + kRange + kTime1403 + kAnnHit + "\n" + kAnnTotal,
         true},
        {"no full name", kHead + kTime1403 + kAnnHit + kDashHit + kTail, "ann", "",
         "Web usage report on ann\n\n" + kRange + kTime1403 + kAnnHit + "\n" + kAnnTotal, true},
        {"time line before every entry", kHead + kTime1403 + kAnnHit + kDashHit + kAnnHit + kTime1404 + kAnnHit + kTail,
         "ann", "",
         "Web usage report on ann\n\n" + kRange + kTime1403 + kAnnHit + kTime1403 + kAnnHit + kTime1404 + kAnnHit +
             "\n" + kAnnTotal,
         true},
        {"split entry keeps its continuation lines only", split, "ann", "",
         "Web usage report on ann\n\n" + kRange + kTime1403 + "      1,234 ann      w H  host7/aaaaaaaaaaaaaaaaaaa\n"
             "                          bbbbbbbbbbbbbbbbbbb\n                          cccccccccccc\n\n" + kAnnTotal,
         true},
        {"wide unpadded summary number", kHead + kTime1403 + kAnnHit +
             "\n12,345,678,901 scanned bytes, 2 hits total 58,023 bytes\n\n 12,345,678,901 bytes all domains\n"
             "12,345,678,900 ann\n",
         "ann", "",
         "Web usage report on ann\n\n" + kRange + kTime1403 + kAnnHit + "\n" +
             "Total bytes including small requests: 12,345,678,900\n\n",
         true},
        {"long name matches only the totals", kHead + kTime1403 + "      1,234 annabell w H  host7/\n" + kTail +
             "        500 annabelle-long\n",
         "annabelle-long", "", "Web usage report on annabelle-long\n\n" + kRange + "\n" +
             "Total bytes including small requests: 500\n\n", true},
        {"report without size column", sizeless, "jdoe", "",
         "Web usage report on jdoe\n\nFor Tue Oct  5 14:03 2010\n\n              Tue Oct  5 14:03 2010\n"
         "jdoe     w H  b.example/y\n\nTotal bytes including small requests: 5,000\n\n",
         true},
        {"csv report", "1234|ann|w H |1286287408.123|Tue Oct  5 14:03 2010|http://host7/\n"
                       "56789|10.200|w   |1286287409.000|Tue Oct  5 14:03 2010|host9:443\n",
         "ann", "", "Web usage report on ann\n\n", false},
        {"user without lines", kHead + kTime1403 + kAnnHit + kTail, "carol", "",
         "Web usage report on carol\n\n" + kRange + "\n", false},
        {"no final line feed", kHead + kTime1403 + kAnnHit + "\n  1,000 scanned bytes, 1 hits total 1 bytes\n"
             "\n      1,234 bytes all domains\n      1,234 ann",
         "ann", "", "Web usage report on ann\n\n" + kRange + kTime1403 + kAnnHit + "\n" +
             "Total bytes including small requests: 1,234\n\n", true},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(TempHome::Write(sPrivateDir + "/in.txt", c.source));
        ASSERT_TRUE(TempHome::Write(sUsersPath, c.users));
        sStatusMessage.clear();
        EXPECT_EQ(FilterReport("in.txt", "out.txt", c.user), c.made);
        EXPECT_EQ(Out(), c.expected);
        EXPECT_EQ(sStatusMessage, "");
        struct stat st;
        ASSERT_EQ(stat((sPrivateDir + "/out.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
}

TEST_F(FilterReportTest, RefusesWhatItCannotReadOrWrite)
{
    ASSERT_TRUE(TempHome::Write(sPrivateDir + "/in.txt", kHead + kTime1403 + kAnnHit + kTail));
    std::string outside = sPrivateDir + "/../outside.log";
    ASSERT_TRUE(TempHome::Write(outside, "log line\n"));
    ASSERT_EQ(symlink(outside.c_str(), sLogPath1.c_str()), 0);
    ASSERT_EQ(symlink(outside.c_str(), (sPrivateDir + "/slot.txt").c_str()), 0);
    ASSERT_EQ(mkfifo((sPrivateDir + "/fifo.txt").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((sPrivateDir + "/fifoin.txt").c_str(), 0600), 0);
    ASSERT_EQ(symlink("in.txt", (sPrivateDir + "/latest.txt").c_str()), 0);
    ASSERT_EQ(link((sPrivateDir + "/in.txt").c_str(), (sPrivateDir + "/hard.txt").c_str()), 0);
    ASSERT_TRUE(TempHome::Write(sWordsPath, "ann\n"));
    ASSERT_EQ(symlink(sWordsPath.c_str(), (sPrivateDir + "/words.txt").c_str()), 0);
    struct Case {
        const char* source;
        const char* destination;
        std::string message;
    } cases[] = {
        {"missing.txt", "out.txt", "Can't open missing.txt for reading."},
        {"fifoin.txt", "out.txt", "Can't open fifoin.txt for reading."},
        {"in.txt", "", "Can't open  for writing."},
        {"in.txt", "fifo.txt", "Can't open fifo.txt for writing."},
        {"in.txt", "slot.txt", "Can't open slot.txt for writing."},
        // The source itself under another name must not be truncated.
        {"in.txt", "latest.txt", "Can't open latest.txt for writing."},
        {"in.txt", "hard.txt", "Can't open hard.txt for writing."},
        {"in.txt", "./in.txt", "Can't open ./in.txt for writing."},
        {"in.txt", "words.txt", "Can't open words.txt for writing."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.destination);
        sStatusMessage.clear();
        EXPECT_FALSE(FilterReport(c.source, c.destination, "ann"));
        EXPECT_EQ(sStatusMessage, c.message);
    }
    EXPECT_NE(access((sPrivateDir + "/out.txt").c_str(), F_OK), 0);
    EXPECT_EQ(TempHome::Read(outside), "log line\n");
    EXPECT_EQ(TempHome::Read(sWordsPath), "ann\n");
    EXPECT_EQ(TempHome::Read(sPrivateDir + "/in.txt"), kHead + kTime1403 + kAnnHit + kTail);
}

// The pass is a long scan: a step after every line, with its place in the
// source for the progress line; an 's' ends it, keeping what was written.
TEST_F(FilterReportTest, ThePassStepsThroughTheSourceAndStopsAtS)
{
    const std::string source = kHead + kTime1403 + kAnnHit + kDashHit + kTail;
    ASSERT_TRUE(TempHome::Write(sPrivateDir + "/in.txt", source));
    const struct {
        int stopAt;
        bool made;
        std::string out;
        std::string message;
    } cases[] = {
        {0, true, "Web usage report on ann\n\n" + kRange + kTime1403 + kAnnHit + "\n" + kAnnTotal, ""},
        {4, false, "Web usage report on ann\n\n" + kRange, "Filter canceled."},
        {6, false, "Web usage report on ann\n\n" + kRange + kTime1403 + kAnnHit, "Filter canceled."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stopAt);
        InstallStopAfter(c.stopAt);
        sStatusMessage.clear();
        bool stopped = false;
        EXPECT_EQ(FilterReport("in.txt", "out.txt", "ann", &stopped), c.made);
        EXPECT_EQ(stopped, !c.made);
        EXPECT_EQ(Out(), c.out);
        EXPECT_EQ(sStatusMessage, c.message);
        const std::vector<ScanCall>& steps = ScanStepsSeen();
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps[0].label, "Filtering for ann");
        // Line by line: the first step stands after the title and its LF.
        EXPECT_EQ(steps[0].part, 7);
        for (size_t i = 1; i < steps.size(); ++i)
            EXPECT_GT(steps[i].part, steps[i - 1].part);
        EXPECT_EQ(steps.back().whole, static_cast<int64_t>(source.size()));
        EXPECT_EQ(ScanEndsSeen(), 1);
    }
    RemoveScanStub();
}

// A write that fails (here: past the file size limit) is reported and the
// report is not offered as made.
TEST_F(FilterReportTest, FailedWriteIsNotSuccess)
{
    ASSERT_TRUE(TempHome::Write(sPrivateDir + "/in.txt", kHead + kTime1403 + kAnnHit + kTail));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {60, 60};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool made = FilterReport("in.txt", "out.txt", "ann");
        _exit(!made && sStatusMessage == "Can't write to  out.txt" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Out().size(), 60u);
}

} // namespace

#include "../report/reportfixture.h"

namespace {

class FilterRunOutputTest : public ReportTest {};

// The filter reads what the report run writes, in both of its forms.
TEST_F(FilterRunOutputTest, FiltersTheReportRunsOwnOutput)
{
    ASSERT_TRUE(TempHome::Write(sUsersPath, "ann Sales desk\n"));
    const std::string longUrl = "http://host7.example/aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/x.html";
    UseLog(LogLine(1286287380, "10.0.0.1", "TCP_HIT/200", "1234", longUrl, "ann") +
           LogLine(1286287390, "10.0.0.2", "TCP_MISS/200", "5000", "http://host8.example/x", "bob") +
           LogLine(1286287395, "10.0.0.1", "TCP_MISS/200", "10", "http://host9.example/x", "ann") +
           LogLine(1286287460, "192.168.10.200", "TCP_MISS/200", "70", "http://host9.example/x", "-") +
           LogLine(1286287470, "10.0.0.1", "TCP_MISS/200", "20", "http://host7.example/x", "Ann"));
    sWords = "x\n";
    sRepFileName = "week.txt";
    iRepWordHits = 1;
    bRepShowSize = true;
    bRepSplit = true;
    iRepColumns = 45;
    bRepCacheReport = true;
    iRepBUT = 1;
    iRepBDT = 1;
    report.Run();
    ASSERT_TRUE(FilterReport("week.txt", "ann.txt", "ann")) << ReportFile();
    EXPECT_EQ(TempHome::Read(sPrivateDir + "/ann.txt"),
              "Web usage report on \"ann\" who is Sales desk\n\n"
              "For Tue Oct  5 14:03 2010\n\n"
              "                          Tue Oct  5 14:03 2010\n"
              "      1,234 ann      w H  host7.example/aaaaa\n"
              "                          aaaaaaaaaaaaaaaaaaa\n"
              "                          aaaaaaaaaaaaaaaaaaa\n"
              "                          /x.html\n"
              "                          Tue Oct  5 14:03 2010\n"
              "         10 ann      w    host9.example/x\n"
              "                          Tue Oct  5 14:04 2010\n"
              "         20 ann      w    host7.example/x\n"
              "\nTotal bytes including small requests: 1,264\n\n")
        << ReportFile();

    iRepWordHits = 2;
    sRepSeperator = "|";
    report.Run();
    EXPECT_FALSE(FilterReport("week.txt", "annc.txt", "bob")) << ReportFile();
}

} // namespace
