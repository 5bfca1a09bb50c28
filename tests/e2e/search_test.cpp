// Hits as the user sees them: the marks column of each kind of line, the
// hit search left and right, texts added to the words on the spot, goto a
// percentage of the log, and stopping a long search with 's'.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "session.h"
#include "support/tempdir.h"

namespace e2e {
namespace {

// On a 24-row screen: 23 log rows, and ShowOffset puts a hit on row 11.
constexpr int kRows = 24;
constexpr int kMidRow = 11;
constexpr int kStatusRow = kRows - 1;
const char kNoMonitor[] = "iMonitorMode=0\n";

std::string PageName(int n)
{
    char text[32];
    std::snprintf(text, sizeof text, "/p%04d.html", n);
    return text;
}

class Search : public Session {
protected:
    // The words file, then the program started on the log and the settings.
    void StartWithWords(const std::string& log, const std::string& words, const std::string& conf = kNoMonitor)
    {
        home_.MakePrivateDir(log);
        home_.WriteFile(kWordsFile, words);
        Start(log, conf);
    }

    // The four marks after the user column (8 wide) and its blank.
    std::string Marks(int row) { return term_->Row(row).substr(9, 4); }

    // SampleLog lines: the top row shows line top, and exactly the row
    // selected is in reverse video.
    bool ViewIs(int top, int selected)
    {
        if (term_->Row(0).find(PageName(top)) == std::string::npos)
            return false;
        if (term_->Row(selected).find(PageName(top + selected)) == std::string::npos)
            return false;
        for (int row = 0; row < kStatusRow; ++row)
            if (term_->Reverse(row, 0) != (row == selected))
                return false;
        return BrowseShown(*term_);
    }
    bool WaitView(int top, int selected)
    {
        return term_->WaitUntil([&] { return ViewIs(top, selected); });
    }

    // Answers a prompt on the bottom row and waits for the browse window
    // to be drawn again.
    void Answer(const std::string& key, const std::string& prompt, const std::string& answer)
    {
        term_->Send(key);
        ASSERT_TRUE(term_->WaitUntil([&] { return StatusStarts(prompt); })) << StatusRow();
        EXPECT_FALSE(term_->Reverse(kStatusRow, 0)) << "prompts are in normal video";
        term_->Send(answer + "\r");
        ASSERT_TRUE(term_->WaitUntil([&] {
            std::string row = StatusRow();
            return row.find(prompt) == std::string::npos && row != std::string(row.size(), ' ');
        })) << StatusRow();
    }
};

// The mark column on the screen: word, skip, size grade, cache class and
// focus marks (every result tag's class is in entries/results_test.cpp).
TEST_F(Search, MarksShowWordsSkipsSizeGradesAndFocus)
{
    std::string log = LogLine(0, "jdoe", "http://alpha.example.com/")
        + LogLine(1, "ann", "http://beta.example.com/", "TCP_HIT/200", 1000)
        + LogLine(2, "ann", "http://gamma.example.com/", "TCP_MISS/200", 300000)
        + LogLine(3, "jdoe", "http://gamma.example.com/", "TCP_MEM_HIT/200", 20000000)
        + LogLine(4, "ann", "http://beta.example.com/alpha", "TCP_DENIED/403", 50001)
        + LogLine(5, "jdoe2", "http://gamma.example.com/", "TCP_MISS/200", 50000);
    StartWithWords(log, "alpha\n!beta\n", "iMonitorMode=0\niRepFocus=1\nsRepFocus=jdoe\n");
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Reverse(0, 0); })) << term_->Screen();
    EXPECT_EQ(Marks(0), "w  f");
    EXPECT_EQ(Marks(1), "- H ");
    EXPECT_EQ(Marks(2), " 2  ");
    EXPECT_EQ(Marks(3), " 4Mf");
    EXPECT_EQ(Marks(4), "w1d ") << "the first entry that matches decides";
    EXPECT_EQ(Marks(5), "    ") << "50000 bytes do not exceed the first size; jdoe2 is not jdoe";
    ExitCleanly();
}

TEST_F(Search, RightAndLeftLandOnHitsMidScreenWhenTheyCan)
{
    StartWithWords(SampleLog(200), "/p0005.html\n/p0100.html\n/p0150.html\n/p0195.html\n");
    ASSERT_TRUE(WaitView(0, 0)) << term_->Screen();
    // Near the top the hit cannot be mid-screen; on the last page it sits
    // where the last page puts it (the last page starts at line 177).
    const int down[][2] = {{0, 5}, {100 - kMidRow, kMidRow}, {150 - kMidRow, kMidRow}, {177, 195 - 177}, {177, 22}};
    for (const auto& view : down) {
        term_->Send(key::Right);
        ASSERT_TRUE(WaitView(view[0], view[1])) << "down to " << view[0] + view[1] << "\n" << term_->Screen();
    }
    EXPECT_EQ(Marks(195 - 177), "w   ");
    EXPECT_TRUE(StatusStarts("100.00%")) << "no hit after line 195: the search ends on the last line";

    const int up[][2] = {{177, 195 - 177}, {150 - kMidRow, kMidRow}, {100 - kMidRow, kMidRow}, {0, 5}, {0, 0}};
    for (const auto& view : up) {
        term_->Send("4");
        ASSERT_TRUE(WaitView(view[0], view[1])) << "up to " << view[0] + view[1] << "\n" << term_->Screen();
    }
    EXPECT_TRUE(StatusStarts("  0.00%"));
    term_->Send("6");
    ASSERT_TRUE(WaitView(0, 5)) << term_->Screen();
    ExitCleanly();
}

