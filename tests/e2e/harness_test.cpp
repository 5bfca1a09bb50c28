// Checks of the harness itself against a shell, and of the fixture's homes
// and log lines, so that a failing program test points at the program and
// not at the plumbing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "fixture.h"

namespace e2e {
namespace {

std::unique_ptr<Terminal> Shell(const std::string& script, const Env& env = {}, int rows = 6, int cols = 30)
{
    return std::make_unique<Terminal>(std::vector<std::string>{"/bin/sh", "-c", script}, env, rows, cols);
}

TEST(Harness, ScreenTextReverseVideoAndExitStatus)
{
    auto t = Shell("printf 'plain\\r\\n\\033[7mREV\\033[m after'; exit 3");
    EXPECT_EQ(t->WaitExit(), 3);
    EXPECT_EQ(t->Row(0).substr(0, 6), "plain ");
    EXPECT_EQ(t->Row(1).substr(0, 9), "REV after");
    EXPECT_EQ(t->Row(1).size(), 30u);
    EXPECT_TRUE(t->Reverse(1, 0));
    EXPECT_TRUE(t->Reverse(1, 2));
    EXPECT_FALSE(t->Reverse(1, 4));
    EXPECT_FALSE(t->Reverse(0, 0));
    EXPECT_NE(t->Output().find("plain"), std::string::npos);
}

TEST(Harness, CursorAddressingAndRepeat)
{
    // Curses positions text and repeats characters with these sequences.
    auto t = Shell("printf '\\033[3;5Hxy\\033[4bz'; sleep 5");
    ASSERT_TRUE(t->WaitForRow(2, "xyyyyyz", 5));
    EXPECT_EQ(t->Row(2).find("xyyyyyz"), 4u);
}

TEST(Harness, KeysArriveAsKeypadSequences)
{
    auto t = Shell("stty raw -echo; dd bs=1 count=7 status=none | od -An -tx1; exit 0");
    t->Pump(0.3);
    t->Send(key::Up + key::PageDown);
    EXPECT_EQ(t->WaitExit(), 0);
    EXPECT_NE(t->Output().find("1b 4f 41 1b 5b 36 7e"), std::string::npos) << t->Output();
}

TEST(Harness, SignalEndsTheProgram)
{
    auto t = Shell("sleep 20");
    t->Pump(0.2);
    EXPECT_TRUE(t->Running());
    t->Kill(SIGTERM);
    EXPECT_EQ(t->WaitExit(), 128 + SIGTERM);
    EXPECT_FALSE(t->Running());
}

TEST(Harness, ControlCInterruptsTheForegroundProgram)
{
    auto t = Shell("sleep 20");
    t->Pump(0.3);
    t->Send(key::CtrlC);
    EXPECT_EQ(t->WaitExit(), 128 + SIGINT);
}

TEST(Harness, EnvironmentIsExactlyWhatWasGiven)
{
    auto t = Shell("echo \"[${HOME-unset}][$TZ][$TERM]\"; exit 0", {"TZ=UTC", "TERM=xterm"});
    EXPECT_EQ(t->WaitExit(), 0);
    EXPECT_NE(t->Output().find("[unset][UTC][xterm]"), std::string::npos) << t->Output();
}

TEST(Harness, ResizeReachesTheProgram)
{
    auto t = Shell("trap 'stty size; exit 0' WINCH; while :; do sleep 0.1; done", {}, 6, 30);
    t->Pump(0.3);
    t->Resize(9, 41);
    EXPECT_EQ(t->WaitExit(), 0);
    EXPECT_NE(t->Output().find("9 41"), std::string::npos) << t->Output();
    EXPECT_EQ(t->Row(8).size(), 41u);
}

TEST(Fixture, TempHomeMakesTheLinksAndGoesAway)
{
    std::string root;
    {
        TempHome home("fern's home");
        root = home.Path().substr(0, home.Path().rfind('/'));
        EXPECT_EQ(home.Path(), root + "/fern's home");
        std::string log = home.MakePrivateDir(SampleLog(2));
        EXPECT_EQ(home.LinkTarget(".ferntrack/log1"), log);
        EXPECT_EQ(home.LinkTarget(".ferntrack/log2"), "log1");
        EXPECT_EQ(home.ReadFile(".ferntrack/log3"), SampleLog(2));
        EXPECT_EQ(home.LinkTarget(".ferntrack/HOWTO"), kHowtoTarget);
        home.Link("log3", "elsewhere");
        EXPECT_EQ(home.LinkTarget(".ferntrack/log3"), "elsewhere");
        home.AppendFile("access.log", "x\n");
        EXPECT_EQ(home.ReadFile("access.log"), SampleLog(2) + "x\n");
        EXPECT_EQ(home.Environment().at(0), "HOME=" + home.Path());
        // A folder a test made read-only goes too.
        ASSERT_EQ(::chmod(home.PrivateDir().c_str(), 0500), 0);
    }
    EXPECT_NE(::access(root.c_str(), F_OK), 0);
}

TEST(Fixture, LogLinesHaveTheNativeLayout)
{
    const std::pair<std::string, std::string> cases[] = {
        {SampleLine(7),
         "1286536315.123     45 192.168.1.8 TCP_MISS/200 1007 GET "
         "http://host7.example.com/p0007.html user07 DIRECT/10.0.0.1 text/html"},
        {LogLine(3, "ann", "http://a.example.com/", "TCP_HIT/200", 42, "10.0.0.5"),
         "1286536311.123     45 10.0.0.5 TCP_HIT/200 42 GET http://a.example.com/ ann DIRECT/10.0.0.1 text/html\n"},
        {LogLine(251, "-", "http://b/"),
         "1286536559.123     45 192.168.1.2 TCP_MISS/200 1000 GET http://b/ - DIRECT/10.0.0.1 text/html\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.first, c.second);
    EXPECT_EQ(OffsetOf(3), static_cast<long long>((SampleLine(0) + SampleLine(1) + SampleLine(2)).size() + 3));
}

}  // namespace
}  // namespace e2e
