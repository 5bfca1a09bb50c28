#include "browse/jump.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "browse/logreader.h"
#include "entries/fields.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "support/smalllog.h"

namespace {

// Runs the tests in a zone with daylight saving, and puts the old one back.
class BerlinTime {
public:
    BerlinTime()
    {
        const char* old = getenv("TZ");
        hadOld = old != nullptr;
        if (hadOld)
            oldZone = old;
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    ~BerlinTime()
    {
        if (hadOld)
            setenv("TZ", oldZone.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool hadOld = false;
    std::string oldZone;
};

// Seconds of a UTC date and time.
int64_t Utc(int y, int mo, int d, int h = 0, int mi = 0)
{
    struct tm tm = {};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    return static_cast<int64_t>(timegm(&tm));
}

TEST(JumpTest, DateArithmeticAcrossMonthEndsAndClockChanges)
{
    BerlinTime zone;
    // Berlin is UTC+1 in winter and UTC+2 in summer; the clocks changed on
    // 2011-03-27 at 02:00 and on 2011-10-30 at 03:00.
    const struct {
        const char* name;
        int64_t t;
        int day;
        bool forward;
        int64_t target;
    } cases[] = {
        {"same day next month", Utc(2010, 10, 15, 10), 15, true, Utc(2010, 11, 14, 23)},
        {"same day previous month", Utc(2010, 10, 15, 10), 15, false, Utc(2010, 9, 14, 22)},
        {"next day", Utc(2010, 10, 15, 10), 16, true, Utc(2010, 10, 15, 22)},
        {"earlier day forward is next month", Utc(2010, 10, 15, 10), 3, true, Utc(2010, 11, 2, 23)},
        {"31st from February", Utc(2011, 2, 10, 12), 31, true, Utc(2011, 3, 30, 22)},
        {"31st skips February", Utc(2011, 1, 31, 12), 31, true, Utc(2011, 3, 30, 22)},
        {"31st backward over February", Utc(2011, 3, 5, 12), 31, false, Utc(2011, 1, 30, 23)},
        {"year end", Utc(2010, 12, 31, 12), 1, true, Utc(2010, 12, 31, 23)},
        {"late evening is still that date", Utc(2011, 7, 14, 21, 30), 15, true, Utc(2011, 7, 14, 22)},
        {"onto the spring change", Utc(2011, 3, 26, 11), 27, true, Utc(2011, 3, 26, 23)},
        {"from before the spring change", Utc(2011, 3, 27, 0, 30), 28, true, Utc(2011, 3, 27, 22)},
        {"onto the autumn change", Utc(2011, 10, 31, 11), 30, false, Utc(2011, 10, 29, 22)},
        {"from before the autumn change", Utc(2011, 10, 29, 22, 30), 31, true, Utc(2011, 10, 30, 23)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DayTarget(c.t, c.day, c.forward), c.target) << c.name;
    const struct {
        const char* answer;
        int day;
    } answers[] = {{"15", 15}, {"1", 1}, {"31", 31}, {"0", 0}, {"32", 0}, {"abc", 0}, {"", 0}, {"-5", 0},
                   {"7th", 7}, {"99999999999999", 0}};
    for (const auto& a : answers)
        EXPECT_EQ(JumpDayAnswer(a.answer), a.day) << a.answer;
}

// A log of the given line times (0: a line without a time) in a temporary
// private directory, made current.
class SeekTest : public SmallLogTest {
protected:
    std::vector<int64_t> offsets;

    void SetUp() override
    {
        SmallLogTest::SetUp();
        iPageRows = 10;
        sStatusMessage.clear();
    }

    void Use(const std::vector<int64_t>& times)
    {
        std::string text;
        offsets.clear();
        char line[200];
        for (size_t i = 0; i < times.size(); ++i) {
            offsets.push_back(static_cast<int64_t>(text.size()));
            if (times[i] == 0)
                snprintf(line, sizeof line, "garbage without a time stamp %zu\n", i);
            else
                snprintf(line, sizeof line,
                         "%lld.123     12 192.168.1.7 TCP_MISS/200 1234 GET http://h%zu.example/ u - DIRECT/1.2.3.4 "
                         "text/html\n",
                         static_cast<long long>(times[i]), i);
            text += line;
        }
        SmallLogTest::Use(text);
    }

    // Index of the selected line, found from the view state as a draw would.
    int Selected()
    {
        int64_t a = SelectedOffset();
        for (size_t i = 0; i < offsets.size(); ++i)
            if (offsets[i] == a)
                return static_cast<int>(i);
        return -1;
    }
};

// Times from start, one line every step seconds; zeros where untimed.
std::vector<int64_t> Times(int count, int64_t start, int64_t step, int untimedFrom = -1, int untimedTo = -1)
{
    std::vector<int64_t> times;
    for (int i = 0; i < count; ++i)
        times.push_back(i >= untimedFrom && i < untimedTo ? 0 : start + i * step);
    return times;
}

TEST_F(SeekTest, FindsTheFirstLineNotBeforeTheTarget)
{
    const int64_t t0 = 1300000000;
    const struct {
        const char* name;
        std::vector<int64_t> times;
        int64_t target;
        int selected;
    } cases[] = {
        {"small log, exact", Times(100, t0, 60), t0 + 60 * 40, 40},
        {"small log, between", Times(100, t0, 60), t0 + 60 * 40 + 1, 41},
        {"small log, before all", Times(100, t0, 60), t0 - 5, 0},
        {"small log, after all", Times(100, t0, 60), t0 + 60 * 500, 99},
        {"small log, untimed lines skipped", Times(100, t0, 60, 30, 50), t0 + 60 * 35, 50},
        {"bisection, exact", Times(5000, t0, 60), t0 + 60 * 3777, 3777},
        {"bisection, between", Times(5000, t0, 60), t0 + 60 * 1234 + 30, 1235},
        {"bisection, before all", Times(5000, t0, 60), t0 - 1, 0},
        {"bisection, after all", Times(5000, t0, 60), t0 + 60 * 9000, 4999},
        {"bisection over an untimed stretch", Times(5000, t0, 60, 2000, 3000), t0 + 60 * 2500, 3000},
        {"bisection, untimed head", Times(5000, t0, 60, 0, 1500), t0 + 60 * 1600, 1600},
        {"equal times: the first of them", std::vector<int64_t>(3000, t0 + 7), t0 + 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Use(c.times);
        iTopOffset = 0;
        iCursorRow = 0;
        SeekTime(c.target, nullptr);
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(sStatusMessage, "");
    }
}

TEST_F(SeekTest, UntimedTopOfTheLogLeavesTheView)
{
    std::vector<const char*> shown;
    static std::vector<const char*>* seen;
    seen = &shown;
    Use(Times(5000, 1300000000, 60, 1000, 5000));
    iTopOffset = offsets[10];
    iCursorRow = 3;
    SeekTime(1300000000 + 60 * 4000, [](const char* text) { seen->push_back(text); });
    EXPECT_EQ(sStatusMessage, "Problem in jump :(");
    EXPECT_EQ(iTopOffset, offsets[10]);
    EXPECT_EQ(iCursorRow, 3);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_STREQ(shown[0], "Splitting pointer...");
}

TEST_F(SeekTest, JumpFromTheSelectedLine)
{
    BerlinTime zone;
    // Four days, a line every ten minutes from 2011-03-25 00:00 local.
    std::vector<int64_t> times = Times(4 * 144, Utc(2011, 3, 24, 23), 600);
    times[5] = 0;
    Use(times);
    iTopOffset = 0;
    iCursorRow = 0;
    iCursorOffset = offsets[150];  // 2011-03-26 01:00
    int64_t t = 0;
    ASSERT_TRUE(JumpStartTime(t));
    EXPECT_EQ(t, times[150]);
    JumpToDate(t, 27, true, nullptr);
    // The first line of the 27th: 2011-03-27 00:00 CET, the clocks changed later that night.
    EXPECT_EQ(Selected(), 288);
    JumpToDate(times[300], 25, false, nullptr);
    EXPECT_EQ(Selected(), 0);
    JumpToDate(times[300], 12, true, nullptr);
    EXPECT_EQ(Selected(), 4 * 144 - 1);

    iCursorOffset = offsets[5];
    EXPECT_FALSE(JumpStartTime(t));
    EXPECT_EQ(sStatusMessage, "Bad day to start with.");
}

} // namespace

namespace {

// Read system calls and bytes this process has made so far.
void ReadsSoFar(long long& calls, long long& bytes)
{
    calls = bytes = -1;
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value;
    while (io >> key >> value) {
        if (key == "syscr:")
            calls = value;
        else if (key == "rchar:")
            bytes = value;
    }
}

// The 2,000,000-line generated log the benchmarks use, made once in the
// build folder and kept.
std::string BigLog()
{
    std::string log = std::string(FERNTRACK_BUILD_DIR) + "/bench-2m.log";
    if (access(log.c_str(), R_OK) == 0)
        return log;
    std::string part = log + ".part." + std::to_string(getpid());
    std::string command = "python3 '" + std::string(FERNTRACK_SOURCE_DIR) +
                          "/scripts/genlog.py' --lines 2000000 --seed 42 --out '" + part + "'";
    if (system(command.c_str()) != 0 || rename(part.c_str(), log.c_str()) != 0)
        unlink(part.c_str());
    return access(log.c_str(), R_OK) == 0 ? log : std::string();
}

TEST_F(SeekTest, JumpInTheBigLogReadsAFewDozenLines)
{
    std::string log = BigLog();
    ASSERT_FALSE(log.empty());
    unlink(sLogPath1.c_str());
    ASSERT_EQ(symlink(log.c_str(), sLogPath1.c_str()), 0);
    SwitchLog(1);
    NextLine(0);
    int64_t first = GetTime(sCurrentLine);
    NextLine(iLastLineStart);
    int64_t last = GetTime(sCurrentLine);
    ASSERT_GT(last, first + 2 * 86400);
    for (int64_t target : {first + 86400 * 5 / 2, first + 86400 / 3, last - 1000}) {
        long long calls0, bytes0, calls1, bytes1;
        ReadsSoFar(calls0, bytes0);
        SeekTime(target, nullptr);
        ReadsSoFar(calls1, bytes1);
        ASSERT_GE(calls0, 0);
        // Each read fills the reader's window of 256 KiB: a few dozen of
        // them, a few MB of a log of 274 MB.
        EXPECT_LT(calls1 - calls0, 48);
        EXPECT_LT(bytes1 - bytes0, 48LL * 256 * 1024);
        int64_t a = SelectedOffset();
        int64_t previous = PrevLine(a);
        EXPECT_LT(GetTime(sCurrentLine), target);
        NextLine(a);
        EXPECT_GE(GetTime(sCurrentLine), target);
        EXPECT_LT(previous, a);
    }
}

} // namespace
