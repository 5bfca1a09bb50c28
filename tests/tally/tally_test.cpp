#include "tally/tally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "support/logfixture.h"
#include "support/scanstub.h"
#include "browse/linereader.h"
#include "entries/fields.h"
#include "frame/scan.h"
#include "frame/settings.h"

namespace {

const int64_t kHour = 1286535600; // a whole hour since the epoch

// Every record as "user req bytes size@greatest last@time points", in order.
std::string Summary(const TallyMode& tally)
{
    std::string out;
    for (const TallyRecord& r : tally.vTally)
        out += r.sUser + " " + std::to_string(r.iRequests) + " " + std::to_string(r.iBytes) + " " +
               std::to_string(r.iUrlSize) + "@" + std::to_string(r.iGreatestHitAt) + " " +
               std::to_string(r.iLastSiteAt) + "@" + std::to_string(r.iLastTime) + " " +
               std::to_string(r.iPoints) + "\n";
    return out;
}

class TallyTest : public LogFixture {
protected:
    TallyMode tally;

    void SetUp() override
    {
        LogFixture::SetUp();
        InstallStopAfter(0);
    }

    void GatherAll(const std::string& log)
    {
        Use(log);
        tally.Gather(0, iLastLineStart + 1);
    }
};

TEST_F(TallyTest, GatheringCountsEachUsersRequestsAndSkipsWhatIsNotARequest)
{
    std::string log = Line(kHour + 1, "Ann", 0) +      // 0 bytes: no greatest hit yet
                      Line(kHour + 2, "bob", 500) +
                      "\n" +                              // blank line
                      Line(kHour + 3, "ann", 300) +
                      Line(kHour + 4, "ann", 300) +       // a tie keeps the earlier
                      Line(kHour + 5, "bob", 200, "TCP_DENIED/403") +
                      "1286535606.000 5 10.0.0.1 TCP_MISS/200 100\n"; // no user field
    struct Case {
        bool denies;
        std::string expected;
    };
    std::vector<int64_t> at;
    for (size_t p = 0; p < log.size(); p = log.find('\n', p) + 1)
        at.push_back(static_cast<int64_t>(p));
    auto S = [](int64_t v) { return std::to_string(v); };
    const Case cases[] = {
        // Sorted by points: bob's denied request counts here.
        {true, "bob 2 700 500@" + S(at[1]) + " " + S(at[5]) + "@" + S(kHour + 5) + " 700\n" +
                   "ann 3 600 300@" + S(at[3]) + " " + S(at[4]) + "@" + S(kHour + 4) + " 600\n"},
        {false, "ann 3 600 300@" + S(at[3]) + " " + S(at[4]) + "@" + S(kHour + 4) + " 600\n" +
                    "bob 1 500 500@" + S(at[1]) + " " + S(at[1]) + "@" + S(kHour + 2) + " 500\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.denies);
        tally = TallyMode();
        iTallyDenies = c.denies;
        GatherAll(log);
        // Unsorted becomes "points" after the first gathering.
        EXPECT_EQ(tally.iSort, eSortPoints);
        EXPECT_EQ(Summary(tally), c.expected);
        EXPECT_EQ(tally.iCount, 2);
        EXPECT_EQ(tally.iGathered, static_cast<int64_t>(log.size()));
    }
}

TEST_F(TallyTest, PointsFadePerWholePeriodOfLogTimeInSinglePrecision)
{
    struct Case {
        const char* what;
        int hp;
        std::vector<std::pair<int64_t, int64_t>> lines; // time, bytes
        int64_t points;
    };
    const Case cases[] = {
        {"one period", 3600, {{kHour + 10, 1000}, {kHour + 3599, 0}}, 1000},
        {"two periods later", 3600, {{kHour + 10, 1000}, {kHour + 2 * 3600 + 5, 0}}, 562},
        {"periods are aligned to the epoch", 3600, {{kHour + 3599, 1000}, {kHour + 3600, 0}}, 750},
        {"a zero period is the default", 0, {{kHour + 10, 1000}, {kHour + 2 * 3600 + 5, 0}}, 562},
        {"a negative period is the default", -60, {{kHour + 10, 1000}, {kHour + 7300, 0}}, 562},
        {"an earlier line adds without fading", 3600, {{kHour + 7300, 1000}, {kHour, 1000}}, 2000},
        // 16,777,219 is not a float: it becomes 16,777,220, and so does its
        // fade (12,582,915 rather than 12,582,914 in double precision).
        {"single precision", 3600, {{kHour, 16777219}}, 16777220},
        {"single precision fade", 3600, {{kHour, 16777219}, {kHour + 3600, 0}}, 12582915},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tally = TallyMode();
        iTallyHP = c.hp;
        std::string log;
        for (const auto& line : c.lines)
            log += Line(line.first, "ann", line.second);
        GatherAll(log);
        ASSERT_EQ(tally.vTally.size(), 1u);
        EXPECT_EQ(tally.vTally[0].iPoints, c.points);
    }
}

TEST_F(TallyTest, GarbageHugeSizesAndAbsurdTimesNeverCrashNorGoNegative)
{
    std::string log = Line(kHour, "ann", 1000) + "99999999999999999999999.5 5 10.0.0.1 TCP_MISS/200 "
                      "99999999999999999999 GET http://x/ ann - -\n" +
                      Line(kHour, "ann", -5000) + Line(0, "ann", 3000000000LL) +
                      "garbage \x01\xff line without fields\n\n   \n" + std::string(5000, 'x') + "\n" +
                      Line(kHour, std::string(300, 'u'), 9000000000000000000LL) +
                      Line(kHour, std::string(300, 'u'), 9000000000000000000LL);
    iTallyEntry = 4.0f;
    GatherAll(log);
    ASSERT_EQ(tally.vTally.size(), 2u);
    for (const TallyRecord& r : tally.vTally) {
        SCOPED_TRACE(r.sUser.substr(0, 10));
        EXPECT_EQ(r.iBytes, INT64_MAX);
        EXPECT_EQ(r.iPoints, INT64_MAX);
        EXPECT_GT(r.iRequests, 0);
        EXPECT_GE(r.iUrlSize, 0);
    }
    // A far-future time stamp opened a period that never ends; a negative
    // fade factor can then not turn points negative either.
    iTallyFade = -0.5f;
    tally.FadeStep(INT64_MAX);
    for (const TallyRecord& r : tally.vTally)
        EXPECT_GE(r.iPoints, 0);
}

TEST_F(TallyTest, StoppingKeepsWhatWasCountedSortsItAndSwitchesMonitoringOff)
{
    std::string log;
    for (int i = 0; i < 5; ++i)
        log += Line(kHour + i, i == 1 ? "big" : "ann", 100 * (i + 1));
    Use(log);
    InstallStopAfter(2);
    tally.Gather(0, iLastLineStart + 1);
    EXPECT_FALSE(iTallyMonitor);
    EXPECT_EQ(tally.iGathered, static_cast<int64_t>(log.find('\n', log.find('\n') + 1) + 1));
    EXPECT_EQ(tally.iCount, 2);
    ASSERT_EQ(tally.vTally.size(), 2u);
    // big (200 points) before ann (100): sorted by points.
    EXPECT_EQ(tally.vTally[0].sUser, "big");
    ASSERT_EQ(ScanStepsSeen().size(), 2u);
    EXPECT_EQ(ScanStepsSeen()[0].label, "Users mode gathering");
    EXPECT_EQ(ScanStepsSeen()[1].part, static_cast<int64_t>(log.find('\n') + 1));
    EXPECT_EQ(ScanStepsSeen()[1].whole, iLastLineStart + 1);
}

TEST_F(TallyTest, RefreshResetsOnAShrunkenOrReplacedLogAndGathersAnew)
{
    const std::string first = Line(kHour, "ann", 100) + Line(kHour + 1, "bob", 100);
    for (bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        tally = TallyMode();
        GatherAll(first);
        tally.Refresh(24);
        ASSERT_EQ(tally.iCount, 2);
        if (replace) {
            // A longer file renamed over the log, as a rotation script might.
            WriteWholeFile(logFile + ".new", first + Line(kHour + 2, "cat", 100));
            ASSERT_EQ(rename((logFile + ".new").c_str(), logFile.c_str()), 0);
        } else {
            Rewrite(Line(kHour + 2, "cat", 100));
        }
        tally.Refresh(24);
        EXPECT_TRUE(tally.vTally.empty());
        EXPECT_EQ(tally.iCount, 0);
        EXPECT_EQ(tally.iGathered, 0);
        tally.Gather(tally.iGathered, tally.iSizeSeen);
        std::string users;
        for (const TallyRecord& r : tally.vTally)
            users += r.sUser + " ";
        EXPECT_EQ(users, replace ? "ann bob cat " : "cat ");
    }
}

TEST_F(TallyTest, AGatheringAfterASwitchToASmallerLogIsKept)
{
    TallyMode& shared = SharedTally();
    shared = TallyMode();
    Use(Line(kHour, "ann", 1) + Line(kHour, "bob", 1) + Line(kHour, "cy", 1));
    shared.Gather(0, iLastLineStart + 1);
    shared.Refresh(24);
    std::string other = logFile + ".2";
    ASSERT_TRUE(WriteWholeFile(other, Line(kHour, "dee", 1)));
    ASSERT_EQ(unlink(sLogPath2.c_str()), 0);
    ASSERT_EQ(symlink(other.c_str(), sLogPath2.c_str()), 0);
    SwitchLog(2);
    shared.Gather(0, iLastLineStart + 1);
    shared.Refresh(24);
    ASSERT_EQ(shared.iCount, 1);
    EXPECT_EQ(shared.vTally[0].sUser, "dee");
}

TEST_F(TallyTest, SortTallyIsStableInEveryOrder)
{
    struct Rec {
        const char* user;
        int64_t points, bytes, requests, size, time;
    };
    const Rec recs[] = {{"dan", 5, 10, 1, 7, 300}, {"al", 5, 20, 2, 7, 100},
                        {"cy", 9, 10, 2, 3, 300},  {"b", 1, 30, 1, 9, 200}};
    const char* expected[] = {"dan al cy b ", "al b cy dan ", "cy dan al b ", "b al dan cy ",
                              "al cy dan b ", "b dan al cy ", "dan cy b al "};
    for (int sort = 0; sort <= 6; ++sort) {
        SCOPED_TRACE(sort);
        tally.vTally.clear();
        for (const Rec& r : recs) {
            TallyRecord t;
            t.sUser = r.user;
            t.iPoints = r.points;
            t.iBytes = r.bytes;
            t.iRequests = r.requests;
            t.iUrlSize = r.size;
            t.iLastTime = r.time;
            tally.vTally.push_back(t);
        }
        tally.iSort = sort;
        iFaultCode = 0;
        tally.SortTally();
        EXPECT_EQ(iFaultCode, 0);
        std::string order;
        for (const TallyRecord& r : tally.vTally)
            order += r.sUser + " ";
        EXPECT_EQ(order, expected[sort]);
    }
}

TEST_F(TallyTest, FullNamesComeFromTheUsersFileWhenTheCountChanges)
{
    GatherAll(Line(kHour, "ann", 300) + Line(kHour, "bob", 200) + Line(kHour, "cy", 100));
    Write(sUsersPath, "ann Ann Early\nbob\r\nnobody No One\n\n ann Blank Led\nann Ann Late\ncy Cy Unended");
    tally.Refresh(24);
    ASSERT_EQ(tally.vTally.size(), 3u);
    EXPECT_EQ(tally.vTally[0].sFullName, "Ann Late");
    EXPECT_EQ(tally.vTally[1].sFullName, "");
    EXPECT_EQ(tally.vTally[2].sFullName, "");
    // Same count: the file is not read again.
    Write(sUsersPath, "bob Bob\n");
    tally.Refresh(24);
    EXPECT_EQ(tally.vTally[1].sFullName, "");
    tally.Gather(tally.iGathered, tally.iGathered); // nothing new
    Append(Line(kHour, "dee", 50));
    tally.Gather(tally.iGathered, LogSizeNow());
    tally.Refresh(24);
    EXPECT_EQ(tally.vTally[1].sFullName, "Bob");
}

TEST_F(TallyTest, ZeroingKeepsThePlaceAndWipingKeepsPeriodSortAndView)
{
    GatherAll(Line(kHour, "ann", 300) + Line(kHour + 1, "bob", 200));
    tally.Refresh(24);
    tally.Move(eMoveDown);
    tally.ZeroSelected();
    EXPECT_EQ(Summary(tally), "ann 1 300 300@0 0@" + std::to_string(kHour) + " 300\nbob 0 0 0@-1 -1@" +
                                  std::to_string(kHour + 1) + " 0\n");
    tally.iView = 2;
    tally.Wipe();
    EXPECT_TRUE(tally.vTally.empty());
    EXPECT_EQ(tally.iGathered, 0);
    EXPECT_EQ(tally.iView, 2);
    EXPECT_EQ(tally.iSort, eSortPoints);
    EXPECT_EQ(tally.iPeriodStart, kHour);
    // Switching the log slot wipes the program's tally.
    SharedTally().vTally.resize(1);
    SharedTally().iGathered = 5;
    SwitchLog(2);
    EXPECT_TRUE(SharedTally().vTally.empty());
    EXPECT_EQ(SharedTally().iGathered, 0);
}

TEST_F(TallyTest, TheGatheringSortTakesTheLastProgressSecondAsItsStart)
{
    // bob and ann tie on points; ann has more requests. A gathering that
    // starts in another second than the last progress line sorts by
    // requests after its first line, and the final sort by points keeps
    // that order for the tie; within the same second nothing moves early.
    struct Case {
        const char* what;
        int64_t progressAge; // seconds between the last progress line and now
        const char* order;
    };
    const Case cases[] = {{"same second", 0, "bob ann cy "}, {"another second", 1, "ann bob cy "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string order;
        // A tick of the clock in the middle spoils the case: run it again.
        for (int attempt = 0; attempt < 5; ++attempt) {
            int64_t now = static_cast<int64_t>(time(nullptr));
            tally = TallyMode();
            iLastProgress = now - c.progressAge;
            GatherAll(Line(kHour, "bob", 100) + Line(kHour, "ann", 50) + Line(kHour, "ann", 50));
            Append(Line(kHour + 1, "cy", 10));
            iLastProgress = now - c.progressAge;
            tally.Gather(tally.iGathered, LogSizeNow());
            order.clear();
            for (const TallyRecord& r : tally.vTally)
                order += r.sUser + " ";
            if (static_cast<int64_t>(time(nullptr)) == now)
                break;
        }
        EXPECT_EQ(order, c.order);
    }
}

TEST_F(TallyTest, SortingManyTiedRecordsMatchesAStableSortAndKeepsThemFound)
{
    std::vector<TallyRecord> records;
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int64_t>((seed >> 16) % range);
    };
    for (int i = 0; i < 3000; ++i) {
        TallyRecord r;
        r.sUser = "u" + std::to_string(next(100000)) + "-" + std::to_string(i);
        r.iPoints = next(7);
        r.iBytes = next(5) * 1000;
        r.iRequests = next(4);
        r.iUrlSize = next(3);
        r.iLastTime = kHour + next(6);
        records.push_back(r);
    }
    for (int sort = eSortUser; sort <= eSortIdle; ++sort) {
        SCOPED_TRACE(sort);
        std::vector<TallyRecord> expected = records;
        std::stable_sort(expected.begin(), expected.end(), [sort](const TallyRecord& a, const TallyRecord& b) {
            switch (sort) {
            case eSortUser: return a.sUser < b.sUser;
            case eSortPoints: return a.iPoints > b.iPoints;
            case eSortBytes: return a.iBytes > b.iBytes;
            case eSortRequests: return a.iRequests > b.iRequests;
            case eSortUrlSize: return a.iUrlSize > b.iUrlSize;
            default: return a.iLastTime > b.iLastTime;
            }
        });
        tally = TallyMode();
        tally.vTally = records;
        tally.iSort = sort;
        tally.SortTally();
        std::string got, want;
        for (size_t i = 0; i < records.size(); ++i) {
            got += tally.vTally[i].sUser + " ";
            want += expected[i].sUser + " ";
        }
        ASSERT_EQ(got, want);
        // A line for a sorted record lands on that record, not a new one.
        const std::string user = expected[1234].sUser;
        Use(Line(kHour + 9, user, 5));
        tally.iSort = eSortNone;
        tally.Gather(0, iLastLineStart + 1);
        ASSERT_EQ(tally.vTally.size(), records.size());
        int64_t requests = 0;
        for (const TallyRecord& r : tally.vTally)
            if (r.sUser == user)
                requests = r.iRequests;
        EXPECT_EQ(requests, expected[1234].iRequests + 1);
    }
}

TEST(IdleText, EachThreshold)
{
    const int64_t now = 1700000000;
    const std::pair<int64_t, const char*> cases[] = {
        {-1, "!"},     {0, "0s"},       {59, "59s"},     {60, "1m"},      {3599, "59m"},
        {3600, "1h"},  {215999, "59h"}, {216000, "2d"},  {now, "19675d"},
        // Decades in the past do not wrap round into the future.
        {now + 3000000000LL, "54398d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IdleText(now - c.first, now), c.second) << c.first;
}

} // namespace
