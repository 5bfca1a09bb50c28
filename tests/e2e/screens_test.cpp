// The verbose view, the help screen and the howto, driven through the real
// program in a pseudo-terminal.
#include <gtest/gtest.h>

#include <string>

#include "screenrows.h"
#include "session.h"

namespace e2e {
namespace {

const int kRows = 24;
const int kCols = 80;

// First row whose text starts with the prefix, or -1.
int RowStarting(Terminal& t, const std::string& prefix)
{
    for (int r = 0; r < t.Rows(); ++r)
        if (t.Row(r).compare(0, prefix.size(), prefix) == 0)
            return r;
    return -1;
}

using VerboseView = Session;
using HelpScreen = Session;
using Howto = Session;

// A request of user jdoe for 1,234,567 bytes whose URL holds an escape
// sequence that would clear the screen if it reached the terminal raw.
const std::string kJdoeLine =
    "1286536308.123     45 192.168.1.9 TCP_MISS/200 1234567 GET "
    "http://files.example.com/a\x1b[2Jb.iso jdoe DIRECT/10.0.0.1 application/octet-stream";

TEST_F(VerboseView, ShowsTheLineItsSizeAndTheUsersFullName)
{
    home_.MakePrivateDir(kJdoeLine + "\n" + SampleLine(1) + "\n");
    home_.WriteFile(kUsersFile, "someone Some One\njdoe John Doe\n");
    Launch(kRows, kCols);
    // Monitor mode, on by default, selects the last line: go to the first.
    term_->Send(key::Home);
    term_->Pump(0.3);
    term_->Send("v");
    ASSERT_TRUE(term_->WaitFor("Press q:")) << term_->Screen();

    // The line starts in the top left corner, wraps at the right edge, and
    // its escape byte shows as '?' instead of acting on the terminal.
    std::string shown = term_->Row(0) + Trimmed(*term_, 1);
    std::string expected = kJdoeLine;
    expected[expected.find('\x1b')] = '?';
    EXPECT_EQ(shown, expected);

    EXPECT_EQ(Trimmed(*term_, 2), "");
    EXPECT_EQ(Trimmed(*term_, 3), "Request size = 1,234,567");
    EXPECT_EQ(Trimmed(*term_, 4), "");
    EXPECT_EQ(Trimmed(*term_, 5), "Looking for user...");
    EXPECT_EQ(Trimmed(*term_, 6), "");
    EXPECT_EQ(Trimmed(*term_, 7), "jdoe is John Doe");
    EXPECT_EQ(Trimmed(*term_, 8), "");
    EXPECT_EQ(Trimmed(*term_, 9), "Press q:");

    // Other keys leave the view where it is; 'q' goes back to browsing.
    term_->Send("x");
    term_->Send(key::Down);
    term_->Pump(0.4);
    EXPECT_EQ(Trimmed(*term_, 7), "jdoe is John Doe");
    term_->Send("q");
    ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();
    EXPECT_EQ(RowStarting(*term_, "Press q:"), -1) << term_->Screen();
    ExitCleanly();
}

TEST_F(VerboseView, UserWithoutFullNameAndRequestOfNoBytes)
{
    // The last line, selected in monitor mode, is of a user not in the
    // users file.
    home_.MakePrivateDir(SampleLine(0) + "\n"
                        "1286536309.001 3 10.1.2.3 TCP_DENIED/403 0 GET http://x.org/ mallory NONE/- -\n");
    home_.WriteFile(kUsersFile, "user00 First User\n");
    Launch(kRows, kCols);
    term_->Send("v");
    ASSERT_TRUE(term_->WaitFor("Press q:")) << term_->Screen();
    EXPECT_EQ(RowStarting(*term_, "1286536309.001"), 0) << term_->Screen();
    EXPECT_EQ(Trimmed(*term_, 1), "");
    EXPECT_EQ(Trimmed(*term_, 2), "Request size = 0");
    EXPECT_EQ(Trimmed(*term_, 3), "");
    EXPECT_EQ(Trimmed(*term_, 4), "Looking for user...not found.");
    EXPECT_EQ(Trimmed(*term_, 5), "");
    EXPECT_EQ(Trimmed(*term_, 6), "Press q:");
    EXPECT_EQ(term_->Screen().find("First User"), std::string::npos);
    term_->Send("q");
    ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();
}

TEST_F(VerboseView, EmptyLogHasNoLine)
{
    Start("", "", kRows, kCols);
    term_->Send("v");
    ASSERT_TRUE(term_->WaitFor("Press q:")) << term_->Screen();
    EXPECT_EQ(Trimmed(*term_, 0), "Line not available.");
    EXPECT_EQ(Trimmed(*term_, 1), "");
    EXPECT_EQ(Trimmed(*term_, 2), "Press q:");
    EXPECT_EQ(term_->Screen().find("Request size"), std::string::npos);
    term_->Send("q");
    ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();
}

TEST_F(HelpScreen, NameVersionAndKeyList)
{
    Start(SampleLog(3), "", kRows, kCols);
    term_->Send("h");
    ASSERT_TRUE(term_->WaitFor("Press q to quit this screen")) << term_->Screen();
    EXPECT_EQ(Trimmed(*term_, 0), "ferntrack 0.86");
    EXPECT_EQ(Trimmed(*term_, 1), "");
    // The key list itself is compared whole in tests/frame/helptext_test.cpp.
    EXPECT_EQ(Trimmed(*term_, 2), "Keystrokes:-");
    EXPECT_EQ(Trimmed(*term_, 18), "r:                   read the ferntrack howto with less");
    EXPECT_EQ(Trimmed(*term_, 19), "ctrl-x:              quit");
    EXPECT_EQ(Trimmed(*term_, 20), "");
    EXPECT_EQ(Trimmed(*term_, 21), "Press q to quit this screen, r to read the howto.");

    // Neither other keys nor ctrl-x leave the help screen.
    term_->Send("x");
    term_->Send(key::CtrlX);
    term_->Send("v");
    term_->Pump(0.5);
    EXPECT_TRUE(term_->Running());
    EXPECT_EQ(Trimmed(*term_, 0), "ferntrack 0.86");
    term_->Send("q");
    ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();
    EXPECT_EQ(term_->Screen().find("Keystrokes"), std::string::npos) << term_->Screen();
}

TEST_F(HelpScreen, LeavesNothingBehindOnANarrowScreen)
{
    // On 40 columns the key list wraps into the last column, which the
    // browse window never writes; it must not keep help text there.
    const int rows = 30;
    const int cols = 40;
    Start(SampleLog(40), "", rows, cols);
    term_->Send("h");
    ASSERT_TRUE(term_->WaitFor("Keystrokes:-")) << term_->Screen();
    term_->Send("q");
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Screen().find("Keystrokes") == std::string::npos; }))
        << term_->Screen();
    term_->Pump(0.3);
    for (int r = 0; r < rows; ++r)
        EXPECT_EQ(term_->Row(r)[cols - 1], ' ') << "row " << r << "\n" << term_->Screen();
}

