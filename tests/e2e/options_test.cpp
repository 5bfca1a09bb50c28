// The common options ('c'), search options ('o') with the hit sizes and
// focus screens, and the jump to a day ('j', 'J'), through the real program.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "harness.h"
#include "screenrows.h"

namespace e2e {
namespace {

const int kRows = 24;
const int kCols = 80;

std::unique_ptr<Terminal> Start(const TempHome& home)
{
    auto t = StartFerntrack(home, kRows, kCols);
    EXPECT_TRUE(t->WaitForRow(kRows - 1, "h = help")) << t->Screen();
    return t;
}

// Sends keys, lets the screen settle and waits for a text.
void Expect(Terminal& t, const std::string& keys, const std::string& text)
{
    t.Send(keys);
    t.Pump(0.2);
    ASSERT_TRUE(t.WaitFor(text)) << "after " << keys << "\n" << t.Screen();
}

void Quit(Terminal& t)
{
    t.Send("q");
    ASSERT_TRUE(t.WaitForRow(kRows - 1, "h = help")) << t.Screen();
    t.Send(key::CtrlX);
    EXPECT_EQ(t.WaitExit(), 0);
}

TEST(CommonOptions, ScreenAndKeys)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    home.WriteFile(".ferntrack/ferntrack.conf", "bRepKeepExt=no\nbLookupIP=yes\nbAliases=no\niUserNameLen=8\n");
    auto t = Start(home);
    Expect(*t, "c", "Your choice:");
    EXPECT_EQ(ScreenText(*t), "Common Options\n\nThese affect both the browsing window and reports.\n\n"
                              "e.  keep target/extension/file type: no\nn.  IP number instead of null user: yes\n"
                              "a.  use alias file to map IPs to names: no\n"
                              "w.  width of user name field: eg 8 (for names) or 15 (for IPs): 8\n"
                              "q.  quit this menu\n\nYour choice:\n");
    Expect(*t, "e", "type: yes");
    Expect(*t, "n", "null user: no");
    // No aliases file: aliases stay off, every time.
    for (int i = 0; i < 2; ++i) {
        Expect(*t, "a", "Get a working aliases file first.");
        EXPECT_EQ(Trimmed(*t, 12), "Get a working aliases file first.");
        EXPECT_EQ(Trimmed(*t, 13), "Press a key.");
        Expect(*t, "x", "names: no");
    }
    Expect(*t, "w", "New width:");
    Expect(*t, "15\r", "(for IPs): 15");
    Expect(*t, "w", "New width:");
    Expect(*t, "65\r", "(for IPs): 15");
    Expect(*t, "E", "Bad option. Press a key.");
    Expect(*t, "x", "(for IPs): 15");
    Quit(*t);
    std::string conf = home.ReadFile(".ferntrack/ferntrack.conf");
    for (const char* line : {"bRepKeepExt=yes\n", "bLookupIP=no\n", "bAliases=no\n", "iUserNameLen=15\n"})
        EXPECT_NE(conf.find(line), std::string::npos) << line << conf;
}

TEST(CommonOptions, AliasesTurnOnWithAWorkingFile)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    home.WriteFile(".ferntrack/aliases", "desk 192.168.1.1\n");
    home.WriteFile(".ferntrack/ferntrack.conf", "bAliases=no\n");
    auto t = Start(home);
    Expect(*t, "c", "Your choice:");
    Expect(*t, "a", "names: yes");
    Expect(*t, "a", "names: no");
    Quit(*t);
}

TEST(SearchOptions, WordsHitSizesAndFocus)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    home.WriteFile(".ferntrack/words", "cam\n!skip\n");
    home.WriteFile(".ferntrack/ferntrack.conf", "iMonitorMode=0\niRepFocus=0\niSizeHitGrade=0\n");
    auto t = Start(home);
    Expect(*t, "o", "Your choice:");
    EXPECT_EQ(ScreenText(*t), "Search Options: current words are:-\n\ncam !skip\n\n"
                              "In the case of skips (\"!\"s) first words have higher preference.\n\nCommands:\n\n"
                              "n.  null words\nr.  reload words\ns.  save words\n"
                              "c.  change request hit size from <off>\nf.  focus: no focus\n"
                              "q.  quit this screen\n\nYour choice:\n");
    Expect(*t, "n", "All words gone.");
    Expect(*t, "x", "Your choice:");
    Expect(*t, "r", "Words reset.");
    Expect(*t, "x", "cam !skip");
    Expect(*t, "n", "All words gone.");
    Expect(*t, "x", "Your choice:");
    Expect(*t, "s", "Words saved.");
    EXPECT_EQ(home.ReadFile(".ferntrack/words"), "");
    Expect(*t, "x", "Your choice:");

    // Hit sizes: choose a grade, insert above it, then leave.
    Expect(*t, "c", "Enter choice:");
    EXPECT_EQ(ScreenText(*t), "Hit sizes are:-\n\n0: <off>\n1: 50,000\n2: 250,000\n3: 1,000,000\n4: 10,000,000\n\n"
                              "No hit size set.\n\n-1 to -9 deletes entry, 0 to 9 sets grade.\n"
                              "A large number inserts a new grade.\nEnter nothing to dismiss.\n\nEnter choice:\n");
    Expect(*t, "2\r", "Current hit grade is 2: 250,000 bytes");
    Expect(*t, "100000\r", "Current hit grade is 2: 100,000 bytes");
    EXPECT_EQ(Trimmed(*t, 4), "2: 100,000");
    Expect(*t, "\r", "change request hit size from 2 (100,000)");

    // Focus: the selected line's user is offered; a typed one is lower-cased.
    Expect(*t, "f", "Your choice:");
    EXPECT_EQ(ScreenText(*t), "Focus options:\n\n1.  no focus\n2.  a user\n3.  focus on user user00\n\n"
                              "Your choice:\n");
    Expect(*t, "3", "focus: focus on user user00");
    Expect(*t, "f", "Your choice:");
    Expect(*t, "2", "Enter user name:");
    Expect(*t, "JDoe\r", "focus: focus on user jdoe");
    Expect(*t, "f", "Your choice:");
    Expect(*t, "2", "Enter user name:");
    Expect(*t, "\r", "focus: no focus");
    Quit(*t);
    std::string conf = home.ReadFile(".ferntrack/ferntrack.conf");
    for (const char* line : {"sSizeHits=50000 100000 250000 1000000 10000000\n", "iSizeHitGrade=2\n",
                             "iSizeHitBytes=100000\n", "iRepFocus=0\n", "sRepFocus=jdoe\n"})
        EXPECT_NE(conf.find(line), std::string::npos) << line << conf;
}

