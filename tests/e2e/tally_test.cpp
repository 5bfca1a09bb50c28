// The all users' tally and one user's history, driven through the real
// program in a pseudo-terminal.
#include <gtest/gtest.h>

#include <string>

#include "screenrows.h"
#include "session.h"

namespace e2e {
namespace {

const int kRows = 24;

const std::string kLog = LogLine(0, "ann", "http://a.example.com/one.html", "TCP_MISS/200", 1000) +
                         LogLine(1, "bob", "http://b.example.com/big.iso", "TCP_MISS/200", 5000) +
                         LogLine(2, "ann", "http://a.example.com/two.html", "TCP_DENIED/403", 300) +
                         LogLine(3, "cy", "http://c.example.com/c", "TCP_MISS/200", 10);

class TallyE2E : public Session {
protected:
    Terminal* t = nullptr;

    // Starts on the crafted log with the first line selected.
    void Start()
    {
        Session::Start(kLog);
        home_.WriteFile(kUsersFile, "ann Ann Example\n");
        t = term_.get();
        t->Send(key::Home);
        Sync();
    }

    // 'T' and Enter: the list in view 0.
    void EnterTally()
    {
        t->Send("T");
        ASSERT_TRUE(t->WaitFor("Press enter to begin from here.")) << t->Screen();
        t->Send("\r");
        ASSERT_TRUE(t->WaitForRow(0, "User          Points")) << t->Screen();
    }
};

TEST_F(TallyE2E, EntryScreenViewsSortMenuAndSwitches)
{
    Start();
    t->Send("T");
    ASSERT_TRUE(t->WaitFor("Press enter to begin from here.")) << t->Screen();
    EXPECT_EQ(Trimmed(*t, 0), "All Users' Tally Mode");
    EXPECT_EQ(Trimmed(*t, 2), "Current position is " + StatusTime(kStart) + " (0.00%)");
    EXPECT_EQ(Trimmed(*t, 6), "Note this might take a while.");
    t->Send("\r");
    ASSERT_TRUE(t->WaitForRow(0, "User          Points")) << t->Screen();
    EXPECT_TRUE(t->Reverse(0, 0));
    // Sorted by points after the first gathering; the idle column is left
    // out, it depends on today's date.
    EXPECT_EQ(t->Row(1).substr(0, 56), "bob            5,000       5,000           1       5,000");
    EXPECT_EQ(t->Row(2).substr(0, 56), "ann            1,300       1,300           2       1,000");
    EXPECT_EQ(t->Row(3).substr(0, 56), "cy                10          10           1          10");
    EXPECT_TRUE(t->Reverse(1, 0));
    EXPECT_FALSE(t->Reverse(2, 0));
    EXPECT_EQ(t->Row(kRows - 1), Fit("  0.00% points", 65) + "mon | h = help ");

    const std::pair<const char*, const char*> views[] = {
        {"Full Names", "ann             Ann Example"},
        {"Greatest Hits", "ann            1,000 a.example.com/one.html"},
        {"Last visited sites", "ann      a.example.com/two.html"},
    };
    t->Send(key::Down);
    for (const auto& view : views) {
        t->Send("v");
        ASSERT_TRUE(t->WaitForRow(0, view.first)) << t->Screen();
        EXPECT_EQ(Trimmed(*t, 2), view.second);
        EXPECT_TRUE(t->Reverse(2, 0));
    }
    t->Send("v");
    ASSERT_TRUE(t->WaitForRow(0, "User")) << t->Screen();

    t->Send("s");
    ASSERT_TRUE(t->WaitFor("Any other key to dismiss")) << t->Screen();
    EXPECT_EQ(Trimmed(*t, 0), "Current sort method is: points");
    EXPECT_EQ(Trimmed(*t, 9), "6.  idle time");
    t->Send("1");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, "  0.00% user name")) << t->Screen();
    EXPECT_EQ(t->Row(1).substr(0, 3), "ann");
    EXPECT_EQ(t->Row(3).substr(0, 3), "cy ");
    t->Send("d");
    t->Send("m");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, " -d | h = help")) << t->Screen();
    ExitCleanly();
    // The switches are settings, kept across runs.
    std::string config = home_.ReadFile(kConfFile);
    EXPECT_NE(config.find("iTallyMonitor=no\niTallyDenies=no\n"), std::string::npos) << config;
}

