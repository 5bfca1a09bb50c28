// The browse window as the user sees it: paging at both ends of a log, the
// status line, the log slots, following a growing log, odd terminal sizes
// and logs that are not clean text.
#include <gtest/gtest.h>
#include <unistd.h>

#include "session.h"

namespace e2e {
namespace {

class Browse : public Session {
protected:
    // A log of SampleLog(lines), the program started on it.
    void Start(int lines, int rows = 24, int cols = 80)
    {
        lines_ = lines;
        Session::Start(SampleLog(lines), "", rows, cols);
    }

    int StatusRowIndex() { return term_->Rows() - 1; }

    // The content rows show sample lines first, first + 1, ... while the log
    // lasts, blank rows after it, and only the selected row is reversed.
    bool PageIs(int first, int selected, int lines)
    {
        int cols = term_->Cols();
        for (int row = 0; row < StatusRowIndex(); ++row) {
            int n = first + row;
            std::string want = n < lines ? SampleRow(n, cols) : std::string(cols - 1, ' ');
            if (term_->Row(row).substr(0, cols - 1) != want)
                return false;
            if (term_->Reverse(row, 0) != (row == selected))
                return false;
        }
        return true;
    }

    bool WaitPage(int first, int selected) { return WaitPage(first, selected, lines_); }
    bool WaitPage(int first, int selected, int lines)
    {
        return term_->WaitUntil([&] { return PageIs(first, selected, lines); });
    }

