#include "browse/viewmove.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "browse/logreader.h"
#include "support/smalllog.h"

namespace {

using ViewMoveTest = SmallLogTest;

// Twelve lines of three bytes: with five rows the last page starts at line 7.
const char* const kTwelve = "l0\nl1\nl2\nl3\nl4\nl5\nl6\nl7\nl8\nl9\nla\nlb\n";

struct MoveCase {
    const char* name;
    const char* log;
    int top; // line index on the top row
    int cursor;
    eMove move;
    int topAfter;
    int cursorAfter;
};

const MoveCase kMoveCases[] = {
    {"end", kTwelve, 0, 2, eMoveEnd, 7, 4},
    {"down inside the page", kTwelve, 0, 2, eMoveDown, 0, 3},
    {"down on the last row scrolls", kTwelve, 2, 4, eMoveDown, 3, 4},
    {"down on the last line stays", kTwelve, 7, 4, eMoveDown, 7, 4},
    {"page down", kTwelve, 0, 1, eMovePageDown, 5, 1},
    {"page down onto the last page", kTwelve, 3, 1, eMovePageDown, 7, 4},
    {"page down on the last page", kTwelve, 7, 0, eMovePageDown, 7, 4},
    {"home", kTwelve, 6, 3, eMoveHome, 0, 0},
    {"up inside the page", kTwelve, 6, 3, eMoveUp, 6, 2},
    {"up on the first row scrolls", kTwelve, 6, 0, eMoveUp, 5, 0},
    {"up on the first line stays", kTwelve, 0, 0, eMoveUp, 0, 0},
    {"page up", kTwelve, 6, 2, eMovePageUp, 1, 2},
    {"page up onto the first line", kTwelve, 3, 2, eMovePageUp, 0, 0},
    {"left and right leave the view", kTwelve, 4, 2, eMoveLeft, 4, 2},
    {"none leaves the view", kTwelve, 4, 2, eMoveNone, 4, 2},
    {"a log shorter than the screen ends on its last line", "a\nb\nc\n", 0, 0, eMoveEnd, 0, 2},
    {"a short log does not scroll down", "a\nb\nc\n", 0, 2, eMoveDown, 0, 2},
    {"up reaches a short first line", "ab\nl1\nl2\nl3\nl4\nl5\nl6\n", 1, 0, eMoveUp, 0, 0},
    {"page up reaches an empty first line", "\nl1\nl2\nl3\nl4\nl5\nl6\nl7\n", 2, 0, eMovePageUp, 0, 0},
};

std::vector<int64_t> LineStarts(const std::string& log)
{
    std::vector<int64_t> starts{0};
    for (size_t i = 0; i + 1 < log.size(); ++i)
        if (log[i] == '\n')
            starts.push_back(static_cast<int64_t>(i + 1));
    return starts;
}

TEST_F(ViewMoveTest, MovesTheViewAndStopsAtTheEnds)
{
    for (const MoveCase& c : kMoveCases) {
        Use(c.log);
        std::vector<int64_t> starts = LineStarts(c.log);
        iTopOffset = starts[static_cast<size_t>(c.top)];
        iCursorRow = c.cursor;
        MoveView(c.move);
        EXPECT_EQ(iTopOffset, starts[static_cast<size_t>(c.topAfter)]) << c.name;
        EXPECT_EQ(iCursorRow, c.cursorAfter) << c.name;
    }
}

// The log lost its tail after it was measured: page down stops at the end
// it knows instead of wrapping round to the first line.
TEST_F(ViewMoveTest, PageDownStopsWhereAShrunkLogEnds)
{
    Use(kTwelve);
    Write(logFile, "l0\nl1\nl2\nl3\n");
    DropReadAhead(); // the size it was measured at is still 36 bytes
    iTopOffset = 3;
    iCursorRow = 1;
    MoveView(eMovePageDown);
    EXPECT_EQ(iTopOffset, iEndTop);
    EXPECT_EQ(iCursorRow, iMaxRow);
}

} // namespace
