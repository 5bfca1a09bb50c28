#include "browse/search.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "browse/logreader.h"
#include "entries/words.h"
#include "support/scanstub.h"
#include "support/smalllog.h"

namespace {

// A log line; a hit when its URL holds the search word.
std::string Line(int n, bool hit, size_t width = 0)
{
    std::string line = "1286536308.779 1 10.0.0.1 TCP_MISS/200 5 GET http://host" + std::to_string(n) +
                       (hit ? "/needle" : "/hay") + " ann - -";
    if (line.size() < width)
        line += " " + std::string(width - line.size() - 1, 'x');
    return line + "\n";
}

class SearchTest : public SmallLogTest {
protected:
    std::vector<int64_t> starts;

    void SetUp() override
    {
        SmallLogTest::SetUp();
        sWords = "needle\n";
    }
    void TearDown() override
    {
        RemoveScanStub();
        sWords.clear();
        SmallLogTest::TearDown();
    }

    // One line per character of the pattern: '.' a plain line, 'n' a hit,
    // 'e' an empty line, 's' the short line "ab", 'r' a CR LF alone; 'L'
    // a hit of `width` bytes with its line feed.
    void UseLog(const std::string& pattern, size_t width = 0)
    {
        std::string log;
        starts.clear();
        for (size_t i = 0; i < pattern.size(); ++i) {
            starts.push_back(static_cast<int64_t>(log.size()));
            char c = pattern[i];
            int n = static_cast<int>(i);
            log += c == 'e' ? "\n" : c == 's' ? "ab\n" : c == 'r' ? "\r\n" : c == 'L' ? Line(n, true, width - 1) : Line(n, c == 'n');
        }
        Use(log);
    }

    // Selects line i as the browse window would, then searches.
    void SearchFrom(int line, int direction)
    {
        ShowOffset(starts[static_cast<size_t>(line)]);
        iCursorOffset = SelectedOffset();
        ASSERT_EQ(iCursorOffset, starts[static_cast<size_t>(line)]);
        SearchHits(direction);
    }

    int SelectedLine()
    {
        int64_t at = SelectedOffset();
        for (size_t i = 0; i < starts.size(); ++i)
            if (starts[i] == at)
                return static_cast<int>(i);
        return -1;
    }
};

struct SearchCase {
    const char* name;
    const char* log;
    int from;
    int direction;
    int stopAt; // the step that answers "stop"; 0 never
    int selected;
};

const SearchCase kSearchCases[] = {
    {"down to a hit", "......n.....n.......", 0, +1, 0, 6},
    {"up to a hit", "...n.....n..........", 19, -1, 0, 9},
    {"down with no hit ends on the last line", "....................", 2, +1, 0, 19},
    {"up with no hit ends on the first line", "....................", 17, -1, 0, 0},
    {"down to a hit on the last line", "...................n", 0, +1, 0, 19},
    {"up to a hit on the first line", "n...................", 19, -1, 0, 0},
    {"down from the line above the hit", "...n....", 2, +1, 0, 3},
    {"a hit on the selected line is passed over", "...n...n....", 3, +1, 0, 7},
    {"down from the last line does nothing", "..n.......", 9, +1, 0, 9},
    {"up from the first line does nothing", "..n.......", 0, -1, 0, 0},
    {"stopped going down", "..............n.....", 1, +1, 3, 1},
    {"stopped going up", "..n.................", 18, -1, 3, 18},
    {"up over an empty first line", "e...................", 19, -1, 0, 0},
    {"up over a short first line", "s...................", 19, -1, 0, 0},
    {"up onto a short first line, then a hit", "sn..................", 19, -1, 0, 1},
    {"up over lines of CR LF alone", "rrrrrrrrrrrrrrrrrrrr", 19, -1, 0, 0},
    {"down over lines of CR LF alone", "rrrrrrrrrrrrrrrrrrrr", 0, +1, 0, 19},
};

TEST_F(SearchTest, FindsStopsAndEndsInBothDirections)
{
    for (const SearchCase& c : kSearchCases) {
        UseLog(c.log);
        InstallStopAfter(c.stopAt > 0 ? c.stopAt : 10000);
        SearchFrom(c.from, c.direction);
        EXPECT_EQ(SelectedLine(), c.selected) << c.name;
        const std::vector<ScanCall>& steps = ScanStepsSeen();
        // Every scan ends well before the stub's safety stop, and each
        // step reports its progress towards the last page.
        EXPECT_LT(steps.size(), 25u) << c.name;
        if (c.stopAt > 0) {
            EXPECT_EQ(steps.size(), static_cast<size_t>(c.stopAt)) << c.name;
        }
        bool scanned = c.from != c.selected || c.stopAt > 0;
        EXPECT_EQ(ScanBeginsSeen(), scanned ? 1 : 0) << c.name;
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].label, "Searching...") << c.name;
            EXPECT_EQ(steps[i].whole, iEndTop) << c.name;
            if (i > 0) {
                EXPECT_EQ(steps[i].part > steps[i - 1].part, c.direction > 0) << c.name << " step " << i;
            }
        }
    }
}

