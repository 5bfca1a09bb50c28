// Start-up and ending: the home directory, the private directory and its
// links made on a first run, the refusals with their messages and exit
// statuses, and the two ways out of the main loop.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "harness.h"

namespace e2e {
namespace {

const char kDefaultLog[] = "/var/log/squid/access.log";
const char kSecondLog[] = "/usr/local/squid/var/logs/access.log";
const char kCannotRead[] = "The squid log file cannot be read.";
const char kConfigHeader[] = "# this complete file is reset on every clean exit\n";

bool Exists(const char* path) { return ::access(path, F_OK) == 0; }

// The position of text in the output, npos when absent.
size_t Find(const Terminal& term, const std::string& text) { return term.Output().find(text); }

TEST(Startup, HomeUnsetRefusesToStart)
{
    Terminal term({FERNTRACK_BINARY}, {"TZ=UTC", "TERM=xterm"}, 24, 80);
    EXPECT_EQ(term.WaitExit(), 1);
    EXPECT_NE(Find(term, "ferntrack: can't get your home directory, exiting.\r\n"), std::string::npos)
        << term.Output();
    EXPECT_EQ(Find(term, "Making"), std::string::npos);
}

TEST(Startup, FirstRunMakesTheDirectoryAndLinks)
{
    TempHome home;
    auto term = StartFerntrack(home);
    ASSERT_TRUE(term->WaitUntil([&] { return Find(*term, "\n") != std::string::npos; }));
    EXPECT_EQ(term->Output().find("Making .ferntrack directory and links...\r\n"), 0u) << term->Output();

    std::string target = !Exists(kDefaultLog) && Exists(kSecondLog) ? kSecondLog : kDefaultLog;
    bool readable = ::access(target.c_str(), R_OK) == 0;
    if (readable) {
        ASSERT_TRUE(term->WaitFor(" | h = help")) << term->Output();
        term->Send(key::CtrlX);
        EXPECT_EQ(term->WaitExit(), 0);
    } else {
        EXPECT_EQ(term->WaitExit(), 1) << term->Output();
    }

    struct stat st;
    ASSERT_EQ(::stat(home.PrivateDir().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(home.LinkTarget(".ferntrack/log1"), target);
    EXPECT_EQ(home.LinkTarget(".ferntrack/log2"), "log1");
    EXPECT_EQ(home.LinkTarget(".ferntrack/log3"), "log1");
    EXPECT_EQ(home.LinkTarget(".ferntrack/HOWTO"), "/usr/local/share/ferntrack/HOWTO");
    EXPECT_FALSE(home.Exists(".ferntrack/words"));
    EXPECT_FALSE(home.Exists(".ferntrack/users"));
    EXPECT_FALSE(home.Exists(".ferntrack/aliases"));
}

TEST(Startup, FirstRunWithoutAnyLogGivesAdviceThenRefuses)
{
    if (Exists(kDefaultLog) || Exists(kSecondLog))
        GTEST_SKIP() << "this machine has a proxy log at a default location";
    TempHome home;
    auto term = StartFerntrack(home);
    EXPECT_EQ(term->WaitExit(), 1);
    const std::string& out = term->Output();
    const char* lines[] = {
        "Making .ferntrack directory and links...\r\n",
        "The squid log file cannot be accessed at pre-programmed locations.\r\n",
        "The error was: No such file or directory\r\n",
        "You may need to manually adjust the symlinks in ~/.ferntrack/\r\n",
        "You may need to give user permissions to log files, or add to a group (logout.)\r\n",
        "Or, after admin adjustments delete ~/.ferntrack/ and re-run ferntrack.\r\n",
    };
    size_t at = 0;
    for (const char* line : lines) {
        size_t found = out.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << out;
        at = found + 1;
    }
    EXPECT_EQ(home.LinkTarget(".ferntrack/log1"), kDefaultLog);

    // The links stay, so the next run only tests them.
    auto again = StartFerntrack(home);
    EXPECT_EQ(again->WaitExit(), 1);
    EXPECT_NE(again->Output().find(kCannotRead), std::string::npos) << again->Output();
    EXPECT_EQ(again->Output().find("Making"), std::string::npos);
}

TEST(Startup, UnreadableLog1RefusesAndChangesNothing)
{
    TempHome home;
    ASSERT_EQ(::mkdir(home.PrivateDir().c_str(), 0755), 0);
    ASSERT_EQ(::symlink(home.PathOf("gone.log").c_str(), home.PathOf(".ferntrack/log1").c_str()), 0);
    home.WriteFile(".ferntrack/ferntrack.conf", "iMonitorMode=0\n");

    auto term = StartFerntrack(home);
    EXPECT_EQ(term->WaitExit(), 1);
    EXPECT_EQ(term->Output(), std::string(kCannotRead) + "\r\n");
    EXPECT_EQ(home.LinkTarget(".ferntrack/log1"), home.PathOf("gone.log"));
    EXPECT_FALSE(home.Exists(".ferntrack/log2"));
    EXPECT_FALSE(home.Exists(".ferntrack/HOWTO"));
    EXPECT_EQ(home.ReadFile(".ferntrack/ferntrack.conf"), "iMonitorMode=0\n");
}

TEST(Startup, HomeWithoutRoomForTheDirectoryRefuses)
{
    TempHome home;
    Env env = {"HOME=" + home.PathOf("missing"), "TZ=UTC", "TERM=xterm"};
    auto term = StartFerntrack(env);
    EXPECT_EQ(term->WaitExit(), 1);
    EXPECT_NE(term->Output().find("~/.ferntrack/ setup errors. Exiting.\r\n"), std::string::npos)
        << term->Output();
    EXPECT_FALSE(home.Exists("missing"));
}

TEST(Startup, MissingSecondAndThirdLinksReadAsEmptyLogs)
{
    TempHome home;
    home.WriteFile("access.log", SampleLog(5));
    ASSERT_EQ(::mkdir(home.PrivateDir().c_str(), 0755), 0);
    ASSERT_EQ(::symlink(home.PathOf("access.log").c_str(), home.PathOf(".ferntrack/log1").c_str()), 0);

    auto term = StartFerntrack(home);
    ASSERT_TRUE(term->WaitForRow(23, "Mon Pri | h = help")) << term->Screen();
    ASSERT_TRUE(term->WaitForRow(4, "host4.example.com/p0004.html"));
    term->Send("t");
    ASSERT_TRUE(term->WaitForRow(23, "Mon Tri | h = help")) << term->Screen();
    EXPECT_TRUE(term->WaitUntil([&] { return term->Row(0) == std::string(80, ' '); })) << term->Screen();
    EXPECT_EQ(term->Row(23).substr(0, 9), "  0.00%  ");
    term->Send(key::CtrlX);
    EXPECT_EQ(term->WaitExit(), 0);
}

TEST(Startup, CtrlXEndsCleanlyAndRewritesTheSettings)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(40));
    home.WriteFile(".ferntrack/ferntrack.conf", "# mine\r\nunknownKey=1\r\niUserNameLen=6\r\n");

    auto term = StartFerntrack(home);
    ASSERT_TRUE(term->WaitForRow(22, "user39 ")) << term->Screen();
    EXPECT_EQ(term->Row(22).find("host39"), 12u) << "a user column of 6";
    term->Send("m");
    ASSERT_TRUE(term->WaitUntil([&] { return term->Row(23).find("Mon") == std::string::npos; }));
    term->Send(key::CtrlX);
    EXPECT_EQ(term->WaitExit(), 0);

    std::string conf = home.ReadFile(".ferntrack/ferntrack.conf");
    EXPECT_EQ(conf.rfind(kConfigHeader, 0), 0u) << conf;
    EXPECT_NE(conf.find("\niMonitorMode=0\n"), std::string::npos) << conf;
    EXPECT_NE(conf.find("\niUserNameLen=6\n"), std::string::npos) << conf;
    EXPECT_EQ(conf.find("unknownKey"), std::string::npos) << conf;
    EXPECT_EQ(conf.find("# mine"), std::string::npos) << conf;

    // Monitor mode was saved off, so the next run starts at the first line.
    auto again = StartFerntrack(home);
    ASSERT_TRUE(again->WaitForRow(23, " Pri | h = help")) << again->Screen();
    EXPECT_TRUE(again->WaitUntil([&] { return again->Reverse(0, 0) && !again->Reverse(22, 0); }))
        << again->Screen();
    EXPECT_EQ(again->Row(23).substr(0, 8), "  0.00% ");
    again->Send(key::CtrlX);
    EXPECT_EQ(again->WaitExit(), 0);
}

TEST(Startup, CtrlCInMonitorWaitEndsAtOnce)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    auto term = StartFerntrack(home);
    ASSERT_TRUE(term->WaitForRow(23, "Mon Pri | h = help")) << term->Screen();
    term->Send(key::CtrlC);
    EXPECT_EQ(term->WaitExit(2.0), 2) << "an interrupt must not wait for the monitor timeout";
    EXPECT_FALSE(home.Exists(".ferntrack/ferntrack.conf"));
}

// Every signal that ends the program (SIGINT as ctrl-c on the keyboard):
// curses ended (the terminal leaves the full-screen mode), the status a
// shell shows for it, and nothing saved.
TEST(Startup, SignalsEndCursesAndSaveNothing)
{
    const std::pair<int, int> signals[] = {
        {SIGINT, 2}, {SIGTERM, 128 + SIGTERM}, {SIGHUP, 128 + SIGHUP},
        {SIGQUIT, 128 + SIGQUIT}, {SIGPIPE, 128 + SIGPIPE},
    };
    for (const auto& [signo, status] : signals) {
        SCOPED_TRACE(signo);
        TempHome home;
        home.MakePrivateDir(SampleLog(40));
        const std::string conf = "iMonitorMode=1\n# kept as it is\n";
        home.WriteFile(".ferntrack/ferntrack.conf", conf);
        auto term = StartFerntrack(home);
        ASSERT_TRUE(term->WaitForRow(23, "Mon Pri | h = help")) << term->Screen();
        term->Send("m");
        ASSERT_TRUE(term->WaitUntil([&] { return term->Row(23).find("Mon") == std::string::npos; }));
        if (signo == SIGINT)
            term->Send(key::CtrlC);
        else
            term->Kill(signo);
        EXPECT_EQ(term->WaitExit(), status);
        // xterm's sequence for leaving the alternate screen, which endwin sends.
        const std::string& out = term->Output();
        EXPECT_NE(out.find("\x1b[?1049l", out.rfind("\x1b[?1049h")), std::string::npos)
            << "curses was not ended";
        EXPECT_EQ(home.ReadFile(".ferntrack/ferntrack.conf"), conf);
    }
}

// A settings file that must not be written: ctrl-x still ends cleanly with
// status 0, the file behind the link stays as it was, and one line on the
// terminal, after curses has ended, says the settings were not saved.
TEST(Startup, UnsavableSettingsAreReportedAfterCursesEnds)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/dev/null", "not a regular file"},
        {"../access.log", "it is a log"},
    };
    for (const auto& [target, why] : cases) {
        SCOPED_TRACE(target);
        TempHome home;
        const std::string log = SampleLog(40);
        home.MakePrivateDir(log);
        ASSERT_EQ(::symlink(target, home.PathOf(".ferntrack/ferntrack.conf").c_str()), 0);
        auto term = StartFerntrack(home);
        ASSERT_TRUE(term->WaitForRow(23, "Mon Pri | h = help")) << term->Screen();
        term->Send(key::CtrlX);
        EXPECT_EQ(term->WaitExit(), 0);
        const std::string& out = term->Output();
        std::string line = "ferntrack: settings not saved to " +
                           home.PathOf(".ferntrack/ferntrack.conf") + ": " + why + "\r\n";
        size_t said = out.find(line);
        ASSERT_NE(said, std::string::npos) << out;
        EXPECT_GT(said, out.rfind("\x1b[?1049l")) << "said before curses ended";
        EXPECT_EQ(home.ReadFile("access.log"), log);
        EXPECT_EQ(home.LinkTarget(".ferntrack/ferntrack.conf"), target);
    }
    struct stat st;
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