TEST(SearchOptions, FullHitSizesListHasNoRoom)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    home.WriteFile(".ferntrack/ferntrack.conf", "sSizeHits=10 20 30 40 50 60 70 80 90\n");
    auto t = Start(home);
    Expect(*t, "o", "Your choice:");
    Expect(*t, "c", "Enter choice:");
    Expect(*t, "99999999\r", "Not enough room!");
    EXPECT_NE(ScreenText(*t).find("Not enough room!\n\nPress a key:"), std::string::npos) << t->Screen();
    Expect(*t, "x", "9: 90");
    Expect(*t, "-9\r", "8: 80");
    EXPECT_EQ(t->Screen().find("9: 90"), std::string::npos);
    Expect(*t, "\r", "Search Options");
    Quit(*t);
}

// Five days of requests, one every two hours from Tue Oct  5 2010 01:00 UTC,
// with a line that has no time stamp at the start.
const long long kFirst = 1286240400;
const int kPerDay = 12;

std::string MultiDayLog()
{
    std::string log = "garbage line\n";
    char line[200];
    for (int i = 0; i < 5 * kPerDay; ++i) {
        std::snprintf(line, sizeof line,
                      "%lld.000     12 192.168.1.7 TCP_MISS/200 1000 GET http://h%d.example/ u%02d DIRECT/1.2.3.4 "
                      "text/html\n",
                      kFirst + i * 7200LL, i, i);
        log += line;
    }
    return log;
}

TEST(JumpToDay, ForwardAndBackwardOverDays)
{
    TempHome home;
    home.MakePrivateDir(MultiDayLog());
    home.WriteFile(".ferntrack/ferntrack.conf", "iMonitorMode=0\n");
    auto t = Start(home);
    // The first line has no time.
    t->Send("j");
    t->Pump(0.3);
    ASSERT_TRUE(t->WaitForRow(kRows - 1, "Bad day to start with.")) << t->Screen();
    t->Send(key::Down);
    ASSERT_TRUE(t->WaitForRow(kRows - 1, StatusTime(kFirst))) << t->Screen();
    // Oct 7: the first request that day is number 2 * kPerDay (01:00).
    Expect(*t, "j", "Jump forward to day of month:");
    t->Send("7\r");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, StatusTime(kFirst + 2 * kPerDay * 7200LL))) << t->Screen();
    // The request is selected in the middle of the screen.
    EXPECT_EQ(t->Row(11).substr(0, 4), "u24 ") << t->Screen();
    EXPECT_TRUE(t->Reverse(11, 0)) << t->Screen();
    Expect(*t, "J", "Jump backward to day of month:");
    t->Send("6\r");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, StatusTime(kFirst + kPerDay * 7200LL))) << t->Screen();
    // A day after the log's end selects the last request; nothing for 32.
    Expect(*t, "j", "Jump forward to day of month:");
    t->Send("20\r");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, StatusTime(kFirst + (5 * kPerDay - 1) * 7200LL))) << t->Screen();
    Expect(*t, "J", "Jump backward to day of month:");
    t->Send("32\r");
    t->Pump(0.5);
    EXPECT_NE(t->Row(kRows - 1).find(StatusTime(kFirst + (5 * kPerDay - 1) * 7200LL)), std::string::npos);
    Expect(*t, "J", "Jump backward to day of month:");
    t->Send("5\r");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, StatusTime(kFirst))) << t->Screen();
    t->Send(key::CtrlX);
    EXPECT_EQ(t->WaitExit(), 0);
}

}  // namespace
}  // namespace e2e