    int lines_ = 0;
};

TEST_F(Browse, StartsAtTheEndWithTheStatusLine)
{
    Start(50);
    ASSERT_TRUE(WaitPage(27, 22)) << term_->Screen();
    EXPECT_EQ(StatusRow(), StatusLine("100.00%", StatusTime(kStart + 49), true, "Pri", 80) + " ");
    EXPECT_TRUE(term_->Reverse(23, 0));
    EXPECT_TRUE(term_->Reverse(23, 78));
    EXPECT_FALSE(term_->Reverse(22, 79)) << "the last column stays empty";

    term_->Send(key::Home);
    ASSERT_TRUE(WaitPage(0, 0)) << term_->Screen();
    EXPECT_EQ(StatusRow().substr(0, 79), StatusLine("  0.00%", StatusTime(kStart), true, "Pri", 80));

    term_->Send(key::Down);
    ASSERT_TRUE(WaitPage(0, 1)) << term_->Screen();
    EXPECT_EQ(StatusRow().substr(0, 79),
              StatusLine(Percent(OffsetOf(1), OffsetOf(49)), StatusTime(kStart + 1), true, "Pri", 80));
    ExitCleanly();
}

// Every movement key and its keypad digit reaches the view; where each
// move ends is the view model's, tested in browse/viewmove_test.cpp.
TEST_F(Browse, EveryMovementKeyAndDigitMovesTheView)
{
    Start(50);
    ASSERT_TRUE(WaitPage(27, 22)) << term_->Screen();
    struct Step {
        std::string keys;
        int first, selected;
    };
    const Step steps[] = {
        {key::Home, 0, 0},   {"2", 0, 1},   {key::Down, 0, 2},     {key::PageDown, 23, 2}, {"9", 0, 0},
        {"3", 23, 0},        {"8", 22, 0},  {key::Up, 21, 0},      {key::PageUp, 0, 0},    {"1", 27, 22},
        {"7", 0, 0},         {key::End, 27, 22}, {key::Up + "5", 27, 21},
    };
    for (const Step& step : steps) {
        term_->Send(step.keys);
        ASSERT_TRUE(WaitPage(step.first, step.selected)) << "after " << step.first << "/" << step.selected << "\n"
                                                         << term_->Screen();
    }
    ExitCleanly();
}

TEST_F(Browse, SlotKeysSwitchLogsAndNameThem)
{
    home_.WriteFile("other.log", SampleLog(60).substr(OffsetOf(55)));
    Start(50);
    home_.Link("log3", home_.PathOf("other.log"));

    term_->Send("s");
    ASSERT_TRUE(term_->WaitForRow(23, "Mon Sec | h = help")) << StatusRow();
    EXPECT_TRUE(WaitPage(27, 22)) << "log2 reads what log1 reads\n" << term_->Screen();
    term_->Send(key::Home + "t");
    ASSERT_TRUE(term_->WaitForRow(23, "Mon Tri | h = help")) << StatusRow();
    EXPECT_TRUE(term_->WaitUntil([&] {
        return term_->Row(4).substr(0, 79) == SampleRow(59, 80) && term_->Reverse(4, 0)
            && term_->Row(0).substr(0, 79) == SampleRow(55, 80) && term_->Row(5) == std::string(80, ' ');
    })) << term_->Screen();
    EXPECT_TRUE(WaitStatus("100.00% " + StatusTime(kStart + 59)));
    term_->Send("p");
    ASSERT_TRUE(term_->WaitForRow(23, "Mon Pri | h = help")) << StatusRow();
    EXPECT_TRUE(WaitPage(27, 22)) << term_->Screen();
    ExitCleanly();
}

TEST_F(Browse, MonitorModeFollowsAnAppendedLine)
{
    Start(50);
    ASSERT_TRUE(WaitPage(27, 22));
    home_.AppendFile("access.log", SampleLine(50) + "\n");
    ASSERT_TRUE(WaitPage(28, 22, 51)) << term_->Screen();
    EXPECT_TRUE(WaitStatus("100.00% " + StatusTime(kStart + 50)));

    // Moving away stays put until the log grows again.
    term_->Send(key::Up + key::Up);
    ASSERT_TRUE(WaitPage(28, 20, 51));
    home_.AppendFile("access.log", SampleLine(51) + "\n");
    ASSERT_TRUE(WaitPage(29, 22, 52)) << term_->Screen();
    ExitCleanly();
}

TEST_F(Browse, WithoutMonitorModeTheViewStays)
{
    Start(50);
    term_->Send("m");
    ASSERT_TRUE(term_->WaitUntil([&] { return StatusRow().find("Mon") == std::string::npos; })) << StatusRow();
    EXPECT_EQ(StatusRow().substr(0, 79), StatusLine("100.00%", StatusTime(kStart + 49), false, "Pri", 80));
    home_.AppendFile("access.log", SampleLine(50) + "\n");
    term_->Pump(4.5);
    EXPECT_TRUE(PageIs(27, 22, 51)) << term_->Screen();
    // Keys after the growth move from where the view was; the view does not
    // jump to the first line.
    term_->Send(key::Up);
    ASSERT_TRUE(WaitPage(27, 21, 51)) << term_->Screen();
    home_.AppendFile("access.log", SampleLine(51) + "\n");
    term_->Send(key::Down);
    ASSERT_TRUE(WaitPage(27, 22, 52)) << term_->Screen();
    term_->Send(key::End);
    ASSERT_TRUE(WaitPage(29, 22, 52)) << term_->Screen();
    ExitCleanly();
}

TEST_F(Browse, ResizeInMonitorModeShowsTheLastLine)
{
    Start(50);
    ASSERT_TRUE(WaitPage(27, 22));
    term_->Resize(30, 100);
    ASSERT_TRUE(WaitPage(21, 28)) << term_->Screen();
    EXPECT_TRUE(term_->WaitUntil([&] {
        return StatusRow() == StatusLine("100.00%", StatusTime(kStart + 49), true, "Pri", 100) + " ";
    })) << StatusRow();
    term_->Resize(10, 40);
    // Rows too wide for 39 columns keep the host and the end of the URL.
    ASSERT_TRUE(term_->WaitUntil([&] {
        for (int row = 0; row < 9; ++row) {
            int n = 41 + row;
            std::string want = "user" + std::to_string(n) + "        host" + std::to_string(n) + ".example.com/"
                + std::to_string(n % 10) + ".html ";
            if (term_->Row(row) != want || term_->Reverse(row, 0) != (row == 8))
                return false;
        }
        return true;
    })) << term_->Screen();
    EXPECT_TRUE(term_->WaitUntil([&] {
        return StatusRow() == StatusLine("100.00%", StatusTime(kStart + 49), true, "Pri", 40) + " ";
    })) << StatusRow();
    term_->Send(key::Home);
    ASSERT_TRUE(term_->WaitUntil([&] {
        return term_->Row(0) == "user00        host0.example.com/00.html " && term_->Reverse(0, 0);
    })) << term_->Screen();
    ExitCleanly();
}

TEST_F(Browse, ResizeOutsideMonitorModeShowsTheFirstLine)
{
    lines_ = 50;
    Session::Start(SampleLog(50), "iMonitorMode=0\n");
    ASSERT_TRUE(WaitPage(0, 0)) << term_->Screen();
    term_->Send(key::End);
    ASSERT_TRUE(WaitPage(27, 22)) << term_->Screen();
    term_->Resize(30, 100);
    ASSERT_TRUE(WaitPage(0, 0)) << term_->Screen();
    EXPECT_TRUE(term_->WaitUntil([&] {
        return StatusRow() == StatusLine("  0.00%", StatusTime(kStart), false, "Pri", 100) + " ";
    })) << StatusRow();
    ExitCleanly();
}

TEST_F(Browse, TinyTerminalStillWorks)
{
    Start(50, 3, 20);
    ASSERT_TRUE(WaitPage(48, 1)) << term_->Screen();
    EXPECT_EQ(StatusRow(), "1Mon Pri | h = help ");
    term_->Send(key::Home);
    ASSERT_TRUE(WaitPage(0, 0)) << term_->Screen();
    EXPECT_EQ(StatusRow(), StatusLine("  0.00%", StatusTime(kStart), true, "Pri", 20) + " ");
    term_->Send(key::Down + key::Down);
    ASSERT_TRUE(WaitPage(1, 1)) << term_->Screen();
    ExitCleanly();
}

TEST_F(Browse, CrLfLineEndsShowTheSameRows)
{
    std::string log;
    for (int n = 0; n < 30; ++n)
        log += SampleLine(n) + "\r\n";
    lines_ = 30;
    Session::Start(log);
    ASSERT_TRUE(WaitPage(7, 22)) << term_->Screen();
    EXPECT_TRUE(WaitStatus("100.00% " + StatusTime(kStart + 29)));
    term_->Send(key::Home);
    ASSERT_TRUE(WaitPage(0, 0)) << term_->Screen();
    EXPECT_TRUE(WaitStatus("  0.00% " + StatusTime(kStart)));
    ExitCleanly();
}

TEST_F(Browse, LineLongerThanTheReadBufferIsSplit)
{
    std::string url = "http://longhost.example.com/" + std::string(2900, 'q');
    std::string longLine = LogLine(1, "user01", url, "TCP_MISS/200", 1001);
    ASSERT_GT(longLine.size(), 3000u);
    Session::Start(SampleLine(0) + "\n" + longLine + SampleLine(2) + "\n");
    // The long line reads as two rows: its first bytes, which hold no user
    // field, and the rest, which holds no URL field.
    ASSERT_TRUE(term_->WaitUntil([&] {
        return term_->Row(0).substr(0, 79) == SampleRow(0, 80) && term_->Row(3).substr(0, 79) == SampleRow(2, 80)
            && term_->Reverse(3, 0) && term_->Row(4) == std::string(80, ' ');
    })) << term_->Screen();
    EXPECT_EQ(term_->Row(1).substr(0, 14), std::string(14, ' '));
    EXPECT_EQ(term_->Row(1).substr(14, 65), Fit("longhost.example.com/" + std::string(44, 'q'), 65));
    term_->Send(key::Home + key::Down);
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Reverse(1, 0) && !term_->Reverse(3, 0); }));
    long long lastStart = OffsetOf(1) + static_cast<long long>(longLine.size());
    EXPECT_TRUE(WaitStatus(Percent(OffsetOf(1), lastStart) + " " + StatusTime(kStart + 1)))
        << StatusRow();
    ExitCleanly();
}