// FIFOs behind every name the program reads: it must not block in an open.
// The log reads as a log that cannot be opened, the other files as absent.
TEST(Startup, FifosInsteadOfFilesDoNotBlock)
{
    TempHome home;
    home.MakePrivateDir(SampleLog(3));
    for (const char* name : {"words", "aliases", "users", "fifo"})
        ASSERT_EQ(::mkfifo(home.PathOf(std::string(".ferntrack/") + name).c_str(), 0644), 0);
    ::unlink(home.PathOf(".ferntrack/log2").c_str());
    ASSERT_EQ(::symlink("fifo", home.PathOf(".ferntrack/log2").c_str()), 0);
    home.WriteFile(".ferntrack/ferntrack.conf", "iCurrentLog=2\nbAliases=yes\n");
    auto term = StartFerntrack(home);
    ASSERT_TRUE(term->WaitForRow(23, "Mon Sec | h = help")) << term->Screen();
    EXPECT_EQ(term->Row(0), std::string(80, ' '));
    EXPECT_EQ(term->Row(23).substr(0, 9), "  0.00%  ");
    term->Send("p");
    ASSERT_TRUE(term->WaitForRow(23, "Mon Pri | h = help")) << term->Screen();
    term->Send("v");
    ASSERT_TRUE(term->WaitFor("not found.")) << term->Screen();
    term->Send("q");
    term->Send(key::CtrlX);
    EXPECT_EQ(term->WaitExit(), 0);
}

}  // namespace
}  // namespace e2e
