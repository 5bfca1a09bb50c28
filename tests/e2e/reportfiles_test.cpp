// The misc log options screen ('n') driven through the real program, with
// stand-ins for the pager and for pine first on PATH that record what they
// were given.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "screenrows.h"
#include "session.h"

namespace e2e {
namespace {

const int kRows = 24;

// A normal-text report with hits of ann and bob.
const std::string kReport =
    "For Tue Oct  5 14:03 2010 to Tue Oct  5 18:40 2010\n\n"
    "                          Tue Oct  5 14:03 2010\n"
    "      1,234 ann      w H  host7/index.html\n"
    "     56,789 bob      w    host9:443\n"
    "\n  1,000,000 scanned bytes, 2 hits total 58,023 bytes\n"
    "\n    990,000 bytes not skipped domains\n    600,000 ann\n    390,000 bob\n";

class ReportFiles : public Session {
protected:

    // A log whose only line is ann's, the report above as week.txt, and the
    // two stand-ins in HOME/bin.
    void SetUp() override
    {
        home_.MakePrivateDir(
            "1286287408.123     12 192.168.1.7 TCP_MISS/200 1234 GET http://host7/index.html ann DIRECT/1.2.3.4 "
            "text/html\n");
        home_.WriteFile(".ferntrack/week.txt", kReport);
        ::mkdir(home_.PathOf("bin").c_str(), 0755);
        home_.WriteFile("bin/view", "#!/bin/sh\nif [ $# -gt 0 ]; then cat \"$@\"; else cat; fi >> \"$HOME/viewed\"\n");
        home_.WriteFile("bin/pine",
                       "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$HOME/pine.args\"\ncat > \"$HOME/pine.stdin\"\n");
        ::chmod(home_.PathOf("bin/view").c_str(), 0755);
        ::chmod(home_.PathOf("bin/pine").c_str(), 0755);
        home_.WriteFile(kConfFile,
                       "iMonitorMode=0\nsCurrentReport=week.txt\nsViewer=view\n");
    }

    void Open()
    {
        Env env = home_.Environment();
        env.push_back("PATH=" + home_.PathOf("bin") + ":/usr/bin:/bin");
        term_ = StartFerntrack(env, kRows);
        ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();
        term_->Send("n");
        ASSERT_TRUE(term_->WaitFor("Your choice:")) << term_->Screen();
    }

    // Sends keys and waits for the menu to be drawn again.
    void Menu(const std::string& keys)
    {
        term_->Send(keys);
        term_->Pump(0.3);
        ASSERT_TRUE(term_->WaitForRow(0, "Misc Log Options")) << term_->Screen();
        ASSERT_TRUE(term_->WaitFor("Your choice:")) << term_->Screen();
    }