TEST_F(TallyE2E, MonitoringGathersAppendedLinesAndAWipeLeadsBackToTheEntryScreen)
{
    Start();
    EnterTally();
    home_.AppendFile("access.log", LogLine(9, "dee", "http://d.example.com/new", "TCP_MISS/200", 999999));
    ASSERT_TRUE(t->WaitForRow(1, "dee")) << t->Screen();
    EXPECT_EQ(t->Row(1).substr(0, 21), "dee          999,999 ");
    t->Send("Z");
    ASSERT_TRUE(t->WaitUntil([&] { return Trimmed(*t, 1).empty(); })) << t->Screen();
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("T");
    ASSERT_TRUE(t->WaitFor("Press enter to begin from here.")) << t->Screen();
    t->Send("x"); // any other key goes back without gathering
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    ExitCleanly();
}

TEST_F(TallyE2E, HistoryFromTheBrowseWindowAndFromTheTally)
{
    Start();
    t->Send(key::Down);
    t->Send(key::Down); // ann's denied request
    t->Send("O");
    ASSERT_TRUE(t->WaitForRow(0, "One user history: ann")) << t->Screen();
    // Going backwards reaches the first line of the log too.
    EXPECT_EQ(Trimmed(*t, 1), "     a.example.com/one.html");
    EXPECT_EQ(Trimmed(*t, 2), "  d  a.example.com/two.html");
    EXPECT_EQ(t->Row(kRows - 1), Fit("(0.00% to 100.00%) 0.00% " + StatusTime(kStart), 68) + " | h = help ");
    EXPECT_TRUE(t->Reverse(1, 0));
    // After a wipe the list is built forwards from the first line.
    t->Send("Z");
    ASSERT_TRUE(t->WaitUntil([&] { return Trimmed(*t, 1).empty(); })) << t->Screen();
    t->Send(key::Down);
    ASSERT_TRUE(t->WaitForRow(1, "     a.example.com/one.html")) << t->Screen();
    t->Send(key::Down);
    ASSERT_TRUE(t->WaitForRow(2, "  d  a.example.com/two.html")) << t->Screen();
    EXPECT_TRUE(t->Reverse(2, 0));
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();

    // Gathered from the selected line on: ann (the denied request) and cy.
    EnterTally();
    t->Send("O");
    ASSERT_TRUE(t->WaitForRow(0, "One user history: ann")) << t->Screen();
    t->Send("q");
    ASSERT_TRUE(t->WaitForRow(0, "User          Points")) << t->Screen();
    t->Send("O");
    ASSERT_TRUE(t->WaitForRow(0, "One user history: ann")) << t->Screen();
    ExitCleanly();
}

// Keys sent together with the Enter that starts a gathering too short to
// poll were typed during it: an 's' stops it (monitoring goes off) and
// opens no sort menu; any other key is dropped, not taken by the list.
TEST_F(TallyE2E, KeysTypedWithTheEnterActOnTheGathering)
{
    Start();
    t->Send("T");
    ASSERT_TRUE(t->WaitFor("Press enter to begin from here.")) << t->Screen();
    t->Send("\rv");
    ASSERT_TRUE(t->WaitForRow(0, "User          Points")) << t->Screen();
    t->Pump(0.5);
    EXPECT_EQ(t->Row(0).substr(0, 20), "User          Points") << t->Screen();
    EXPECT_EQ(t->Row(kRows - 1), Fit("  0.00% points", 65) + "mon | h = help ");
    t->Send("Z");
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("T");
    ASSERT_TRUE(t->WaitFor("Press enter to begin from here.")) << t->Screen();
    t->Send("\rs");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, Fit("  0.00% points", 69) + "| h = help ")) << t->Screen();
    t->Pump(0.5);
    EXPECT_EQ(t->Row(0).substr(0, 20), "User          Points") << t->Screen();
    EXPECT_EQ(ScreenText(*t).find("Any other key to dismiss"), std::string::npos) << t->Screen();
    ExitCleanly();
}

// The history's "Switch to user: " takes 87 bytes like every prompt, though
// fewer fit on the row after it.
TEST_F(TallyE2E, TheHistorysUserPromptTakesEightySevenBytes)
{
    const std::string longName = "u" + std::string(86, 'n');
    Session::Start(kLog + LogLine(4, longName, "http://e.example.com/long"));
    t = term_.get();
    t->Send(key::Home);
    t->Send("O");
    ASSERT_TRUE(t->WaitForRow(0, "One user history: ann")) << t->Screen();
    t->Send("u");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, "Switch to user: ")) << t->Screen();
    // Three bytes past the bound are refused; the row shows the end typed.
    t->Send(longName + "xyz");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, "Switch to user: " + longName.substr(longName.size() - 63)))
        << t->Screen();
    t->Send("\r");
    ASSERT_TRUE(t->WaitForRow(0, "One user history: unnn")) << t->Screen();
    t->Send(key::Down);
    ASSERT_TRUE(t->WaitForRow(1, "     e.example.com/long")) << t->Screen();
    ExitCleanly();
}

}  // namespace
}  // namespace e2e