void ExpectMissingHowtoScreen(Terminal& t, const std::string& linkPath)
{
    ASSERT_TRUE(t.WaitFor("Press q:")) << t.Screen();
    EXPECT_EQ(Trimmed(t, 0), "I can't find the howto for this program.");
    EXPECT_EQ(Trimmed(t, 2), "There should be this link:");
    EXPECT_EQ(Trimmed(t, 4), linkPath);
    EXPECT_EQ(Trimmed(t, 6), "pointing to:");
    EXPECT_EQ(Trimmed(t, 8), kHowtoTarget);
    EXPECT_EQ(Trimmed(t, 10), "You can set the correct link manually.");
    EXPECT_EQ(Trimmed(t, 11), "Press q:");
}

TEST_F(Howto, DanglingOrEmptyHowtoIsExplained)
{
    home_.MakePrivateDir(SampleLog(3));
    home_.Link("HOWTO", home_.PathOf("nowhere/HOWTO"));
    Launch(kRows, kCols);
    term_->Send("r");
    ExpectMissingHowtoScreen(*term_, home_.PrivateDir() + "/HOWTO");
    term_->Send("x");
    term_->Pump(0.3);
    EXPECT_EQ(Trimmed(*term_, 0), "I can't find the howto for this program.");
    term_->Send("q");
    ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();

    // An empty file counts as missing; reached from the help screen this time.
    home_.WriteFile("HOWTO", "");
    home_.Link("HOWTO", home_.PathOf("HOWTO"));
    term_->Send("h");
    ASSERT_TRUE(term_->WaitFor("Press q to quit this screen")) << term_->Screen();
    term_->Send("r");
    ExpectMissingHowtoScreen(*term_, home_.PrivateDir() + "/HOWTO");
    term_->Send("q");
    ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Screen();
}

