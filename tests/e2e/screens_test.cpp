// The verbose view, the help screen and the howto, driven through the real
// program in a pseudo-terminal.
#include <gtest/gtest.h>

#include <string>

#include "fixture.h"

namespace e2e {
namespace {

const int kRows = 24;
const int kCols = 80;

// Row text without the blanks that pad it to the screen width.
std::string Trimmed(Terminal& t, int row)
{
    std::string text = t.Row(row);
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// First row whose text starts with the prefix, or -1.
int RowStarting(Terminal& t, const std::string& prefix)
{
    for (int r = 0; r < t.Rows(); ++r)
        if (t.Row(r).compare(0, prefix.size(), prefix) == 0)
            return r;
    return -1;
}

// A request of user jdoe for 1,234,567 bytes whose URL holds an escape
// sequence that would clear the screen if it reached the terminal raw.
const std::string kJdoeLine =
    "1286536308.123     45 192.168.1.9 TCP_MISS/200 1234567 GET "
    "http://files.example.com/a\x1b[2Jb.iso jdoe DIRECT/10.0.0.1 application/octet-stream";

TEST(VerboseView, ShowsTheLineItsSizeAndTheUsersFullName)
{
    TempHome home;
    home.MakePrivateDir(kJdoeLine + "\n" + SampleLine(1) + "\n");
    home.WriteFile(kUsersFile, "someone Some One\njdoe John Doe\n");
    auto t = StartFerntrack(home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    // Monitor mode, on by default, selects the last line: go to the first.
    t->Send(key::Home);
    t->Pump(0.3);
    t->Send("v");
    ASSERT_TRUE(t->WaitFor("Press q:")) << t->Screen();

    // The line starts in the top left corner, wraps at the right edge, and
    // its escape byte shows as '?' instead of acting on the terminal.
    std::string shown = t->Row(0) + Trimmed(*t, 1);
    std::string expected = kJdoeLine;
    expected[expected.find('\x1b')] = '?';
    EXPECT_EQ(shown, expected);

    EXPECT_EQ(Trimmed(*t, 2), "");
    EXPECT_EQ(Trimmed(*t, 3), "Request size = 1,234,567");
    EXPECT_EQ(Trimmed(*t, 4), "");
    EXPECT_EQ(Trimmed(*t, 5), "Looking for user...");
    EXPECT_EQ(Trimmed(*t, 6), "");
    EXPECT_EQ(Trimmed(*t, 7), "jdoe is John Doe");
    EXPECT_EQ(Trimmed(*t, 8), "");
    EXPECT_EQ(Trimmed(*t, 9), "Press q:");

    // Other keys leave the view where it is; 'q' goes back to browsing.
    t->Send("x");
    t->Send(key::Down);
    t->Pump(0.4);
    EXPECT_EQ(Trimmed(*t, 7), "jdoe is John Doe");
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    EXPECT_EQ(RowStarting(*t, "Press q:"), -1) << t->Screen();
    EXPECT_EQ(ExitCleanly(*t), 0);
}

TEST(VerboseView, UserWithoutFullNameAndRequestOfNoBytes)
{
    TempHome home;
    // The last line, selected in monitor mode, is of a user not in the
    // users file.
    home.MakePrivateDir(SampleLine(0) + "\n"
                        "1286536309.001 3 10.1.2.3 TCP_DENIED/403 0 GET http://x.org/ mallory NONE/- -\n");
    home.WriteFile(kUsersFile, "user00 First User\n");
    auto t = StartFerntrack(home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("v");
    ASSERT_TRUE(t->WaitFor("Press q:")) << t->Screen();
    EXPECT_EQ(RowStarting(*t, "1286536309.001"), 0) << t->Screen();
    EXPECT_EQ(Trimmed(*t, 1), "");
    EXPECT_EQ(Trimmed(*t, 2), "Request size = 0");
    EXPECT_EQ(Trimmed(*t, 3), "");
    EXPECT_EQ(Trimmed(*t, 4), "Looking for user...not found.");
    EXPECT_EQ(Trimmed(*t, 5), "");
    EXPECT_EQ(Trimmed(*t, 6), "Press q:");
    EXPECT_EQ(t->Screen().find("First User"), std::string::npos);
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
}

TEST(VerboseView, EmptyLogHasNoLine)
{
    TempHome home;
    home.MakePrivateDir("");
    auto t = StartFerntrack(home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("v");
    ASSERT_TRUE(t->WaitFor("Press q:")) << t->Screen();
    EXPECT_EQ(Trimmed(*t, 0), "Line not available.");
    EXPECT_EQ(Trimmed(*t, 1), "");
    EXPECT_EQ(Trimmed(*t, 2), "Press q:");
    EXPECT_EQ(t->Screen().find("Request size"), std::string::npos);
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
}

TEST(HelpScreen, NameVersionAndKeyList)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    auto t = StartFerntrack(home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("h");
    ASSERT_TRUE(t->WaitFor("Press q to quit this screen")) << t->Screen();
    EXPECT_EQ(Trimmed(*t, 0), "ferntrack 0.86");
    EXPECT_EQ(Trimmed(*t, 1), "");
    EXPECT_EQ(Trimmed(*t, 2), "Keystrokes:-");
    EXPECT_EQ(Trimmed(*t, 3), "");
    EXPECT_EQ(Trimmed(*t, 4), "Up/Down/PgUp/PgDn:   browse");
    EXPECT_EQ(Trimmed(*t, 5), "Home/End/g/j/J:      goto certain location in log");
    EXPECT_EQ(Trimmed(*t, 11), "p/s/t:               primary / secondary / tertiary log file");
    EXPECT_EQ(Trimmed(*t, 16), "T:                   all users' tally mode");
    EXPECT_EQ(Trimmed(*t, 17), "O:                   one user history mode");
    EXPECT_EQ(Trimmed(*t, 18), "r:                   read the ferntrack howto with less");
    EXPECT_EQ(Trimmed(*t, 19), "ctrl-x:              quit");
    EXPECT_EQ(Trimmed(*t, 20), "");
    EXPECT_EQ(Trimmed(*t, 21), "Press q to quit this screen, r to read the howto.");

    // Neither other keys nor ctrl-x leave the help screen.
    t->Send("x");
    t->Send(key::CtrlX);
    t->Send("v");
    t->Pump(0.5);
    EXPECT_TRUE(t->Running());
    EXPECT_EQ(Trimmed(*t, 0), "ferntrack 0.86");
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    EXPECT_EQ(t->Screen().find("Keystrokes"), std::string::npos) << t->Screen();
}

TEST(HelpScreen, LeavesNothingBehindOnANarrowScreen)
{
    // On 40 columns the key list wraps into the last column, which the
    // browse window never writes; it must not keep help text there.
    const int rows = 30;
    const int cols = 40;
    TempHome home;
    home.MakePrivateDir(SampleLog(40));
    auto t = StartFerntrack(home, rows, cols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("h");
    ASSERT_TRUE(t->WaitFor("Keystrokes:-")) << t->Screen();
    t->Send("q");
    ASSERT_TRUE(t->WaitUntil([&] { return t->Screen().find("Keystrokes") == std::string::npos; }))
        << t->Screen();
    t->Pump(0.3);
    for (int r = 0; r < rows; ++r)
        EXPECT_EQ(t->Row(r)[cols - 1], ' ') << "row " << r << "\n" << t->Screen();
}

TEST(HelpScreen, HowtoLineNamesTheConfiguredViewer)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    home.WriteFile(kConfFile, "sViewer=more\n");
    auto t = StartFerntrack(home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("h");
    ASSERT_TRUE(t->WaitFor("Press q to quit this screen")) << t->Screen();
    EXPECT_EQ(Trimmed(*t, 18), "r:                   read the ferntrack howto with more");
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
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

TEST(Howto, DanglingOrEmptyHowtoIsExplained)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    home.Link("HOWTO", home.PathOf("nowhere/HOWTO"));
    auto t = StartFerntrack(home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("r");
    ExpectMissingHowtoScreen(*t, home.PrivateDir() + "/HOWTO");
    t->Send("x");
    t->Pump(0.3);
    EXPECT_EQ(Trimmed(*t, 0), "I can't find the howto for this program.");
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();

    // An empty file counts as missing; reached from the help screen this time.
    home.WriteFile("HOWTO", "");
    home.Link("HOWTO", home.PathOf("HOWTO"));
    t->Send("h");
    ASSERT_TRUE(t->WaitFor("Press q to quit this screen")) << t->Screen();
    t->Send("r");
    ExpectMissingHowtoScreen(*t, home.PrivateDir() + "/HOWTO");
    t->Send("q");
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
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

TEST(Howto, ViewerGetsTheLinkPathAsOneArgument)
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

TEST(Howto, PagerShowsTheFileAndAFailingViewerIsReported)
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
        EXPECT_EQ(ExitCleanly(*t), 0);
    }
    h.SetViewer("false");
    auto t = StartFerntrack(h.home, kRows, kCols);
    ASSERT_TRUE(WaitForBrowse(*t)) << t->Screen();
    t->Send("r");
    ASSERT_TRUE(t->WaitForRow(kRows - 1, "Error running command: false '")) << t->Screen();
}

}  // namespace
}  // namespace e2e
