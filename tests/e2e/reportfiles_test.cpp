// The misc log options screen ('n') driven through the real program, with
// stand-ins for the pager and for pine first on PATH that record what they
// were given.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "harness.h"
#include "screenrows.h"

namespace e2e {
namespace {

const int kRows = 24;
const int kCols = 80;

// A normal-text report with hits of ann and bob.
const std::string kReport =
    "For Tue Oct  5 14:03 2010 to Tue Oct  5 18:40 2010\n\n"
    "                          Tue Oct  5 14:03 2010\n"
    "      1,234 ann      w H  host7/index.html\n"
    "     56,789 bob      w    host9:443\n"
    "\n  1,000,000 scanned bytes, 2 hits total 58,023 bytes\n"
    "\n    990,000 bytes not skipped domains\n    600,000 ann\n    390,000 bob\n";

class ReportFiles : public ::testing::Test {
protected:
    TempHome home;
    std::unique_ptr<Terminal> t;

    // A log whose only line is ann's, the report above as week.txt, and the
    // two stand-ins in HOME/bin.
    void SetUp() override
    {
        home.MakePrivateDir(
            "1286287408.123     12 192.168.1.7 TCP_MISS/200 1234 GET http://host7/index.html ann DIRECT/1.2.3.4 "
            "text/html\n");
        home.WriteFile(".ferntrack/week.txt", kReport);
        ::mkdir(home.PathOf("bin").c_str(), 0755);
        home.WriteFile("bin/view", "#!/bin/sh\nif [ $# -gt 0 ]; then cat \"$@\"; else cat; fi >> \"$HOME/viewed\"\n");
        home.WriteFile("bin/pine",
                       "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$HOME/pine.args\"\ncat > \"$HOME/pine.stdin\"\n");
        ::chmod(home.PathOf("bin/view").c_str(), 0755);
        ::chmod(home.PathOf("bin/pine").c_str(), 0755);
        home.WriteFile(".ferntrack/ferntrack.conf",
                       "iMonitorMode=0\nsCurrentReport=week.txt\nsViewer=view\n");
    }

    void Start()
    {
        Env env = home.Environment();
        env.push_back("PATH=" + home.PathOf("bin") + ":/usr/bin:/bin");
        t = StartFerntrack(env, kRows, kCols);
        ASSERT_TRUE(t->WaitForRow(kRows - 1, "h = help")) << t->Screen();
        t->Send("n");
        ASSERT_TRUE(t->WaitFor("Your choice:")) << t->Screen();
    }

    // Sends keys and waits for the menu to be drawn again.
    void Menu(const std::string& keys)
    {
        t->Send(keys);
        t->Pump(0.3);
        ASSERT_TRUE(t->WaitForRow(0, "Misc Log Options")) << t->Screen();
        ASSERT_TRUE(t->WaitFor("Your choice:")) << t->Screen();
    }

