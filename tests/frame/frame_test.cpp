#include "frame/privatedir.h"
#include "frame/screentext.h"
#include "frame/settings.h"
#include "frame/shell.h"
#include "support/tempdir.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

TEST(PercentTextTest, BoundsAndTruncation)
{
    EXPECT_EQ(PercentText(0, 500), "  0.00%");
    EXPECT_EQ(PercentText(5, 0), "  0.00%");
    EXPECT_EQ(PercentText(500, 500), "100.00%");
    EXPECT_EQ(PercentText(600, 500), "100.00%");
    EXPECT_EQ(PercentText(1, 3), " 33.33%");
    EXPECT_EQ(PercentText(2, 3), " 66.66%");  // cut, not rounded to 66.67
    EXPECT_EQ(PercentText(9999, 10000), " 99.99%");
    EXPECT_EQ(PercentText(1, 4), " 25.00%");
    EXPECT_EQ(PercentText(1, 20000), "  0.00%");
    // Offsets of multi-gigabyte logs stay exact in 64 bits.
    EXPECT_EQ(PercentText(int64_t{3} << 40, int64_t{4} << 40), " 75.00%");
}

TEST(FileNameCheckTest, AllowedBytesAndFirstComplaint)
{
    EXPECT_EQ(FileNameCheck(""), "");
    EXPECT_EQ(FileNameCheck("week_1-A9z"), "");
    EXPECT_EQ(FileNameCheck("a.b"), "Illegal character: '.'.");
    EXPECT_EQ(FileNameCheck("a b"), "Illegal character: ' '.");
    EXPECT_EQ(FileNameCheck("x/y.z"), "Illegal character: '/'.");
    EXPECT_EQ(FileNameCheck("ok~"), "Illegal character: '~'.");
    EXPECT_EQ(FileNameCheck("tab\there"), "Illegal character.");
    EXPECT_EQ(FileNameCheck("caf\xc3\xa9"), "Illegal character.");
    EXPECT_EQ(FileNameCheck("del\x7f"), "Illegal character.");
}

// What the shell makes of a quoted word, read back through printf.
std::string ThroughShell(const std::string& text)
{
    std::string command = "printf %s " + ShellQuote(text);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "<popen failed>";
    std::string out;
    char buf[256];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    pclose(pipe);
    return out;
}

TEST(ShellQuoteTest, AnyTextReachesTheCommandAsOneWord)
{
    const char* texts[] = {"plain",
                           "/home/my user/.ferntrack/week 1.txt",
                           "it's",
                           "''",
                           "\"double\" quotes",
                           "$HOME ${PATH} $(id)",
                           "`id`",
                           "back\\slash\\",
                           "semi; rm -rf x & echo | cat > y",
                           "*?[a]",
                           "-n",
                           "line\nbreak",
                           ""};
    for (const char* text : texts)
        EXPECT_EQ(ThroughShell(text), text);
}

struct ChildResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Drain(int fd)
{
    std::string text;
    char buf[512];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Runs PreparePrivateDirectory in a child with HOME set (or unset for null)
// and collects its status and what it printed; a log named on the command
// line goes in as commandLineLog.
ChildResult RunPrepare(const char* home, const std::string& commandLineLog = std::string())
{
    ChildResult result;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return result;
    fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        if (home == nullptr)
            unsetenv("HOME");
        else
            setenv("HOME", home, 1);
        int code = PreparePrivateDirectory(commandLineLog);
        fflush(stdout);
        fflush(stderr);
        _exit(code);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    result.out = Drain(outPipe[0]);
    result.err = Drain(errPipe[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}

std::string LinkTarget(const std::string& path)
{
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? "<no link>" : std::string(buf, static_cast<size_t>(n));
}

TEST(ViewerCommandTest, EmptyOrBlankMeansLess)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "less"}, {"   ", "less"}, {" \t ", "less"}, {"more -d", "more -d"}, {" most", " most"},
    };
    for (const auto& [viewer, command] : cases) {
        sViewer = viewer;
        EXPECT_EQ(ViewerCommand(), command) << "sViewer \"" << viewer << "\"";
    }
    ResetSettings();
}

class PrivateDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = MakeScratchDir("ferntrack-home");
        priv = home + "/.ferntrack";
    }
    void TearDown() override { RemoveScratchDir(home); }

    std::string home;
    std::string priv;
};

TEST_F(PrivateDirTest, HomeUnsetOrEmpty)
{
    for (const char* home : {static_cast<const char*>(nullptr), ""}) {
        SCOPED_TRACE(home == nullptr ? "unset" : "empty");
        ChildResult r = RunPrepare(home);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "ferntrack: can't get your home directory, exiting.\n");
    }
}

