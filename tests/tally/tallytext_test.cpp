#include "tally/tallytext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/logfixture.h"
#include "frame/settings.h"
#include "tally/tally.h"

namespace {

const int64_t kNow = 1286540000;

class TallyTextTest : public LogFixture {
protected:
    TallyMode tally;

    void SetUp() override
    {
        LogFixture::SetUp();
        std::string first = Line(kNow - 100, "ann", 1234567, "TCP_MISS/200", "http://big.example.com/a/b/file.zip");
        Use(first + Line(kNow - 30, "ann", 10, "TCP_MISS/200", "ftp://last.example.org/x"));
        Add("ann", 1234567, 1234568, 2, 1234567, 0, static_cast<int64_t>(first.size()), kNow - 30, "Ann Example");
        Add("192.168.100.200", 0, 0, 0, 0, -1, -1, kNow + 5, "");
        Add("averyveryverylongname", 1000000000, 2000000000000LL, 7, 999999999, -1, 999999, kNow - 7200, "Long");
        tally.iCount = 3;
        tally.Refresh(5); // 3 list rows
    }

    void Add(const char* user, int64_t points, int64_t bytes, int64_t requests, int64_t size, int64_t hitAt,
             int64_t lastAt, int64_t time, const char* fullName)
    {
        TallyRecord r;
        r.sUser = user;
        r.sFullName = fullName;
        r.iPoints = points;
        r.iBytes = bytes;
        r.iRequests = requests;
        r.iUrlSize = size;
        r.iGreatestHitAt = hitAt;
        r.iLastSiteAt = lastAt;
        r.iLastTime = time;
        tally.vTally.push_back(r);
    }
};

TEST_F(TallyTextTest, EachViewsTitleAndRows)
{
    const std::vector<std::vector<std::string>> expected = {
        {"User          Points       Bytes    Requests    URL size        Idle ",
         "ann        1,234,567   1,234,568           2   1,234,567         30s ",
         "100.200            0           0           0           0           ! ",
         // Counters of 13 characters and more show as empty columns.
         "averyver                                   7 999,999,999          2h "},
        {"Full Names",
         "ann             Ann Example                          ",
         "192.168.100.200                                      ",
         "averyveryverylo Long                                 "},
        {"Greatest Hits",
         "ann        1,234,567 big.example.com/a/b/file.zip    ",
         "100.200            0                                 ",
         "averyver 999,999,999                                 "},
        {"Last visited sites",
         "ann      last.example.org/x                          ",
         "100.200                                              ",
         "averyver                                             "},
    };
    for (int view = 0; view < 4; ++view) {
        SCOPED_TRACE(view);
        tally.iView = view;
        int cols = view == 0 ? 120 : 54;
        EXPECT_EQ(TallyScreenRows(tally, cols, kNow), expected[static_cast<size_t>(view)]);
    }
    // A narrow terminal cuts the counters view rather than wrapping it.
    tally.iView = 0;
    EXPECT_EQ(TallyScreenRows(tally, 21, kNow)[1], "ann        1,234,567");
    // A wide user column widens the full names view's user column.
    iUserNameLen = 20;
    tally.iView = 1;
    EXPECT_EQ(TallyScreenRows(tally, 40, kNow)[3], "averyveryverylongnam Long              ");
}

TEST_F(TallyTextTest, AnAbsurdUserWidthStaysWithinTheScreen)
{
    // The whole row is the user column; nothing is built wider than that.
    iUserNameLen = 2147483647;
    const std::vector<std::string> expected[] = {
        {"User                ", "ann                 ", "192.168.100.200     ", "averyveryverylongnam"},
        {"Full Names", "ann                 ", "192.168.100.200     ", "averyveryverylongnam"},
        {"Greatest Hits", "ann                 ", "192.168.100.200     ", "averyveryverylongnam"},
        {"Last visited sites", "ann                 ", "192.168.100.200     ", "averyveryverylongnam"},
    };
    for (int view = 0; view < 4; ++view) {
        SCOPED_TRACE(view);
        tally.iView = view;
        EXPECT_EQ(TallyScreenRows(tally, 21, kNow), expected[view]);
    }
}

TEST_F(TallyTextTest, StatusLineTellsPlaceSortAndSwitches)
{
    struct Case {
        int selectedRow;
        bool monitor, denies;
        int cols;
        std::string expected;
    };
    const Case cases[] = {
        {0, true, true, 41, "  0.00% points            mon | h = help"},
        {2, false, false, 41, "100.00% points             -d | h = help"},
        {1, true, false, 41, " 50.00% points         -d mon | h = help"},
        {1, true, false, 12, " 50.00% poi"},
    };
    tally.iSort = eSortPoints;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        tally.iCursor = c.selectedRow;
        tally.Refresh(5);
        iTallyMonitor = c.monitor;
        iTallyDenies = c.denies;
        EXPECT_EQ(TallyStatus(tally, c.cols), c.expected);
    }
}

} // namespace