    void Leave()
    {
        t->Send("q");
        ASSERT_TRUE(t->WaitForRow(kRows - 1, "h = help")) << t->Screen();
        t->Send(key::CtrlX);
        EXPECT_EQ(t->WaitExit(), 0);
    }
};

TEST_F(ReportFiles, MenuNamesAndKeysChangeThem)
{
    Start();
    EXPECT_EQ(ScreenText(*t),
              "Misc Log Options\n\nCurrent report is: week.txt\nCurrent filtered report is:\nCurrent email is:\n\n"
              "Commands:\n\nc.  change current report\nC.  change filter report\nl.  list reports\n"
              "d.  delete the report\nv.  view current report with view\nV.  view filtered report\n"
              "f.  filter the report for just one user\ne.  change current email\n"
              "m.  mail current report to current email with Pine\ns.  show built in log filenames\n"
              "q.  quit this menu\n\nYour choice:\n");
    // Names typed with a bad byte are refused and the old one kept.
    t->Send("c");
    ASSERT_TRUE(t->WaitFor("Enter new current report:"));
    t->Send("week 1\r");
    ASSERT_TRUE(t->WaitFor("Problem: Illegal character: ' '. Press any key.")) << t->Screen();
    Menu("x");
    EXPECT_EQ(Trimmed(*t, 2), "Current report is: week.txt");
    t->Send("C");
    ASSERT_TRUE(t->WaitFor("Enter filtered report name:"));
    t->Send("a.b\r");
    ASSERT_TRUE(t->WaitFor("Problem: Illegal character: '.'. Press any key.")) << t->Screen();
    Menu("x");
    EXPECT_EQ(Trimmed(*t, 3), "Current filtered report is:");
    t->Send("C");
    Menu("ann_1\r");
    EXPECT_EQ(Trimmed(*t, 3), "Current filtered report is: ann_1.txt");
    // An address with a blank is refused; a good one is taken.
    t->Send("e");
    ASSERT_TRUE(t->WaitFor("Enter new email address:"));
    t->Send("a b@c\r");
    ASSERT_TRUE(t->WaitFor("Sorry, no illegal characters.")) << t->Screen();
    Menu("x");
    EXPECT_EQ(Trimmed(*t, 4), "Current email is:");
    t->Send("e");
    Menu("boss.1@example.org\r");
    EXPECT_EQ(Trimmed(*t, 4), "Current email is: boss.1@example.org");
    // The log links.
    t->Send("s");
    ASSERT_TRUE(t->WaitFor("Press any key.")) << t->Screen();
    std::string dir = home.PrivateDir();
    EXPECT_EQ(ScreenText(*t), "Log files:\n\nPri -> " + dir + "/log1\nSec -> " + dir + "/log2\nTri -> " + dir +
                                  "/log3\n\nTo adjust these do this:\n\ncd ~/.ferntrack\nrm log1\n"
                                  "ln -s /var/whatever/access.log log1\n\nPress any key.\n");
    Menu("x");
    Leave();
    std::string conf = home.ReadFile(".ferntrack/ferntrack.conf");
    EXPECT_NE(conf.find("sRepFilter=ann_1.txt\n"), std::string::npos);
    EXPECT_NE(conf.find("sCurrentEmail=boss.1@example.org\n"), std::string::npos);
}

TEST_F(ReportFiles, ListViewDeleteAndMail)
{
    home.AppendFile(".ferntrack/ferntrack.conf", "sCurrentEmail=boss@example.org\n");
    Start();
    Menu("l");
    std::string listing = home.ReadFile("viewed");
    EXPECT_EQ(listing.substr(0, 18), "Current reports:\n\n");
    EXPECT_NE(listing.find(" week.txt\n"), std::string::npos) << listing;
    home.WriteFile("viewed", "");
    Menu("v");
    EXPECT_EQ(home.ReadFile("viewed"), kReport);
    // No filtered report: nothing reaches the pager.
    t->Send("V");
    ASSERT_TRUE(t->WaitFor("Empty file :(")) << t->Screen();
    EXPECT_TRUE(t->WaitFor("Press any key."));
    Menu("x");
    EXPECT_EQ(home.ReadFile("viewed"), kReport);

    t->Send("m");
    ASSERT_TRUE(t->WaitFor("Press any key to begin")) << t->Screen();
    EXPECT_NE(ScreenText(*t).find("You are about to send the report using the\nemail program Pine. Press "
                                  "<ctrl>-x in Pine to\nsend it.\n\nPress any key to begin"),
              std::string::npos)
        << t->Screen();
    t->Send("x");
    t->Pump(0.5);
    t->Send("Hello boss\n\x04");
    ASSERT_TRUE(t->WaitForRow(0, "Misc Log Options")) << t->Screen();
    EXPECT_EQ(home.ReadFile("pine.args"), "-attach\n" + home.PrivateDir() + "/week.txt\nboss@example.org\n");
    EXPECT_EQ(home.ReadFile("pine.stdin"), "Hello boss\n");

    Menu("d");
    EXPECT_EQ(Trimmed(*t, 2), "Current report is:");
    EXPECT_FALSE(home.Exists(".ferntrack/week.txt"));
    t->Send("d");
    ASSERT_TRUE(t->WaitFor("No current report to delete.")) << t->Screen();
    Menu("x");
    t->Send("m");
    ASSERT_TRUE(t->WaitFor("Empty file :(")) << t->Screen();
    Menu("x");
    Leave();
}

TEST_F(ReportFiles, FilterForTheSelectedUserAndViewIt)
{
    home.WriteFile(".ferntrack/users", "ann Sales desk\n");
    Start();
    t->Send("f");
    ASSERT_TRUE(t->WaitFor("Enter new report name:")) << t->Screen();
    EXPECT_EQ(Trimmed(*t, 0), "Filter a report leaving one user.");
    t->Send("annonly\r");
    ASSERT_TRUE(t->WaitFor("Your choice:")) << t->Screen();
    EXPECT_EQ(ScreenText(*t), "Filter a report leaving one user.\n\nEnter new report name: annonly\n\n"
                              "Filter report for:-\n\n1.  focus user\n2.  current user ann\n"
                              "3.  specify a different user\n\nYour choice:\n");
    t->Send("2");
    ASSERT_TRUE(t->WaitFor("Report annonly.txt made: view (y/n)?")) << t->Screen();
    Menu("y");
    const std::string expected = "Web usage report on \"ann\" who is Sales desk\n\n"
                                 "For Tue Oct  5 14:03 2010 to Tue Oct  5 18:40 2010\n\n"
                                 "                          Tue Oct  5 14:03 2010\n"
                                 "      1,234 ann      w H  host7/index.html\n\n"
                                 "Total bytes including small requests: 600,000\n\n";
    EXPECT_EQ(home.ReadFile("viewed"), expected);
    EXPECT_EQ(home.ReadFile(".ferntrack/annonly.txt"), expected);
    EXPECT_EQ(Trimmed(*t, 3), "Current filtered report is: annonly.txt");

    // A typed user without lines: the empty report is said so.
    t->Send("f");
    ASSERT_TRUE(t->WaitFor("Enter new report name:"));
    t->Send("carol\r");
    ASSERT_TRUE(t->WaitFor("Your choice:"));
    t->Send("3");
    ASSERT_TRUE(t->WaitFor("Enter user name:"));
    t->Send("Carol\r");
    ASSERT_TRUE(t->WaitFor("Press any key.")) << t->Screen();
    EXPECT_NE(ScreenText(*t).find("Working...\n\nEmpty report carol.txt:\n\n\nPress any key."), std::string::npos)
        << t->Screen();
    Menu("x");
    EXPECT_EQ(Trimmed(*t, 3), "Current filtered report is: annonly.txt");
    // The source itself as destination is refused; focus off chooses no one.
    t->Send("f");
    ASSERT_TRUE(t->WaitFor("Enter new report name:"));
    t->Send("week\r");
    ASSERT_TRUE(t->WaitFor("Destination report must be different to source.")) << t->Screen();
    Menu("x");
    t->Send("f");
    ASSERT_TRUE(t->WaitFor("Enter new report name:"));
    t->Send("other\r");
    ASSERT_TRUE(t->WaitFor("Your choice:"));
    Menu("1");
    EXPECT_FALSE(home.Exists(".ferntrack/other.txt"));
    Leave();
}

}  // namespace
}  // namespace e2e