TEST_F(PrivateDirTest, FirstRunMakesDirectoryAndLinks)
{
    ChildResult r = RunPrepare(home.c_str());
    struct stat st;
    ASSERT_EQ(stat(priv.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    std::string target = LinkTarget(priv + "/log1");
    const char* first = "/var/log/squid/access.log";
    const char* second = "/usr/local/squid/var/logs/access.log";
    std::string expected = access(first, F_OK) == 0 || access(second, F_OK) != 0 ? first : second;
    EXPECT_EQ(target, expected);
    EXPECT_EQ(LinkTarget(priv + "/log2"), "log1");
    EXPECT_EQ(LinkTarget(priv + "/log3"), "log1");
    EXPECT_EQ(LinkTarget(priv + "/HOWTO"), "/usr/local/share/ferntrack/HOWTO");
    std::string made = "Making .ferntrack directory and links...\n";
    if (access(target.c_str(), R_OK) == 0) {
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, made);
    } else {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, made +
                             "The squid log file cannot be accessed at pre-programmed locations.\n"
                             "You may need to manually adjust the symlinks in ~/.ferntrack/\n"
                             "You may need to give user permissions to log files, or add to a "
                             "group (logout.)\n"
                             "Or, after admin adjustments delete ~/.ferntrack/ and re-run "
                             "ferntrack.\n");
        EXPECT_EQ(r.err.rfind("The error was: ", 0), 0u) << r.err;
    }
}

TEST_F(PrivateDirTest, ExistingDirectoryIsOnlyTested)
{
    ASSERT_EQ(mkdir(priv.c_str(), 0755), 0);
    ASSERT_EQ(symlink((home + "/missing.log").c_str(), (priv + "/log1").c_str()), 0);
    ChildResult r = RunPrepare(home.c_str());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "The squid log file cannot be read.\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(priv + "/log2")));

    ASSERT_TRUE(WriteWholeFile(home + "/missing.log", "1 2 3\n"));
    r = RunPrepare(home.c_str());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

// A log named on the command line stands in for log1, which is then neither
// needed nor touched; the directory is still made or checked as always.
TEST_F(PrivateDirTest, CommandLineLogReplacesSlotOneForTheRun)
{
    std::string named = home + "/named.log";
    ASSERT_TRUE(WriteWholeFile(named, "1 2 3\n"));

    // First run: directory and links as always, no advice about log1 even
    // where no default log exists.
    ChildResult r = RunPrepare(home.c_str(), named);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Making .ferntrack directory and links...\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(LinkTarget(priv + "/log2"), "log1");
    EXPECT_NE(LinkTarget(priv + "/log1"), named);

    // Later run with log1 dangling: it starts, slot 1 reads the named log,
    // and the link still points where it did.
    ASSERT_EQ(unlink((priv + "/log1").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/access.log", (priv + "/log1").c_str()), 0);
    const char* oldHome = getenv("HOME");
    std::string savedHome = oldHome == nullptr ? "" : oldHome;
    setenv("HOME", home.c_str(), 1);
    int status = PreparePrivateDirectory(named);
    if (oldHome == nullptr)
        unsetenv("HOME");
    else
        setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(sLogPath1, named);
    EXPECT_EQ(sLogPath2, priv + "/log2");
    EXPECT_EQ(LinkTarget(priv + "/log1"), "/nonexistent/access.log");

    // Without it the dangling link still stops the start.
    r = RunPrepare(home.c_str());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "The squid log file cannot be read.\n");
}

TEST_F(PrivateDirTest, HomeWhereNothingCanBeMade)
{
    std::string file = home + "/plainfile";
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    ChildResult r = RunPrepare(file.c_str());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Making .ferntrack directory and links...\n"
                     "~/.ferntrack/ setup errors. Exiting.\n");
}

TEST(PathsTest, AllPathsFollowHome)
{
    SetPaths("/h");
    EXPECT_EQ(sPrivateDir, "/h/.ferntrack");
    EXPECT_EQ(sLogPath1, "/h/.ferntrack/log1");
    EXPECT_EQ(sLogPath2, "/h/.ferntrack/log2");
    EXPECT_EQ(sLogPath3, "/h/.ferntrack/log3");
    EXPECT_EQ(sWordsPath, "/h/.ferntrack/words");
    EXPECT_EQ(sUsersPath, "/h/.ferntrack/users");
    EXPECT_EQ(sAliasesPath, "/h/.ferntrack/aliases");
    EXPECT_EQ(sConfigPath, "/h/.ferntrack/ferntrack.conf");
    EXPECT_EQ(sHowtoPath, "/h/.ferntrack/HOWTO");
    for (std::string* path : {&sHomeDir, &sPrivateDir, &sLogPath1, &sLogPath2, &sLogPath3, &sWordsPath,
                              &sUsersPath, &sAliasesPath, &sConfigPath, &sHowtoPath})
        path->clear();
}

} // namespace

TEST(FaultMessage, NamesTheOperationAndPicksTheSortAdvice)
{
    EXPECT_EQ(FaultMessage(312), "Ferntrack: general fault\ncode = 312\nRefer to the BUGS file.\nSorry.\n");
    EXPECT_EQ(FaultMessage(999).substr(0, 25), "Ferntrack: general fault\n");
    EXPECT_EQ(FaultMessage(1014),
              "Ferntrack: fault during STL sort()\ncode = 1014\nTry:\n 1. increasing iRepFast or making "
              "it 0\n 2. using my sort routine\nRefer to the BUGS file.\nSorry.\n");
}