TEST_F(Search, WithoutWordsOrSizeHitsTheSearchRunsToEitherEnd)
{
    Start(SampleLog(200), kNoMonitor);
    ASSERT_TRUE(WaitView(0, 0));
    for (int i = 0; i < 3; ++i)
        term_->Send(key::Down);
    ASSERT_TRUE(WaitView(0, 3));
    term_->Send(key::Right);
    ASSERT_TRUE(WaitView(177, 22)) << term_->Screen();
    EXPECT_TRUE(StatusStarts("100.00%")) << StatusRow();
    term_->Send(key::Up + key::Left);
    ASSERT_TRUE(WaitView(0, 0)) << term_->Screen();
    EXPECT_TRUE(StatusStarts("  0.00%")) << StatusRow();
    ExitCleanly();
}

// Line n of a log where three lines are large: 20 (user20), 105 (user05)
// and 140 (user40).
std::string SizedLog()
{
    std::string log;
    for (int n = 0; n < 200; ++n) {
        char user[16];
        std::snprintf(user, sizeof user, "user%02d", n % 100);
        bool large = n == 20 || n == 105 || n == 140;
        log += LogLine(n, user, "http://host.example.com" + PageName(n), "TCP_MISS/200", large ? 300000 : 1000 + n);
    }
    return log;
}

TEST_F(Search, SizeGradeSkipsAndFocusDecideWhatIsAHit)
{
    // Size hits at grade 2: line 20 is skipped, 105 is a size hit, 140 is
    // large but also a word hit.
    StartWithWords(SizedLog(), "!/p0020.html\n/p0140.html\n", "iMonitorMode=0\niSizeHitGrade=2\n");
    ASSERT_TRUE(WaitView(0, 0));
    EXPECT_EQ(Marks(20), "-2  ");
    term_->Send(key::Right);
    ASSERT_TRUE(WaitView(105 - kMidRow, kMidRow)) << "a skip suppresses the size hit of line 20\n" << term_->Screen();
    EXPECT_EQ(Marks(kMidRow), " 2  ");
    term_->Send(key::Right);
    ASSERT_TRUE(WaitView(140 - kMidRow, kMidRow)) << term_->Screen();
    EXPECT_EQ(Marks(kMidRow), "w2  ");
    ExitCleanly();

    // With focus on user05 only that user's lines can be hits: 140 is not.
    Start(SizedLog(), "iMonitorMode=0\niSizeHitGrade=2\niRepFocus=1\nsRepFocus=user05\n");
    ASSERT_TRUE(WaitView(0, 0));
    EXPECT_EQ(Marks(5), "   f");
    term_->Send(key::Right);
    ASSERT_TRUE(WaitView(105 - kMidRow, kMidRow)) << term_->Screen();
    EXPECT_EQ(Marks(kMidRow), " 2 f");
    term_->Send(key::Right);
    ASSERT_TRUE(WaitView(177, 22)) << term_->Screen();
    ExitCleanly();
}

// Lines 2 and 4 hold abc.
std::string AbcLog()
{
    std::string log;
    for (int n = 0; n < 6; ++n) {
        std::string host = (n == 2 || n == 4) ? "abc" : "www";
        log += LogLine(n, "jdoe", "http://" + host + ".example.com" + PageName(n));
    }
    return log;
}

TEST_F(Search, FindTextFirstComesBeforeFindTextLast)
{
    Start(AbcLog(), kNoMonitor);
    ASSERT_TRUE(WaitView(0, 0));
    Answer("f", "find text: ", "abc");
    ASSERT_TRUE(term_->WaitUntil([&] { return StatusStarts("Now press <- or ->"); })) << StatusRow();
    EXPECT_TRUE(term_->Reverse(kStatusRow, 0));
    EXPECT_EQ(Marks(2), "w   ");
    EXPECT_EQ(Marks(3), "    ");

    Answer("F", "Find text: ", "!abc");
    ASSERT_TRUE(term_->WaitUntil([&] { return StatusStarts("Now press <- or ->"); })) << StatusRow();
    EXPECT_EQ(Marks(2), "w   ") << "abc came first, so it still decides";
    EXPECT_EQ(Marks(4), "w   ");

    term_->Send(key::Down);
    ASSERT_TRUE(WaitView(0, 1)) << "the message is shown once\n" << term_->Screen();
    EXPECT_EQ(StatusRow().find("Now press"), std::string::npos);
    term_->Send(key::Right);
    ASSERT_TRUE(WaitView(0, 2)) << term_->Screen();
    term_->Send(key::Right);
    ASSERT_TRUE(WaitView(0, 4)) << term_->Screen();
    ExitCleanly();
}