TEST_F(Browse, GarbageNulBytesAndShortLinesDoNotDisturbTheScreen)
{
    // Control bytes and escape sequences inside the fields that are shown,
    // and lines that are binary, empty or too short to hold any field.
    const char escapes[] = "1286536300.000 1 10.0.0.1 TCP_MISS/200 5 GET http://x/\x1b[2J\x1b[H\xff\xfe\x80\x01"
                           " \x1b]0;t\x07 \x1b[7mx\n";
    const char binary[] = "\x00\x01\x02 bin\xff\xfe\x80 \x1b[2J\n";
    std::string junk = SampleLine(0) + "\n";
    junk += std::string(escapes, sizeof escapes - 1);
    junk += std::string(binary, sizeof binary - 1);
    junk += "a\n\n x y\n";
    junk += std::string(40, '\0') + "\n";
    junk += "12\t34\r\n\r\n";
    junk += SampleLine(9) + "\n";
    Session::Start(junk);
    ASSERT_TRUE(term_->WaitUntil([&] {
        return term_->Row(0).substr(0, 79) == SampleRow(0, 80) && term_->Row(9).substr(0, 79) == SampleRow(9, 80)
            && term_->Reverse(9, 0) && term_->Row(10) == std::string(80, ' ');
    })) << term_->Screen();
    EXPECT_EQ(StatusRow().substr(0, 79), StatusLine("100.00%", StatusTime(kStart + 9), true, "Pri", 80));
    for (int row = 1; row < 9; ++row)
        EXPECT_FALSE(term_->Reverse(row, 0)) << "row " << row << "\n" << term_->Screen();

    term_->Send(key::Home);
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Reverse(0, 0) && !term_->Reverse(9, 0); }));
    for (int i = 0; i < 9; ++i)
        term_->Send(key::Down);
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Reverse(9, 0); })) << term_->Screen();
    EXPECT_EQ(term_->Row(0).substr(0, 79), SampleRow(0, 80));
    EXPECT_TRUE(term_->Running());
    ExitCleanly();
}