    void Leave()
    {
        term_->Send("q");
        ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();
        ExitCleanly();
    }
};

TEST_F(ReportFiles, MenuNamesAndKeysChangeThem)
{
    Open();
    EXPECT_EQ(ScreenText(*term_),
              "Misc Log Options\n\nCurrent report is: week.txt\nCurrent filtered report is:\nCurrent email is:\n\n"
              "Commands:\n\nc.  change current report\nC.  change filter report\nl.  list reports\n"
              "d.  delete the report\nv.  view current report with view\nV.  view filtered report\n"
              "f.  filter the report for just one user\ne.  change current email\n"
              "m.  mail current report to current email with Pine\ns.  show built in log filenames\n"
              "q.  quit this menu\n\nYour choice:\n");
    // Names typed with a bad byte are refused and the old one kept.
    term_->Send("c");
    ASSERT_TRUE(term_->WaitFor("Enter new current report:"));
    term_->Send("week 1\r");
    ASSERT_TRUE(term_->WaitFor("Problem: Illegal character: ' '. Press any key.")) << term_->Screen();
    Menu("x");
    EXPECT_EQ(Trimmed(*term_, 2), "Current report is: week.txt");
    term_->Send("C");
    ASSERT_TRUE(term_->WaitFor("Enter filtered report name:"));
    term_->Send("a.b\r");
    ASSERT_TRUE(term_->WaitFor("Problem: Illegal character: '.'. Press any key.")) << term_->Screen();
    Menu("x");
    EXPECT_EQ(Trimmed(*term_, 3), "Current filtered report is:");
    term_->Send("C");
    Menu("ann_1\r");
    EXPECT_EQ(Trimmed(*term_, 3), "Current filtered report is: ann_1.txt");
    // An address with a blank is refused; a good one is taken.
    term_->Send("e");
    ASSERT_TRUE(term_->WaitFor("Enter new email address:"));
    term_->Send("a b@c\r");
    ASSERT_TRUE(term_->WaitFor("Sorry, no illegal characters.")) << term_->Screen();
    Menu("x");
    EXPECT_EQ(Trimmed(*term_, 4), "Current email is:");
    term_->Send("e");
    Menu("boss.1@example.org\r");
    EXPECT_EQ(Trimmed(*term_, 4), "Current email is: boss.1@example.org");
    // The log links.
    term_->Send("s");
    ASSERT_TRUE(term_->WaitFor("Press any key.")) << term_->Screen();
    std::string dir = home_.PrivateDir();
    EXPECT_EQ(ScreenText(*term_), "Log files:\n\nPri -> " + dir + "/log1\nSec -> " + dir + "/log2\nTri -> " + dir +
                                  "/log3\n\nTo adjust these do this:\n\ncd ~/.ferntrack\nrm log1\n"
                                  "ln -s /var/whatever/access.log log1\n\nPress any key.\n");
    Menu("x");
    Leave();
    std::string conf = home_.ReadFile(kConfFile);
    EXPECT_NE(conf.find("sRepFilter=ann_1.txt\n"), std::string::npos);
    EXPECT_NE(conf.find("sCurrentEmail=boss.1@example.org\n"), std::string::npos);
}

TEST_F(ReportFiles, ListViewDeleteAndMail)
{
    home_.AppendFile(kConfFile, "sCurrentEmail=boss@example.org\n");
    Open();
    Menu("l");
    std::string listing = home_.ReadFile("viewed");
    EXPECT_EQ(listing.substr(0, 18), "Current reports:\n\n");
    EXPECT_NE(listing.find(" week.txt\n"), std::string::npos) << listing;
    home_.WriteFile("viewed", "");
    Menu("v");
    EXPECT_EQ(home_.ReadFile("viewed"), kReport);
    // No filtered report: nothing reaches the pager.
    term_->Send("V");
    ASSERT_TRUE(term_->WaitFor("Empty file :(")) << term_->Screen();
    EXPECT_TRUE(term_->WaitFor("Press any key."));
    Menu("x");
    EXPECT_EQ(home_.ReadFile("viewed"), kReport);

    term_->Send("m");
    ASSERT_TRUE(term_->WaitFor("Press any key to begin")) << term_->Screen();
    EXPECT_NE(ScreenText(*term_).find("You are about to send the report using the\nemail program Pine. Press "
                                  "<ctrl>-x in Pine to\nsend it.\n\nPress any key to begin"),
              std::string::npos)
        << term_->Screen();
    term_->Send("x");
    term_->Pump(0.5);
    term_->Send("Hello boss\n\x04");
    ASSERT_TRUE(term_->WaitForRow(0, "Misc Log Options")) << term_->Screen();
    EXPECT_EQ(home_.ReadFile("pine.args"), "-attach\n" + home_.PrivateDir() + "/week.txt\nboss@example.org\n");
    EXPECT_EQ(home_.ReadFile("pine.stdin"), "Hello boss\n");

    Menu("d");
    EXPECT_EQ(Trimmed(*term_, 2), "Current report is:");
    EXPECT_FALSE(home_.Exists(".ferntrack/week.txt"));
    term_->Send("d");
    ASSERT_TRUE(term_->WaitFor("No current report to delete.")) << term_->Screen();
    Menu("x");
    term_->Send("m");
    ASSERT_TRUE(term_->WaitFor("Empty file :(")) << term_->Screen();
    Menu("x");
    Leave();
}

TEST_F(ReportFiles, FilterForTheSelectedUserAndViewIt)
{
    home_.WriteFile(kUsersFile, "ann Sales desk\n");
    Open();
    term_->Send("f");
    ASSERT_TRUE(term_->WaitFor("Enter new report name:")) << term_->Screen();
    EXPECT_EQ(Trimmed(*term_, 0), "Filter a report leaving one user.");
    term_->Send("annonly\r");
    ASSERT_TRUE(term_->WaitFor("Your choice:")) << term_->Screen();
    EXPECT_EQ(ScreenText(*term_), "Filter a report leaving one user.\n\nEnter new report name: annonly\n\n"
                              "Filter report for:-\n\n1.  focus user\n2.  current user ann\n"
                              "3.  specify a different user\n\nYour choice:\n");
    term_->Send("2");
    ASSERT_TRUE(term_->WaitFor("Report annonly.txt made: view (y/n)?")) << term_->Screen();
    Menu("y");
    const std::string expected = "Web usage report on \"ann\" who is Sales desk\n\n"
                                 "For Tue Oct  5 14:03 2010 to Tue Oct  5 18:40 2010\n\n"
                                 "                          Tue Oct  5 14:03 2010\n"
                                 "      1,234 ann      w H  host7/index.html\n\n"
                                 "Total bytes including small requests: 600,000\n\n";
    EXPECT_EQ(home_.ReadFile("viewed"), expected);
    EXPECT_EQ(home_.ReadFile(".ferntrack/annonly.txt"), expected);
    EXPECT_EQ(Trimmed(*term_, 3), "Current filtered report is: annonly.txt");

    // A typed user without lines: the empty report is said so.
    term_->Send("f");
    ASSERT_TRUE(term_->WaitFor("Enter new report name:"));
    term_->Send("carol\r");
    ASSERT_TRUE(term_->WaitFor("Your choice:"));
    term_->Send("3");
    ASSERT_TRUE(term_->WaitFor("Enter user name:"));
    term_->Send("Carol\r");
    ASSERT_TRUE(term_->WaitFor("Press any key.")) << term_->Screen();
    EXPECT_NE(ScreenText(*term_).find("Working...\n\nEmpty report carol.txt:\n\n\nPress any key."), std::string::npos)
        << term_->Screen();
    Menu("x");
    EXPECT_EQ(Trimmed(*term_, 3), "Current filtered report is: annonly.txt");
    // The source itself as destination is refused; focus off chooses no one.
    term_->Send("f");
    ASSERT_TRUE(term_->WaitFor("Enter new report name:"));
    term_->Send("week\r");
    ASSERT_TRUE(term_->WaitFor("Destination report must be different to source.")) << term_->Screen();
    Menu("x");
    term_->Send("f");
    ASSERT_TRUE(term_->WaitFor("Enter new report name:"));
    term_->Send("other\r");
    ASSERT_TRUE(term_->WaitFor("Your choice:"));
    Menu("1");
    EXPECT_FALSE(home_.Exists(".ferntrack/other.txt"));
    Leave();
}

// Keys typed along with the choice of user reach the filter pass, not the
// question after it: a 'y' never opens the pager unseen, an 's' stops the
// pass however short it is.
TEST_F(ReportFiles, KeysTypedWhileFilteringActOnTheFilter)
{
    Open();
    const struct {
        const char* keys;
        const char* shown;
    } cases[] = {
        {"2y", "Report a1.txt made: view (y/n)?"},
        {"2s", "Filter canceled."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        term_->Send("f");
        ASSERT_TRUE(term_->WaitFor("Enter new report name:")) << term_->Screen();
        term_->Send("a1\r");
        ASSERT_TRUE(term_->WaitFor("Your choice:")) << term_->Screen();
        term_->Send(c.keys);
        ASSERT_TRUE(term_->WaitFor(c.shown)) << term_->Screen();
        term_->Pump(0.5);  // time for a kept 'y' to run the pager
        EXPECT_NE(ScreenText(*term_).find(c.shown), std::string::npos) << term_->Screen();
        EXPECT_FALSE(home_.Exists("viewed"));
        Menu("n");
    }
    // The canceled pass did not become the filtered report.
    EXPECT_EQ(Trimmed(*term_, 3), "Current filtered report is: a1.txt");
    Leave();
}

// A resize is no key: a message waiting for one stays until a key comes.
TEST_F(ReportFiles, AResizeDoesNotDismissAMessage)
{
    home_.WriteFile(kConfFile, "iMonitorMode=0\nsViewer=view\n");
    Open();
    term_->Send("d");
    ASSERT_TRUE(term_->WaitFor("Press any key.")) << term_->Screen();
    term_->Resize(30, 100);
    term_->Pump(1.0);
    EXPECT_NE(ScreenText(*term_).find("No current report to delete.\n\nPress any key."), std::string::npos)
        << term_->Screen();
    Menu("x");
    EXPECT_EQ(ScreenText(*term_).find("Press any key."), std::string::npos) << term_->Screen();
    Leave();
}

}  // namespace
}  // namespace e2e
