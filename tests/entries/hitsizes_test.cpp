#include "entries/hitsizes.h"

#include <gtest/gtest.h>

#include <string>

#include "entries/optionstext.h"
#include "entries/words.h"
#include "frame/settings.h"

namespace {

const char kDefault[] = "50000 250000 1000000 10000000";
const char kNine[] = "10 20 30 40 50 60 70 80 90";

TEST(HitSizesTest, CommandsEditTheListAndTheGrade)
{
    const struct {
        const char* name;
        const char* list;
        int grade, bytes;
        const char* input;
        const char* newList;
        int newGrade, newBytes;
        eHitSizesResult result;
    } cases[] = {
        {"choose 2", kDefault, 0, 0, "2", kDefault, 2, 250000, eHitSizesRedraw},
        {"insert becomes the grade", kDefault, 2, 250000, "100000", "50000 100000 250000 1000000 10000000", 2, 100000,
         eHitSizesRedraw},
        {"insert first", kDefault, 3, 1000000, "20", "20 50000 250000 1000000 10000000", 1, 20, eHitSizesRedraw},
        {"append keeps grade", kDefault, 2, 250000, "20000000", "50000 250000 1000000 10000000 20000000", 2, 250000,
         eHitSizesRedraw},
        {"present changes nothing", kDefault, 0, 0, "250000", kDefault, 0, 0, eHitSizesRedraw},
        {"delete before the grade", kDefault, 3, 1000000, "-1", "250000 1000000 10000000", 2, 1000000,
         eHitSizesRedraw},
        {"delete the grade", kDefault, 3, 1000000, "-3", "50000 250000 10000000", 0, 0, eHitSizesRedraw},
        {"delete beyond the list", kDefault, 1, 50000, "-9", kDefault, 1, 50000, eHitSizesRedraw},
        {"grade beyond the list", kDefault, 1, 50000, "7", kDefault, 1, 50000, eHitSizesRedraw},
        {"0 turns off", kDefault, 2, 250000, "0", kDefault, 0, 0, eHitSizesRedraw},
        {"00 is not 0", kDefault, 2, 250000, "00", kDefault, 2, 250000, eHitSizesRedraw},
        {"not a number", kDefault, 2, 250000, "x", kDefault, 2, 250000, eHitSizesRedraw},
        {"leading number", kDefault, 0, 0, "3rd", kDefault, 3, 1000000, eHitSizesRedraw},
        {"single digit never inserts", "100 200", 0, 0, "5", "100 200", 0, 0, eHitSizesRedraw},
        {"full list", kNine, 1, 10, "99999999", kNine, 1, 10, eHitSizesNoRoom},
        {"empty line leaves", kDefault, 2, 250000, "", kDefault, 2, 250000, eHitSizesLeave},
        {"insert drops invalid tail", "100 x 300", 0, 0, "200", "100 200", 0, 0, eHitSizesRedraw},
        {"insert into empty list", "", 0, 0, "500", "500", 0, 0, eHitSizesRedraw},
        {"huge number clamps", "", 0, 0, "99999999999999", "2147483647", 0, 0, eHitSizesRedraw},
        {"most negative number", kDefault, 1, 50000, "-2147483648", kDefault, 1, 50000, eHitSizesRedraw},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sSizeHits = c.list;
        iSizeHitGrade = c.grade;
        iSizeHitBytes = c.bytes;
        EXPECT_EQ(HitSizesCommand(c.input), c.result);
        EXPECT_EQ(sSizeHits, c.newList);
        EXPECT_EQ(iSizeHitGrade, c.newGrade);
        EXPECT_EQ(iSizeHitBytes, c.newBytes);
    }
}

TEST(HitSizesTest, ScreenText)
{
    sSizeHits = kDefault;
    iSizeHitGrade = 2;
    iSizeHitBytes = 250000;
    const std::string tail = "\n-1 to -9 deletes entry, 0 to 9 sets grade.\nA large number inserts a new grade.\n"
                             "Enter nothing to dismiss.\n\nEnter choice: ";
    EXPECT_EQ(HitSizesText(), "Hit sizes are:-\n\n0: <off>\n1: 50,000\n2: 250,000\n3: 1,000,000\n4: 10,000,000\n"
                              "\nCurrent hit grade is 2: 250,000 bytes\n" + tail);
    sSizeHits = "7 0 9";
    iSizeHitGrade = 0;
    EXPECT_EQ(HitSizesText(), "Hit sizes are:-\n\n0: <off>\n1: 7\n\nNo hit size set.\n" + tail);
}

TEST(OptionScreensTest, UserNameWidth)
{
    ResetSettings();
    iUserNameLen = 8;
    const struct {
        const char* answer;
        int width;
    } cases[] = {{"15", 15}, {"0", 15}, {"65", 15}, {"-3", 15}, {"abc", 15}, {"12abc", 12}, {"64", 64}, {"1", 1},
                 {"99999999999", 1}};
    for (const auto& c : cases) {
        SetUserNameWidth(c.answer);
        EXPECT_EQ(iUserNameLen, c.width) << c.answer;
    }
}

TEST(OptionScreensTest, SearchOptionsAndFocus)
{
    ResetSettings();
    sWords = "cam\n!skip.me\n";
    sSizeHits = kDefault;
    iSizeHitGrade = 0;
    iRepFocus = 0;
    const std::string head = "Search Options: current words are:-\n\ncam !skip.me \n\n"
                             "In the case of skips (\"!\"s) first words have higher preference.\n\nCommands:\n\n"
                             "n.  null words\nr.  reload words\ns.  save words\nc.  change request hit size from ";
    const std::string tail = "\nq.  quit this screen\n\nYour choice: ";
    EXPECT_EQ(SearchOptionsText(), head + "<off>\nf.  focus: no focus" + tail);
    SetFocusUser("JDoe");
    iSizeHitGrade = 3;
    iSizeHitBytes = 1000000;
    EXPECT_EQ(SearchOptionsText(), head + "3 (1,000,000)\nf.  focus: focus on user jdoe" + tail);
    SetFocusUser("");
    EXPECT_EQ(iRepFocus, 0);
    EXPECT_EQ(sRepFocus, "jdoe");
    iRepFocus = 5;
    EXPECT_EQ(FocusText(), "<error>");
    EXPECT_EQ(FocusScreenText("ann"), "Focus options:\n\n1.  no focus\n2.  a user\n3.  focus on user ann\n"
                                      "\nYour choice: ");
    EXPECT_EQ(FocusScreenText(""), "Focus options:\n\n1.  no focus\n2.  a user\n\nYour choice: ");
}

} // namespace
