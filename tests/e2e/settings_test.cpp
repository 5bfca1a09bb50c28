// Settings as a user meets them: the configuration file rewritten whole at a
// clean exit, configured values shaping the first screen, aliases naming the
// clients of requests without a user, and the endings that are not ctrl-x or
// ctrl-c: a memory fault and a terminal that goes away.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "session.h"

namespace e2e {
namespace {

// Names of the entries of a directory that begin with prefix.
std::vector<std::string> EntriesStartingWith(const std::string& dir, const std::string& prefix)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return names;
    while (struct dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.compare(0, prefix.size(), prefix) == 0)
            names.push_back(name);
    }
    ::closedir(d);
    return names;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class Settings : public Session {
protected:
    bool WaitRows(const std::vector<std::string>& rows)
    {
        return term_->WaitUntil([&] {
            for (size_t i = 0; i < rows.size(); ++i)
                if (term_->Row(static_cast<int>(i)).substr(0, 79) != rows[i])
                    return false;
            return true;
        });
    }
};

// ---- The configuration file ----

TEST_F(Settings, CleanExitWritesEveryKeyInOrderWithTheSessionsChanges)
{
    // CR LF line ends, a comment, an unknown key, values of each type, a
    // bool written in the wrong case, and a last line without a line end.
    Start(LogLine(0, "annabel", "http://a.example.com/"),
          "# set up by hand\r\n"
          "sRepTitle=a=b\r\n"
          "noSuchKey=7\r\n"
          "iUserNameLen=3\r\n"
          "iTallyFade=0.5\r\n"
          "bAliases=Yes\r\n"
          "sViewer=more\r\n"
          "iRepColumns=100");
    ASSERT_EQ(::chmod(home_.PathOf(kConfFile).c_str(), 0640), 0);
    ToggleMonitor();
    ExitCleanly();

    const std::string expected =
        "# this complete file is reset on every clean exit\n"
        "sRepFileName=temp.txt\n"
        "sRepFilter=\n"
        "sRepTitle=a=b\n"
        "bRepKeepExt=yes\n"
        "iRepColumns=80\n"
        "bRepSplit=no\n"
        "bRepShowSize=no\n"
        "bRepCacheReport=yes\n"
        "sRepSeperator=|\n"
        "iRepCSVcols=100\n"
        "iRepWordHits=1\n"
        "iRepBUT=1\n"
        "iRepBDT=1\n"
        "iRepBDI=0\n"
        "iRepFocus=0\n"
        "sRepFocus=\n"
        "sRepBDTuser=\n"
        "sViewer=more\n"
        "sCurrentReport=\n"
        "sCurrentEmail=\n"
        "iSizeHitGrade=0\n"
        "iSizeHitBytes=0\n"
        "sSizeHits=50000 250000 1000000 10000000\n"
        "iCurrentLog=1\n"
        "iMonitorMode=0\n"
        "bLookupIP=yes\n"
        "bAliases=no\n"
        "iUserNameLen=3\n"
        "iRepFast=10000\n"
        "bRepMySort=yes\n"
        "iTallyHP=3600\n"
        "iTallyFade=0.500000\n"
        "iTallyEntry=1.000000\n"
        "iTallyMonitor=yes\n"
        "iTallyDenies=yes\n";
    EXPECT_EQ(home_.ReadFile(kConfFile), expected);
    EXPECT_EQ(ModeOf(home_.PathOf(kConfFile)), 0640u) << "the rewrite keeps the file's permissions";
    EXPECT_EQ(EntriesStartingWith(home_.PrivateDir(), "ferntrack.conf"),
              std::vector<std::string>{"ferntrack.conf"})
        << "nothing is left beside the file";

    // The next run reads back what was saved.
    Launch();
    EXPECT_FALSE(MonitorShown()) << StatusRow();
    EXPECT_TRUE(WaitRows({BrowseRow("ann", "a.example.com/", 80, 3)})) << term_->Screen();
    ExitCleanly();
}

TEST_F(Settings, CleanExitRewritesTheFileALinkPointsAt)
{
    home_.MakePrivateDir(LogLine(0, "ann", "http://a.example.com/"));
    home_.WriteFile("kept.conf", "iMonitorMode=0\n");
    home_.Link("ferntrack.conf", home_.PathOf("kept.conf"));
    term_ = StartFerntrack(home_);
    ASSERT_TRUE(term_->WaitForRow(23, " Pri | h = help")) << term_->Screen();
    EXPECT_FALSE(MonitorShown()) << "the setting is read through the link";
    ToggleMonitor();
    ExitCleanly();

    EXPECT_EQ(home_.LinkTarget(kConfFile), home_.PathOf("kept.conf"));
    std::string conf = home_.ReadFile("kept.conf");
    EXPECT_EQ(conf.rfind("# this complete file is reset on every clean exit\n", 0), 0u) << conf;
    EXPECT_NE(conf.find("\niMonitorMode=1\n"), std::string::npos) << conf;
}

// ---- Configured values on the first screen ----

TEST_F(Settings, MonitorOffAndANarrowUserColumnShapeTheFirstScreen)
{
    std::string log = LogLine(0, "administrator", "http://intranet.example.com/index.html")
        + LogLine(1, "Bob", "http://b.example.com/x.gif")
        + LogLine(2, "carol", "http://c.example.com/y.png");
    Start(log, "iMonitorMode=0\niUserNameLen=3\n");

    ASSERT_TRUE(WaitRows({BrowseRow("adm", "intranet.example.com/index.html", 80, 3),
                          BrowseRow("bob", "b.example.com/x.gif", 80, 3),
                          BrowseRow("car", "c.example.com/y.png", 80, 3)}))
        << term_->Screen();
    EXPECT_TRUE(term_->Reverse(0, 0));
    EXPECT_FALSE(term_->Reverse(1, 0));
    EXPECT_FALSE(term_->Reverse(2, 0));
    std::string status = term_->Row(23);
    EXPECT_EQ(status.substr(0, 8), "  0.00% ") << status;
    EXPECT_EQ(status.substr(8, StatusTime(kStart).size()), StatusTime(kStart)) << status;
    EXPECT_EQ(status.substr(0, 79).substr(79 - 15), " Pri | h = help") << status;
    EXPECT_EQ(status.find("Mon "), std::string::npos) << status;
    ExitCleanly();
}

TEST_F(Settings, LogSlotOutsideOneToThreeFallsBackToThePrimary)
{
    std::string log = LogLine(0, "ann", "http://a.example.com/one.html")
        + LogLine(1, "ben", "http://b.example.com/two.html");
    for (const char* slot : {"7", "0", "-2"}) {
        SCOPED_TRACE(slot);
        Start(log, std::string("iMonitorMode=0\niCurrentLog=") + slot + "\n");
        EXPECT_TRUE(WaitRows({BrowseRow("ann", "a.example.com/one.html"),
                              BrowseRow("ben", "b.example.com/two.html")}))
            << term_->Screen();
        EXPECT_NE(term_->Row(23).find(" Pri | h = help"), std::string::npos) << term_->Row(23);
        term_->Send("s");
        EXPECT_TRUE(term_->WaitForRow(23, " Sec | h = help")) << "the slot keys still work";
        term_->Send("p");
        EXPECT_TRUE(term_->WaitForRow(23, " Pri | h = help"));
        ExitCleanly();
        std::string conf = home_.ReadFile(kConfFile);
        EXPECT_NE(conf.find("\niCurrentLog=1\n"), std::string::npos) << conf;
    }
}

// ---- Requests without a user: the client's address or its alias ----

TEST_F(Settings, UserColumnOfRequestsWithoutAUser)
{
    std::string log = LogLine(0, "-", "http://a.example.com/", "TCP_MISS/200", 1000, "10.0.0.5")
        + LogLine(1, "-", "http://b.example.com/", "TCP_MISS/200", 1000, "10.0.0.6")
        + LogLine(2, "-", "http://c.example.com/", "TCP_MISS/200", 1000, "10.0.0.7")
        + LogLine(3, "Carol", "http://d.example.com/", "TCP_MISS/200", 1000, "10.0.0.5");
    struct Case {
        const char* conf;
        std::vector<std::string> users;
    };
    const Case cases[] = {
        {"bAliases=yes\n", {"boss", "boss", "0.0.7", "carol"}},
        {"bAliases=no\n", {"0.0.5", "0.0.6", "0.0.7", "carol"}},
        {"bAliases=yes\nbLookupIP=no\n", {"boss", "boss", "-", "carol"}},
        {"bAliases=no\nbLookupIP=no\n", {"-", "-", "-", "carol"}},
    };
    home_.MakePrivateDir(log);
    home_.WriteFile(kAliasesFile, "boss 10.0.0.5 10.0.0.6\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conf);
        Start(log, std::string("iMonitorMode=0\niUserNameLen=6\n") + c.conf);
        const char* urls[] = {"a.example.com/", "b.example.com/", "c.example.com/", "d.example.com/"};
        std::vector<std::string> rows;
        for (size_t i = 0; i < c.users.size(); ++i)
            rows.push_back(BrowseRow(c.users[i], urls[i], 80, 6));
        EXPECT_TRUE(WaitRows(rows)) << term_->Screen();
        ExitCleanly();
    }
}

TEST_F(Settings, AliasesFileErrorIsShownOnceAndEarlierLinesStillCount)
{
    std::string log = LogLine(0, "-", "http://a.example.com/", "TCP_MISS/200", 1000, "10.0.0.5")
        + LogLine(1, "-", "http://b.example.com/", "TCP_MISS/200", 1000, "10.0.0.7");
    home_.MakePrivateDir(log);
    // Line 2 is empty and line 3 a name without addresses; both count.
    home_.WriteFile(kAliasesFile, "boss 10.0.0.5\n\nlab\npc 10.0.0.300\nlate 10.0.0.7\n");
    home_.WriteFile(kConfFile, "bAliases=yes\niMonitorMode=0\n");
    const std::string message = "Error in aliases file at line 4";
    term_ = StartFerntrack(home_);
    ASSERT_TRUE(term_->WaitUntil([&] { return term_->Row(23) == Fit(message, 80); })) << term_->Screen();
    EXPECT_TRUE(WaitRows({BrowseRow("boss", "a.example.com/"), BrowseRow("10.0.0.7", "b.example.com/")}))
        << "the alias after the faulty line is not loaded\n"
        << term_->Screen();

    term_->Send("5");  // no action, but the window is drawn again
    ASSERT_TRUE(term_->WaitForRow(23, " Pri | h = help")) << term_->Screen();
    EXPECT_EQ(term_->Row(23).substr(0, 8), "  0.00% ");
    EXPECT_EQ(term_->Screen().find(message), std::string::npos);
    ExitCleanly();
}

// ---- Endings other than ctrl-x and ctrl-c ----

TEST_F(Settings, MemoryFaultPrintsTheMessageAndSavesNothing)
{
    const std::string conf = "iMonitorMode=1\n# kept as it is\nnoSuchKey=1";
    Start(LogLine(0, "ann", "http://a.example.com/"), conf);
    ToggleMonitor();

    ASSERT_EQ(::kill(term_->Pid(), SIGSEGV), 0);
    EXPECT_EQ(term_->WaitExit(), 11) << term_->Output();
    // Curses has ended, so the terminal turns each line feed into CR LF.
    EXPECT_NE(term_->Output().find("Ferntrack: general fault\r\ncode = 0\r\nRefer to the BUGS file.\r\nSorry.\r\n"),
              std::string::npos)
        << term_->Output();
    EXPECT_EQ(home_.ReadFile(kConfFile), conf);
    EXPECT_EQ(EntriesStartingWith(home_.PrivateDir(), "ferntrack.conf"),
              std::vector<std::string>{"ferntrack.conf"});
}

// Runs the program as nohup would, with hang-ups ignored, switches monitor
// mode from its configured value, then takes the terminal away. The program
// must notice that its keyboard is gone, end by itself and save.
class Hangup : public Session {
protected:
    void EndsCleanly(bool monitorAtStart)
    {
        home_.MakePrivateDir(LogLine(0, "ann", "http://a.example.com/"));
        home_.WriteFile(kConfFile,
                        std::string("# gone after a clean exit\niMonitorMode=") + (monitorAtStart ? "1" : "0") + "\n");
        term_ = std::make_unique<Terminal>(
            std::vector<std::string>{"/bin/sh", "-c", std::string("trap '' HUP; exec '") + FERNTRACK_BINARY + "'"},
            home_.Environment(), 24, 80);
        ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Output();
        ASSERT_EQ(MonitorShown(), monitorAtStart) << term_->Screen();
        ToggleMonitor();

        term_->Hangup();
        ASSERT_EQ(term_->WaitExit(30.0), 0) << "the program must end by itself, cleanly";
        std::string conf = home_.ReadFile(kConfFile);
        EXPECT_EQ(conf.rfind("# this complete file is reset on every clean exit\n", 0), 0u) << conf;
        EXPECT_NE(conf.find(std::string("\niMonitorMode=") + (monitorAtStart ? "0" : "1") + "\n"), std::string::npos)
            << conf;
        EXPECT_NE(conf.find("\niTallyDenies=yes\n"), std::string::npos) << "the file is complete\n" << conf;
        EXPECT_EQ(conf.find("# gone"), std::string::npos) << conf;
    }
};

TEST_F(Hangup, TerminalGoneInMonitorModeEndsCleanly) { EndsCleanly(false); }

TEST_F(Hangup, TerminalGoneOutsideMonitorModeEndsCleanly) { EndsCleanly(true); }

}  // namespace
}  // namespace e2e
