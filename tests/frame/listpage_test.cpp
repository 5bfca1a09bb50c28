#include "frame/listpage.h"

#include <gtest/gtest.h>

namespace {

struct PageCase {
    const char* name;
    ListPage before; // top, cursor, rows, count
    eMove move;
    int top;
    int cursor;
    eListEdge edge;
};

// The tally and history lists: 5 rows on the screen unless said otherwise.
const PageCase kCases[] = {
    {"end of a long list", {0, 0, 5, 12}, eMoveEnd, 7, 4, eListInside},
    {"end of a short list", {0, 0, 5, 3}, eMoveEnd, 0, 2, eListInside},
    {"end of an empty list", {0, 0, 5, 0}, eMoveEnd, 0, 0, eListInside},
    {"down inside the page", {0, 1, 5, 12}, eMoveDown, 0, 2, eListInside},
    {"down on the last row scrolls", {3, 4, 5, 12}, eMoveDown, 4, 4, eListInside},
    {"down on the last entry", {7, 4, 5, 12}, eMoveDown, 7, 4, eListPastBottom},
    {"down on the last entry of a short list", {0, 2, 5, 3}, eMoveDown, 0, 2, eListPastBottom},
    {"down in an empty list", {0, 0, 5, 0}, eMoveDown, 0, 0, eListPastBottom},
    {"page down", {0, 2, 5, 12}, eMovePageDown, 5, 2, eListInside},
    {"page down clamped to the last page", {4, 2, 5, 12}, eMovePageDown, 7, 2, eListInside},
    {"page down on the last page", {7, 1, 5, 12}, eMovePageDown, 7, 4, eListInside},
    {"page down in a short list", {0, 0, 5, 3}, eMovePageDown, 0, 2, eListInside},
    {"home", {6, 3, 5, 12}, eMoveHome, 0, 0, eListInside},
    {"up inside the page", {6, 3, 5, 12}, eMoveUp, 6, 2, eListInside},
    {"up on the first row scrolls", {6, 0, 5, 12}, eMoveUp, 5, 0, eListInside},
    {"up on the first entry", {0, 0, 5, 12}, eMoveUp, 0, 0, eListPastTop},
    {"page up", {6, 3, 5, 12}, eMovePageUp, 1, 3, eListInside},
    {"page up clamped to the top", {3, 3, 5, 12}, eMovePageUp, 0, 3, eListInside},
    {"page up at the top", {0, 3, 5, 12}, eMovePageUp, 0, 0, eListInside},
    {"left leaves the page", {6, 3, 5, 12}, eMoveLeft, 6, 3, eListInside},
    {"none leaves the page", {6, 3, 5, 12}, eMoveNone, 6, 3, eListInside},
    {"a screen without rows", {0, 0, 0, 4}, eMoveEnd, 4, 0, eListInside},
};

TEST(ListPageTest, MovesOverTheList)
{
    for (const PageCase& c : kCases) {
        ListPage page = c.before;
        eListEdge edge = MoveListPage(page, c.move);
        EXPECT_EQ(page.iTop, c.top) << c.name;
        EXPECT_EQ(page.iCursor, c.cursor) << c.name;
        EXPECT_EQ(edge, c.edge) << c.name;
        EXPECT_EQ(page.iRows, c.before.iRows) << c.name;
        EXPECT_EQ(page.iCount, c.before.iCount) << c.name;
        EXPECT_EQ(page.iSelected, c.top + c.cursor) << c.name;
        EXPECT_EQ(page.iMaxTop, ListMaxTop(page)) << c.name;
    }
}

// A refresh after the screen or the list shrank keeps the selection on a
// filled row of a page inside the list.
TEST(ListPageTest, ClampAfterTheScreenOrListChanged)
{
    struct Case {
        const char* name;
        ListPage before; // top, cursor
        int rows, count;
        int top, cursor, maxTop;
    };
    const Case cases[] = {
        {"nothing to clamp", {2, 3}, 5, 12, 2, 3, 7},
        {"screen lost rows", {2, 4}, 3, 12, 2, 2, 9},
        {"list shrank below the page", {7, 4}, 5, 9, 4, 4, 4},
        {"list shorter than the screen", {3, 4}, 5, 2, 0, 1, 0},
        {"empty list", {3, 4}, 5, 0, 0, 0, 0},
        {"no rows", {0, 2}, 0, 4, 0, 0, 4},
    };
    for (const Case& c : cases) {
        ListPage page = c.before;
        ClampListPage(page, c.rows, c.count);
        EXPECT_EQ(page.iTop, c.top) << c.name;
        EXPECT_EQ(page.iCursor, c.cursor) << c.name;
        EXPECT_EQ(page.iMaxTop, c.maxTop) << c.name;
        EXPECT_EQ(page.iSelected, c.top + c.cursor) << c.name;
        EXPECT_EQ(page.iRows, c.rows) << c.name;
        EXPECT_EQ(page.iCount, c.count) << c.name;
    }
}

TEST(KeypadMoveTest, KeysAndTheirKeypadDigits)
{
    struct Case {
        int key;
        eMove move;
    };
    const Case cases[] = {
        {kKeyEnd, eMoveEnd},       {'1', eMoveEnd},       {kKeyDown, eMoveDown},     {'2', eMoveDown},
        {kKeyNextPage, eMovePageDown}, {'3', eMovePageDown}, {kKeyHome, eMoveHome},  {'7', eMoveHome},
        {kKeyUp, eMoveUp},         {'8', eMoveUp},        {kKeyPrevPage, eMovePageUp}, {'9', eMovePageUp},
        {kKeyLeft, eMoveLeft},     {'4', eMoveLeft},      {kKeyRight, eMoveRight},   {'6', eMoveRight},
        {'5', eMoveNone},          {'0', eMoveNone},      {'q', eMoveNone},          {0, eMoveNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeypadMove(c.key), c.move) << c.key;
}

// Walking down a list one row at a time visits every entry once, in order,
// and the selection never leaves the list.
TEST(ListPageTest, StepsThroughEveryEntry)
{
    ListPage page{0, 0, 4, 11};
    for (int expected = 0; expected < 11; ++expected) {
        EXPECT_EQ(ListSelected(page), expected);
        EXPECT_LE(page.iTop, ListMaxTop(page));
        EXPECT_EQ(MoveListPage(page, eMoveDown), expected == 10 ? eListPastBottom : eListInside);
    }
    for (int expected = 10; expected >= 0; --expected) {
        EXPECT_EQ(ListSelected(page), expected);
        EXPECT_EQ(MoveListPage(page, eMoveUp), expected == 0 ? eListPastTop : eListInside);
    }
}

} // namespace
