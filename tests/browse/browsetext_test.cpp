#include "browse/browsetext.h"

#include <gtest/gtest.h>

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
}

} // namespace
