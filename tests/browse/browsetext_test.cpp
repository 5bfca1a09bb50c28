#include "browse/browsetext.h"

#include <gtest/gtest.h>

#include <climits>

#include "entries/fields.h"
#include "frame/settings.h"

namespace {

TEST(BrowseStatusText, EndsWithModeSlotAndHelpWhenThereIsRoom)
{
    std::string s = BrowseStatusText(0, 500, "Tue Oct  5 14:03 2010", false, "Pri", 79);
    EXPECT_EQ(s.size(), 79u);
    EXPECT_EQ(s.substr(0, 30), "  0.00% Tue Oct  5 14:03 2010 ");
    EXPECT_EQ(s.substr(79 - 15), " Pri | h = help");
    s = BrowseStatusText(500, 500, "", true, "Sec", 79);
    EXPECT_EQ(s.substr(0, 7), "100.00%");
    EXPECT_EQ(s.substr(79 - 18), "Mon Sec | h = help");
    // Too narrow for the tail: percentage and time only.
    EXPECT_EQ(BrowseStatusText(1, 3, "Tue", true, "Tri", 12), " 33.33% Tue ");

    // At the width where the tail exactly fills the line it replaces it
    // all; one column less and it does not fit at all.
    struct Case {
        bool monitor;
        int width;
        const char* text;
    };
    const Case cases[] = {
        {false, 15, " Pri | h = help"},
        {false, 14, "100.00% Tue Oc"},
        {true, 18, "Mon Pri | h = help"},
        {true, 17, "100.00% Tue Oct  "},
        {true, 19, "1Mon Pri | h = help"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BrowseStatusText(9, 9, "Tue Oct  5 14:03 2010", c.monitor, "Pri", c.width), c.text)
            << c.width;
}

TEST(BuildBrowseRow, FitsUserMarksAndUrlToTheWidth)
{
    ResetSettings();
    DetectLayout("1286536308.779 1 10.0.0.1 TCP_HIT/200 5 GET http://x/y JDoe - -");
    std::string row;
    const char* line = "1286536308.779 1 10.0.0.1 TCP_HIT/200 5 GET "
                       "http://host7/images/2010/banner_large.gif JDoe - -";
    BuildBrowseRow(line, "w R ", 34, row);
    EXPECT_EQ(row, "jdoe     w R  host7/nner_large.gif");
    BuildBrowseRow(line, "w R ", 60, row);
    EXPECT_EQ(row.size(), 60u);
    EXPECT_EQ(row.substr(0, 54), "jdoe     w R  host7/images/2010/banner_large.gif      ");
    iUserNameLen = 3;
    BuildBrowseRow("1 1 10.0.0.1 TCP_MISS/200 5 GET HTTPS://A/b abcdefghijklm - -", "    ", 20, row);
    EXPECT_EQ(row, "abc      HTTPS://A/b");

    // A user column as wide as the screen or wider shows the user padded to
    // the screen, and costs no more than the screen's width.
    for (int len : {20, 21, 400000000, INT_MAX}) {
        iUserNameLen = len;
        BuildBrowseRow(line, "w R ", 20, row);
        EXPECT_EQ(row, "jdoe                ") << len;
        EXPECT_LT(row.capacity(), 4096u) << len;
    }
    iUserNameLen = 16;
    BuildBrowseRow(line, "w R ", 20, row);
    EXPECT_EQ(row, "jdoe             w R");
    ResetSettings();
}

} // namespace