// A hit on a line about as long as one step of the reader is found from
// either side, and the line itself (its start) is selected.
TEST_F(SearchTest, FindsHitsOnLinesAroundTheStepLength)
{
    for (size_t width : {2040u, 2045u, 2046u, 2047u, 2048u, 2049u, 2050u, 2051u, 3000u, 4097u, 9000u}) {
        UseLog("........L........", width);
        ASSERT_EQ(starts[9] - starts[8], static_cast<int64_t>(width));
        InstallStopAfter(10000);
        SearchFrom(16, -1);
        EXPECT_EQ(SelectedLine(), 8) << "up, line of " << width << " bytes";
        SearchFrom(0, +1);
        EXPECT_EQ(SelectedLine(), 8) << "down, line of " << width << " bytes";
    }
}

// The log is cut short while an upward search runs (a copy-and-truncate
// rotation): the search ends at the new end instead of running on.
TEST_F(SearchTest, EndsAtTheNewEndWhenTheLogShrinks)
{
    std::string pattern(400, '.');
    UseLog(pattern);
    static std::string path;
    static int calls;
    path = logFile;
    calls = 0;
    SetScanHook(nullptr, [](const char*, int64_t, int64_t) {
        if (++calls == 5) {
            EXPECT_EQ(truncate(path.c_str(), 0), 0);
            std::string shorter = Line(0, false) + Line(1, false) + Line(2, false);
            Write(path, shorter);
            DropReadAhead();
        }
        return calls > 5000;
    });
    SearchFrom(399, -1);
    EXPECT_LT(calls, 5000);
    EXPECT_EQ(iLogSize, static_cast<int64_t>(3 * Line(0, false).size()));
    EXPECT_EQ(iTopOffset, iEndTop);
    EXPECT_EQ(iCursorRow, iMaxRow);
}

TEST(PercentOffsetTest, StaysInsideTheLogHoweverLarge)
{
    const int64_t huge = (int64_t{1} << 62) + 12345;
    const int64_t top = INT64_MAX;
    struct Case {
        double percent;
        int64_t whole;
        int64_t offset;
    } const cases[] = {
        {0, 1000, 0},       {50, 1000, 500},   {33.3, 1000, 333}, {100, 1000, 1000},
        {100, 0, 0},        {50, -5, 0},       {100, huge, huge}, {100, top, top},
        {99.999999, top, static_cast<int64_t>(99.999999 * static_cast<double>(top) / 100.0)},
        {0, top, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PercentOffset(c.percent, c.whole), c.offset) << c.percent << "% of " << c.whole;
    EXPECT_GE(PercentOffset(50, top), top / 2 - 1024);
    EXPECT_LE(PercentOffset(50, top), top / 2 + 1024);
}

} // namespace