// A home directory whose path holds a blank and a quote, with a private
// directory whose HOWTO link leads to a real file and a viewer configured.
struct AwkwardHome {
    TempHome home{"fern's home"};

    AwkwardHome()
    {
        home.MakePrivateDir(SampleLog(3));
        home.WriteFile("howto.txt", "HOWTO-MARKER first line\nsecond line\n");
        home.Link("HOWTO", home.PathOf("howto.txt"));
    }

    void SetViewer(const std::string& viewer) { home.WriteFile(kConfFile, "sViewer=" + viewer + "\n"); }
};

TEST_F(Howto, ViewerGetsTheLinkPathAsOneArgument)
{
    AwkwardHome h;
    // The viewer setting is a command line with an argument of its own; the
    // script, in a folder of its own, records what it was given.
    TempHome tools;
    tools.WriteFile("viewer.sh",
                    "printf '%s\\n' \"$#\" \"$1\" \"$2\" > \"$(dirname \"$0\")/seen\"\n"
                    "cat \"$2\" >> \"$(dirname \"$0\")/seen\"\n");
    h.SetViewer("/bin/sh " + tools.PathOf("viewer.sh") + " --flag");
    auto t = StartFerntrack(h.home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("r");
    ASSERT_TRUE(t->WaitUntil([&] { return tools.Exists("seen"); })) << t->Screen();
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    EXPECT_EQ(tools.ReadFile("seen"),
              "2\n--flag\n" + h.home.PrivateDir() + "/HOWTO\nHOWTO-MARKER first line\nsecond line\n");
    // The command succeeded, so the status line carries no error.
    EXPECT_EQ(t->Screen().find("Error running command"), std::string::npos) << t->Screen();
}

TEST_F(Howto, PagerShowsTheFileAndAFailingViewerIsReported)
{
    AwkwardHome h;
    h.SetViewer("cat");
    {
        auto t = StartFerntrack(h.home, kRows, kCols);
        ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
        t->Send("r");
        // The browse window comes back at once and paints over what cat
        // wrote, so look for it in the output stream.
        ASSERT_TRUE(t->WaitUntil([&] {
            return t->Output().find("HOWTO-MARKER first line") != std::string::npos;
        })) << t->Output();
        ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
        // The help screen names the configured viewer.
        t->Send("h");
        ASSERT_TRUE(t->WaitFor("Press q to quit this screen")) << t->Screen();
        EXPECT_EQ(Trimmed(*t, 18), "r:                   read the ferntrack howto with cat");
        t->Send("q");
        ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
        EXPECT_EQ(e2e::ExitCleanly(*t), 0);
    }
    h.SetViewer("false");
    auto t = StartFerntrack(h.home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("r");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, "Error running command: false '")) << t->Screen();
}

}  // namespace
}  // namespace e2e