TEST_F(Search, FindTextFirstPutsASkipBeforeAnEarlierText)
{
    Start(AbcLog(), kNoMonitor);
    ASSERT_TRUE(WaitView(0, 0));
    // Typed second but put first: the skip decides.
    Answer("F", "Find text: ", "abc");
    Answer("f", "find text: ", "!abc");
    ASSERT_TRUE(term_->WaitUntil([&] { return StatusStarts("Now press <- or ->"); })) << StatusRow();
    EXPECT_EQ(Marks(2), "-   ");
    EXPECT_EQ(Marks(4), "-   ");
    term_->Send(key::Right);
    ASSERT_TRUE(WaitView(0, 5)) << "skips are not hits\n" << term_->Screen();

    // An empty answer adds nothing and leaves no message.
    Answer("f", "find text: ", "");
    EXPECT_EQ(StatusRow().find("Now press"), std::string::npos);
    EXPECT_EQ(Marks(2), "-   ");
    ExitCleanly();
}

TEST_F(Search, GotoPercentage)
{
    Start(SampleLog(200), kNoMonitor);
    ASSERT_TRUE(WaitView(0, 0));
    // 50: the first line that begins after the middle byte, mid-screen.
    long long middle = static_cast<long long>(50.0 * static_cast<double>(OffsetOf(199)) / 100.0);
    int half = 0;
    while (OffsetOf(half) <= middle)
        ++half;
    Answer("g", "Goto percentage: ", "50");
    ASSERT_TRUE(WaitView(half - kMidRow, kMidRow)) << "line " << half << "\n" << term_->Screen();

    Answer("g", "Goto percentage: ", "101");
    ASSERT_TRUE(WaitView(half - kMidRow, kMidRow)) << "101 changes nothing\n" << term_->Screen();
    Answer("g", "Goto percentage: ", "-1");
    ASSERT_TRUE(WaitView(half - kMidRow, kMidRow)) << "-1 changes nothing\n" << term_->Screen();

    Answer("g", "Goto percentage: ", "0");
    ASSERT_TRUE(WaitView(0, 1)) << "0 selects the second line\n" << term_->Screen();
    Answer("g", "Goto percentage: ", "100");
    ASSERT_TRUE(WaitView(177, 22)) << "100 selects the last line\n" << term_->Screen();
    EXPECT_TRUE(StatusStarts("100.00%"));
    Answer("g", "Goto percentage: ", "xyz");
    ASSERT_TRUE(WaitView(0, 1)) << "text that is not a number reads as 0\n" << term_->Screen();
    ExitCleanly();
}

TEST_F(Search, SStopsALongSearchAndLeavesTheView)
{
    // Every line is tested against every word, and no word occurs in the
    // log, so the search has no hit and its time grows with lines times
    // words: some 35 MB of log keep it busy for seconds (about 3.6 s in an
    // optimised build on an idle machine), far longer than 's' takes to
    // arrive even when the machine is loaded.
    std::string log = KeptSampleLog(250000);
    ASSERT_FALSE(log.empty()) << "cannot write the stop test's log in " << FERNTRACK_BUILD_DIR;
    std::string words = UnmatchedWords(5000);
    home_.Link("log1", log);
    home_.WriteFile(kWordsFile, words);
    home_.WriteFile(kConfFile, "iMonitorMode=0\niSizeHitGrade=0\n");
    Launch();
    for (int i = 0; i < 3; ++i)
        term_->Send(key::Down);
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Reverse(3, 0); })) << term_->Screen();
    term_->Pump(0.3);
    std::string before = term_->Screen();

    term_->Send(key::Right);
    ASSERT_TRUE(term_->WaitForRow(kStatusRow, "Searching... | <s> to stop", 30)) << StatusRow();
    EXPECT_TRUE(term_->Reverse(kStatusRow, 0));
    std::string progress = StatusRow();
    // The Down typed during the scan is dropped, not kept for later.
    term_->Send("2s");
    ASSERT_TRUE(WaitForBrowse(*term_, 30)) << StatusRow();
    term_->Pump(0.3);
    EXPECT_EQ(term_->Screen(), before) << "the view stays where it was, with no message; 's' went with\n"
                                       << progress;

    term_->Send(key::Down);
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Reverse(4, 0) && !term_->Reverse(3, 0); }))
        << "the program still answers keys\n" << term_->Screen();
    ExitCleanly();
}

}  // namespace
}  // namespace e2e
