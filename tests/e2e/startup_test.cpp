// Start-up and ending: the home directory, the private directory and its
// links made on a first run, the refusals with their messages and exit
// statuses, and ctrl-c. (The settings a clean exit writes are checked in
// settings_test.cpp.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "session.h"

namespace e2e {
namespace {

const char kDefaultLog[] = "/var/log/squid/access.log";
const char kSecondLog[] = "/usr/local/squid/var/logs/access.log";
const char kCannotRead[] = "The squid log file cannot be read.";

bool Exists(const char* path) { return ::access(path, F_OK) == 0; }

using Startup = Session;

// The position of text in the output, npos when absent.
size_t Find(const Terminal& term, const std::string& text) { return term.Output().find(text); }

TEST_F(Startup, HomeUnsetRefusesToStart)
{
    Terminal term({FERNTRACK_BINARY}, {"TZ=UTC", "TERM=xterm"}, 24, 80);
    EXPECT_EQ(term.WaitExit(), 1);
    EXPECT_NE(Find(term, "ferntrack: can't get your home directory, exiting.\r\n"), std::string::npos)
        << term.Output();
    EXPECT_EQ(Find(term, "Making"), std::string::npos);
}

TEST_F(Startup, FirstRunMakesTheDirectoryAndLinks)
{
    term_ = StartFerntrack(home_);
    ASSERT_TRUE(term_->WaitUntil([&] { return Find(*term_, "\n") != std::string::npos; }));
    EXPECT_EQ(term_->Output().find("Making .ferntrack directory and links...\r\n"), 0u) << term_->Output();

    std::string target = !Exists(kDefaultLog) && Exists(kSecondLog) ? kSecondLog : kDefaultLog;
    bool readable = ::access(target.c_str(), R_OK) == 0;
    if (readable) {
        ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Output();
        ExitCleanly();
    } else {
        EXPECT_EQ(term_->WaitExit(), 1) << term_->Output();
    }

    struct stat st;
    ASSERT_EQ(::stat(home_.PrivateDir().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(home_.LinkTarget(".ferntrack/log1"), target);
    EXPECT_EQ(home_.LinkTarget(".ferntrack/log2"), "log1");
    EXPECT_EQ(home_.LinkTarget(".ferntrack/log3"), "log1");
    EXPECT_EQ(home_.LinkTarget(".ferntrack/HOWTO"), kHowtoTarget);
    EXPECT_FALSE(home_.Exists(kWordsFile));
    EXPECT_FALSE(home_.Exists(kUsersFile));
    EXPECT_FALSE(home_.Exists(kAliasesFile));
}

TEST_F(Startup, FirstRunWithoutAnyLogGivesAdviceThenRefuses)
{
    if (Exists(kDefaultLog) || Exists(kSecondLog))
        GTEST_SKIP() << "this machine has a proxy log at a default location";
    term_ = StartFerntrack(home_);
    EXPECT_EQ(term_->WaitExit(), 1);
    const std::string& out = term_->Output();
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
    EXPECT_EQ(home_.LinkTarget(".ferntrack/log1"), kDefaultLog);

    // The links stay, so the next run only tests them.
    auto again = StartFerntrack(home_);
    EXPECT_EQ(again->WaitExit(), 1);
    EXPECT_NE(again->Output().find(kCannotRead), std::string::npos) << again->Output();
    EXPECT_EQ(again->Output().find("Making"), std::string::npos);
}

TEST_F(Startup, UnreadableLog1RefusesAndChangesNothing)
{
    home_.Link("log1", home_.PathOf("gone.log"));
    home_.WriteFile(kConfFile, "iMonitorMode=0\n");

    term_ = StartFerntrack(home_);
    EXPECT_EQ(term_->WaitExit(), 1);
    EXPECT_EQ(term_->Output(), std::string(kCannotRead) + "\r\n");
    EXPECT_EQ(home_.LinkTarget(".ferntrack/log1"), home_.PathOf("gone.log"));
    EXPECT_FALSE(home_.Exists(".ferntrack/log2"));
    EXPECT_FALSE(home_.Exists(".ferntrack/HOWTO"));
    EXPECT_EQ(home_.ReadFile(kConfFile), "iMonitorMode=0\n");
}

TEST_F(Startup, HomeWithoutRoomForTheDirectoryRefuses)
{
    Env env = {"HOME=" + home_.PathOf("missing"), "TZ=UTC", "TERM=xterm"};
    term_ = StartFerntrack(env);
    EXPECT_EQ(term_->WaitExit(), 1);
    EXPECT_NE(term_->Output().find("~/.ferntrack/ setup errors. Exiting.\r\n"), std::string::npos)
        << term_->Output();
    EXPECT_FALSE(home_.Exists("missing"));
}

TEST_F(Startup, MissingSecondAndThirdLinksReadAsEmptyLogs)
{
    home_.WriteFile("access.log", SampleLog(5));
    home_.Link("log1", home_.PathOf("access.log"));

    term_ = StartFerntrack(home_);
    ASSERT_TRUE(term_->WaitForRow(23, "Mon Pri | h = help")) << term_->Screen();
    ASSERT_TRUE(term_->WaitForRow(4, "host4.example.com/p0004.html"));
    term_->Send("t");
    ASSERT_TRUE(term_->WaitForRow(23, "Mon Tri | h = help")) << term_->Screen();
    EXPECT_TRUE(term_->WaitUntil([&] { return term_->Row(0) == std::string(80, ' '); })) << term_->Screen();
    EXPECT_EQ(term_->Row(23).substr(0, 9), "  0.00%  ");
    ExitCleanly();
}

TEST_F(Startup, CtrlCInMonitorWaitEndsAtOnce)
{
    home_.MakePrivateDir(SampleLog(3));
    term_ = StartFerntrack(home_);
    ASSERT_TRUE(term_->WaitForRow(23, "Mon Pri | h = help")) << term_->Screen();
    term_->Send(key::CtrlC);
    EXPECT_EQ(term_->WaitExit(2.0), 2) << "an interrupt must not wait for the monitor timeout";
    EXPECT_FALSE(home_.Exists(kConfFile));
}

// Every signal that ends the program (SIGINT as ctrl-c on the keyboard):
// curses ended (the terminal leaves the full-screen mode), the status a
// shell shows for it, and nothing saved.
TEST_F(Startup, SignalsEndCursesAndSaveNothing)
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

// Ctrl-c typed at a prompt interrupts like anywhere else (the library's
// line reader took it for a byte of the answer); what is typed there is
// edited with the erase and kill keys and ends with Enter.
TEST_F(Startup, PromptsKeepCtrlCAnInterruptAndEditTheAnswer)
{
    const struct {
        const char* keys;
        const char* prompt;
    } prompts[] = {
        {"j", "Jump forward to day of month: "},
        {"g", "Goto percentage: "},
        {"ne", "Enter new email address: "},
        {"cw", "New width: "},
        {"T\r", "Switch to user: "},
    };
    const std::string conf = "iMonitorMode=0\n";
    for (const auto& p : prompts) {
        SCOPED_TRACE(p.prompt);
        TempHome home;
        home.MakePrivateDir(SampleLog(200));
        home.WriteFile(kConfFile, conf);
        auto term = StartFerntrack(home);
        ASSERT_TRUE(term->WaitForRow(23, "Pri | h = help")) << term->Screen();
        term->Send(p.keys);
        if (std::string(p.prompt) == "Switch to user: ") {
            // Keys typed during the gathering would be dropped with it.
            ASSERT_TRUE(term->WaitForRow(0, "User          Points")) << term->Screen();
            term->Send("O");
            ASSERT_TRUE(term->WaitFor("One user history"));
            term->Send("u");
        }
        ASSERT_TRUE(term->WaitFor(p.prompt)) << term->Screen();
        term->Send(key::CtrlC);
        EXPECT_EQ(term->WaitExit(2.0), 2) << term->Screen();
        EXPECT_EQ(home.ReadFile(kConfFile), conf);
    }
    // "9x", ctrl-a, erase three times, "77", kill, "50", Enter: goto 50%.
    home_.MakePrivateDir(SampleLog(200));
    home_.WriteFile(kConfFile, conf);
    term_ = StartFerntrack(home_);
    ASSERT_TRUE(term_->WaitForRow(23, "Pri | h = help")) << term_->Screen();
    term_->Send("g9x\x01");
    ASSERT_TRUE(term_->WaitForRow(23, "Goto percentage: 9x^A ")) << term_->Screen();
    term_->Send("\x7f\x7f\x7f" "77\x15" "50\r");
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Row(23).substr(0, 4) == " 50."; }))
        << term_->Screen();
    ExitCleanly();
}

// A settings file that must not be written: ctrl-x still ends cleanly with
// status 0, the file behind the link stays as it was, and one line on the
// terminal, after curses has ended, says the settings were not saved.
TEST_F(Startup, UnsavableSettingsAreReportedAfterCursesEnds)
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
TEST_F(Startup, FifosInsteadOfFilesDoNotBlock)
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
