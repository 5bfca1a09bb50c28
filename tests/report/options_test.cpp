#include "report/options.h"

#include "reportfixture.h"

#include "browse/browsetext.h"

namespace {

class ReportOptionsTest : public ReportTest {};

TEST_F(ReportOptionsTest, ScreenTextShowsEveryValueAndOutOfRangeOnes)
{
    std::string first = LogLine(1286536308, "10.0.0.1", "TCP_MISS/200", "1", "http://a/", "Ann");
    UseLog(first + LogLine(1286536368, "10.0.0.1", "TCP_MISS/200", "1", "http://a/", "Ann"));
    iRepStart = static_cast<int64_t>(first.size());
    iRepBUT = 3;
    iRepBDT = 2;
    sRepBDTuser = "bob";
    iRepBDI = -1;
    iRepColumns = -1;
    sRepSeperator = " ; ";
    // The end-to-end test compares the whole screen; here the values that
    // only a configuration file can bring.
    std::string text = ReportOptionsText();
    for (const char* line : {"\na. start from Fri Oct  8 11:12 2010\n", "\nf. user bandwidth totals: <error>\n",
                             "\ng. domain bandwidth totals: only user bob\n", "\nh. domain bandwidth includes: <error>\n",
                             "\nj. normal text: total columns 18446744073709551615\n",
                             "\nm. CSV: field seperator: \" ; \"\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    UseLog("");
    iRepFinish = 9;
    EXPECT_NE(ReportOptionsText().find("\nb. finish at \nc."), std::string::npos) << "an empty log has no times";
    iRepBDI = 2;
    EXPECT_NE(ReportOptionsText().find("includes: <error>"), std::string::npos);
}

TEST_F(ReportOptionsTest, KeysChangeSettingsWithinTheirRanges)
{
    struct Number {
        const char* typed;
        int low, high;
        bool taken;
        int value;
    } numbers[] = {
        {"45", 45, 256, true, 45},   {"256", 45, 256, true, 256}, {"80abc", 45, 256, true, 80},
        {"300", 45, 256, false, 0},  {"44", 45, 256, false, 0},   {"x", 45, 256, false, 0},
        {"10", 11, 599, false, 0},   {"599", 11, 599, true, 599}, {"4294967341", 45, 256, false, 0},
        {" 60", 45, 256, true, 60},  {"-50", 11, 599, false, 0},
    };
    for (const Number& n : numbers) {
        int setting = 0;
        EXPECT_EQ(TakeNumber(n.typed, n.low, n.high, setting), n.taken) << n.typed;
        EXPECT_EQ(setting, n.value) << n.typed;
    }
    int steps[][2] = {{0, 1}, {1, 2}, {2, 0}, {7, 0}, {-3, -2}};
    for (auto& s : steps)
        EXPECT_EQ(StepOfThree(s[0]), s[1]) << s[0];
    int twos[][2] = {{0, 1}, {1, 0}, {5, 0}, {-2, -1}};
    for (auto& s : twos)
        EXPECT_EQ(StepOfTwo(s[0]), s[1]) << s[0];

    iCursorOffset = 0;
    int64_t mark = 0;
    ToggleRangeMark(mark);
    EXPECT_EQ(mark, 0) << "the first line is the beginning anyway";
    iCursorOffset = 120;
    ToggleRangeMark(mark);
    EXPECT_EQ(mark, 120);
    ToggleRangeMark(mark);
    EXPECT_EQ(mark, 0);

    EXPECT_EQ(CutTyped(std::string(100, 'x')).size(), 79u);
    iRepBDT = 1;
    EXPECT_FALSE(ChooseDomainUser(""));
    EXPECT_EQ(iRepBDT, 1);
    EXPECT_TRUE(ChooseDomainUser("alice"));
    EXPECT_EQ(iRepBDT, 2);
    EXPECT_EQ(sRepBDTuser, "alice");
}

TEST_F(ReportOptionsTest, DomainDialogOffersTheFocusAndTheSelectedUser)
{
    UseLog(LogLine(1286536308, "10.0.0.1", "TCP_MISS/200", "1", "http://a/", "Ann%20") + "   \n");
    EXPECT_EQ(FocusUserText(), "");
    iRepFocus = 1;
    sRepFocus = "bob";
    EXPECT_EQ(FocusUserText(), "bob");
    iCursorOffset = 0;
    EXPECT_EQ(SelectedLineUser(), "ann");
    iCursorOffset = iLastLineStart;
    EXPECT_EQ(SelectedLineUser(), "") << "a blank line has no user";
    EXPECT_EQ(DomainDialogText("bob", "ann"),
              "Bandwidth By Domain Option:-\n\n1.  no domain totals\n2.  all users contribute to domain totals\n"
              "3.  only focus user bob\n4.  only current user ann\n5.  specify a different user\n\nYour choice: ");
}

} // namespace