TEST_F(Browse, EmptyLogShowsBlankRowsAndGrows)
{
    Start(0);
    ASSERT_TRUE(WaitPage(0, -1)) << term_->Screen();
    EXPECT_EQ(StatusRow().substr(0, 79), StatusLine("  0.00%", "", true, "Pri", 80));
    term_->Send(key::Down + key::PageDown + key::End + key::Up + key::PageUp + key::Home + "123789");
    Sync();
    EXPECT_TRUE(PageIs(0, -1, 0)) << term_->Screen();

    home_.AppendFile("access.log", SampleLine(0) + "\n");
    ASSERT_TRUE(WaitPage(0, 0, 1)) << term_->Screen();
    EXPECT_TRUE(WaitStatus("  0.00% " + StatusTime(kStart)));
    ExitCleanly();
}

TEST_F(Browse, LogTruncatedWhileRunning)
{
    Start(50);
    ASSERT_TRUE(WaitPage(27, 22));
    home_.WriteFile("access.log", SampleLog(10));
    ASSERT_TRUE(WaitPage(0, 9, 10)) << term_->Screen();
    EXPECT_TRUE(WaitStatus("100.00% " + StatusTime(kStart + 9)));
    ExitCleanly();
}

TEST_F(Browse, LogDeletedWhileRunning)
{
    Start(50);
    ASSERT_TRUE(WaitPage(27, 22));
    ASSERT_EQ(::unlink(home_.PathOf("access.log").c_str()), 0);
    ASSERT_TRUE(WaitPage(0, -1, 0)) << term_->Screen();
    EXPECT_EQ(StatusRow().substr(0, 79), StatusLine("  0.00%", "", true, "Pri", 80));
    term_->Send(key::Up + key::Home + key::PageDown);
    Sync();
    EXPECT_TRUE(term_->Running());
    ExitCleanly();
}

}  // namespace
}  // namespace e2e
