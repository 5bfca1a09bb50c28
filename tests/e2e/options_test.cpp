// The common options ('c'), search options ('o') with the hit sizes and
// focus screens, and the jump to a day ('j', 'J'), through the real program.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "screenrows.h"
#include "session.h"

namespace e2e {
namespace {

const int kRows = 24;

// The option screens on a home of their own.
class Options : public Session {
protected:
    // Sends keys, lets the screen settle and waits for a text.
    void Expect(const std::string& keys, const std::string& text)
    {
        term_->Send(keys);
        term_->Pump(0.2);
        ASSERT_TRUE(term_->WaitFor(text)) << "after " << keys << "\n" << term_->Screen();
    }
    // Leaves the screen and ends the program cleanly.
    void Quit()
    {
        term_->Send("q");
        ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();
        ExitCleanly();
    }
};

TEST_F(Options, CommonScreenAndKeys)
{
    home_.MakePrivateDir(SampleLog(3));
    home_.WriteFile(kConfFile, "bRepKeepExt=no\nbLookupIP=yes\nbAliases=no\niUserNameLen=8\n");
    Launch();
    Expect("c", "Your choice:");
    EXPECT_EQ(ScreenText(*term_), "Common Options\n\nThese affect both the browsing window and reports.\n\n"
                              "e.  keep target/extension/file type: no\nn.  IP number instead of null user: yes\n"
                              "a.  use alias file to map IPs to names: no\n"
                              "w.  width of user name field: eg 8 (for names) or 15 (for IPs): 8\n"
                              "q.  quit this menu\n\nYour choice:\n");
    Expect("e", "type: yes");
    Expect("n", "null user: no");
    // No aliases file: aliases stay off, every time.
    for (int i = 0; i < 2; ++i) {
        Expect("a", "Get a working aliases file first.");
        EXPECT_EQ(Trimmed(*term_, 12), "Get a working aliases file first.");
        EXPECT_EQ(Trimmed(*term_, 13), "Press a key.");
        Expect("x", "names: no");
    }
    Expect("w", "New width:");
    Expect("15\r", "(for IPs): 15");
    Expect("w", "New width:");
    Expect("65\r", "(for IPs): 15");
    Expect("E", "Bad option. Press a key.");
    Expect("x", "(for IPs): 15");
    Quit();
    std::string conf = home_.ReadFile(kConfFile);
    for (const char* line : {"bRepKeepExt=yes\n", "bLookupIP=no\n", "bAliases=no\n", "iUserNameLen=15\n"})
        EXPECT_NE(conf.find(line), std::string::npos) << line << conf;
}

TEST_F(Options, CommonAliasesTurnOnWithAWorkingFile)
{
    home_.MakePrivateDir(SampleLog(3));
    home_.WriteFile(".ferntrack/aliases", "desk 192.168.1.1\n");
    home_.WriteFile(kConfFile, "bAliases=no\n");
    Launch();
    Expect("c", "Your choice:");
    Expect("a", "names: yes");
    Expect("a", "names: no");
    Quit();
}

TEST_F(Options, SearchWordsHitSizesAndFocus)
{
    home_.MakePrivateDir(SampleLog(3));
    home_.WriteFile(".ferntrack/words", "cam\n!skip\n");
    home_.WriteFile(kConfFile, "iMonitorMode=0\niRepFocus=0\niSizeHitGrade=0\n");
    Launch();
    Expect("o", "Your choice:");
    EXPECT_EQ(ScreenText(*term_), "Search Options: current words are:-\n\ncam !skip\n\n"
                              "In the case of skips (\"!\"s) first words have higher preference.\n\nCommands:\n\n"
                              "n.  null words\nr.  reload words\ns.  save words\n"
                              "c.  change request hit size from <off>\nf.  focus: no focus\n"
                              "q.  quit this screen\n\nYour choice:\n");
    Expect("n", "All words gone.");
    Expect("x", "Your choice:");
    Expect("r", "Words reset.");
    Expect("x", "cam !skip");
    Expect("n", "All words gone.");
    Expect("x", "Your choice:");
    Expect("s", "Words saved.");
    EXPECT_EQ(home_.ReadFile(".ferntrack/words"), "");
    Expect("x", "Your choice:");

    // Hit sizes: choose a grade, insert above it, then leave.
    Expect("c", "Enter choice:");
    EXPECT_EQ(ScreenText(*term_), "Hit sizes are:-\n\n0: <off>\n1: 50,000\n2: 250,000\n3: 1,000,000\n4: 10,000,000\n\n"
                              "No hit size set.\n\n-1 to -9 deletes entry, 0 to 9 sets grade.\n"
                              "A large number inserts a new grade.\nEnter nothing to dismiss.\n\nEnter choice:\n");
    Expect("2\r", "Current hit grade is 2: 250,000 bytes");
    Expect("100000\r", "Current hit grade is 2: 100,000 bytes");
    EXPECT_EQ(Trimmed(*term_, 4), "2: 100,000");
    Expect("\r", "change request hit size from 2 (100,000)");

    // Focus: the selected line's user is offered; a typed one is lower-cased.
    Expect("f", "Your choice:");
    EXPECT_EQ(ScreenText(*term_), "Focus options:\n\n1.  no focus\n2.  a user\n3.  focus on user user00\n\n"
                              "Your choice:\n");
    Expect("3", "focus: focus on user user00");
    Expect("f", "Your choice:");
    Expect("2", "Enter user name:");
    Expect("JDoe\r", "focus: focus on user jdoe");
    Expect("f", "Your choice:");
    Expect("2", "Enter user name:");
    Expect("\r", "focus: no focus");
    Quit();
    std::string conf = home_.ReadFile(kConfFile);
    for (const char* line : {"sSizeHits=50000 100000 250000 1000000 10000000\n", "iSizeHitGrade=2\n",
                             "iSizeHitBytes=100000\n", "iRepFocus=0\n", "sRepFocus=jdoe\n"})
        EXPECT_NE(conf.find(line), std::string::npos) << line << conf;
}

TEST_F(Options, SearchFullHitSizesListHasNoRoom)
{
    home_.MakePrivateDir(SampleLog(3));
    home_.WriteFile(kConfFile, "sSizeHits=10 20 30 40 50 60 70 80 90\n");
    Launch();
    Expect("o", "Your choice:");
    Expect("c", "Enter choice:");
    Expect("99999999\r", "Not enough room!");
    EXPECT_NE(ScreenText(*term_).find("Not enough room!\n\nPress a key:"), std::string::npos) << term_->Screen();
    Expect("x", "9: 90");
    Expect("-9\r", "8: 80");
    EXPECT_EQ(term_->Screen().find("9: 90"), std::string::npos);
    Expect("\r", "Search Options");
    Quit();
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

TEST_F(Options, JumpForwardAndBackwardOverDays)
{
    home_.MakePrivateDir(MultiDayLog());
    home_.WriteFile(kConfFile, "iMonitorMode=0\n");
    Launch();
    // The first line has no time.
    term_->Send("j");
    term_->Pump(0.3);
    ASSERT_TRUE(term_->WaitForRow(kRows - 1, "Bad day to start with.")) << term_->Screen();
    term_->Send(key::Down);
    ASSERT_TRUE(term_->WaitForRow(kRows - 1, StatusTime(kFirst))) << term_->Screen();
    // Oct 7: the first request that day is number 2 * kPerDay (01:00).
    Expect("j", "Jump forward to day of month:");
    term_->Send("7\r");
    ASSERT_TRUE(term_->WaitForRow(kRows - 1, StatusTime(kFirst + 2 * kPerDay * 7200LL))) << term_->Screen();
    // The request is selected in the middle of the screen.
    EXPECT_EQ(term_->Row(11).substr(0, 4), "u24 ") << term_->Screen();
    EXPECT_TRUE(term_->Reverse(11, 0)) << term_->Screen();
    Expect("J", "Jump backward to day of month:");
    term_->Send("6\r");
    ASSERT_TRUE(term_->WaitForRow(kRows - 1, StatusTime(kFirst + kPerDay * 7200LL))) << term_->Screen();
    // A day after the log's end selects the last request; nothing for 32.
    Expect("j", "Jump forward to day of month:");
    term_->Send("20\r");
    ASSERT_TRUE(term_->WaitForRow(kRows - 1, StatusTime(kFirst + (5 * kPerDay - 1) * 7200LL))) << term_->Screen();
    Expect("J", "Jump backward to day of month:");
    term_->Send("32\r");
    term_->Pump(0.5);
    EXPECT_NE(term_->Row(kRows - 1).find(StatusTime(kFirst + (5 * kPerDay - 1) * 7200LL)), std::string::npos);
    Expect("J", "Jump backward to day of month:");
    term_->Send("5\r");
    ASSERT_TRUE(term_->WaitForRow(kRows - 1, StatusTime(kFirst))) << term_->Screen();
    ExitCleanly();
}

}  // namespace
}  // namespace e2e
