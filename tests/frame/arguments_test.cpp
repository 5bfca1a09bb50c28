// The command line: what each form asks for, and which files can be browsed.
#include "frame/arguments.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/helptext.h"
#include "support/tempdir.h"

namespace {

ParsedArguments Parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "ferntrack");
    return ParseArguments(static_cast<int>(args.size()), args.data());
}

TEST(ParseArgumentsTest, EachFormOfTheCommandLine)
{
    struct Case {
        std::vector<const char*> args;
        eArgAction action;
        bool file;
        std::string name;
    };
    const Case cases[] = {
        {{}, eArgRun, false, ""},
        {{"access.log"}, eArgRun, true, "access.log"},
        {{"/var/log/squid/access.log"}, eArgRun, true, "/var/log/squid/access.log"},
        {{"-"}, eArgRun, true, "-"},
        {{""}, eArgRun, true, ""},
        {{"--"}, eArgRun, false, ""},
        {{"--", "-odd.log"}, eArgRun, true, "-odd.log"},
        {{"--", "--help"}, eArgRun, true, "--help"},
        {{"-h"}, eArgHelp, false, ""},
        {{"--help"}, eArgHelp, false, ""},
        {{"--help", "x.log"}, eArgHelp, false, ""},
        {{"-V"}, eArgVersion, false, ""},
        {{"--version"}, eArgVersion, false, ""},
        {{"--version", "--help"}, eArgVersion, false, ""},
        {{"-x"}, eArgUsage, false, ""},
        {{"--helpme"}, eArgUsage, false, ""},
        {{"-hV"}, eArgUsage, false, ""},
        {{"--help", "--bogus"}, eArgUsage, false, ""},
        {{"a.log", "b.log"}, eArgRun, true, "a.log"},
        {{"--help", "a.log", "b.log"}, eArgHelp, false, ""},
        {{"a.log", "--", "-b.log"}, eArgRun, true, "a.log"},
        {{"a.log", "-x", "b.log"}, eArgUsage, false, ""},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const char* a : c.args)
            shown += std::string(" [") + a + "]";
        ParsedArguments parsed = Parse(c.args);
        EXPECT_EQ(parsed.action, c.action) << shown;
        EXPECT_EQ(parsed.bFile, c.file) << shown;
        EXPECT_EQ(parsed.sFile, c.name) << shown;
        // Every operand is kept, in order, when the program is to run.
        std::vector<std::string> operands;
        bool over = false;
        for (const char* a : c.args) {
            std::string arg = a;
            if (!over && arg == "--")
                over = true;
            else if (c.file && (over || arg.size() <= 1 || arg[0] != '-'))
                operands.push_back(arg);
        }
        EXPECT_EQ(parsed.vFiles, operands) << shown;
    }
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override { dir = MakeScratchDir("ferntrack-args"); }
    void TearDown() override { RemoveScratchDir(dir); }
    std::string dir;
};

TEST_F(LogFileTest, OnlyReadableRegularFilesCanBeBrowsed)
{
    ASSERT_TRUE(WriteWholeFile(dir + "/access.log", "1286536308.779 1 10.0.0.1 TCP_MISS/200 1 GET http://a/ - NONE/- -\n"));
    ASSERT_TRUE(WriteWholeFile(dir + "/empty.log", ""));
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("access.log", (dir + "/link").c_str()), 0);
    ASSERT_EQ(symlink("gone.log", (dir + "/dangling").c_str()), 0);
    struct Case {
        std::string name;
        std::string problem;
    };
    const Case cases[] = {
        {"access.log", ""},
        {"empty.log", ""},
        {"link", ""},
        {"missing.log", "No such file or directory"},
        {"dangling", "No such file or directory"},
        {"", "Is a directory"},
        {"fifo", "not a regular file"},
        {"access.log/x", "Not a directory"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LogFileProblem(dir + "/" + c.name), c.problem) << c.name;
    EXPECT_EQ(LogFileProblem("/dev/null"), "not a regular file");

    // Permission bits do not stop root, who runs the CI.
    if (geteuid() != 0) {
        ASSERT_EQ(chmod((dir + "/access.log").c_str(), 0), 0);
        EXPECT_EQ(LogFileProblem(dir + "/access.log"), "Permission denied");
    }
}

TEST_F(LogFileTest, NamedLogIsKeptAbsolute)
{
    ASSERT_TRUE(WriteWholeFile(dir + "/access.log", "x\n"));
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    const char* relative[] = {"ferntrack", "access.log"};
    int relativeStatus = HandleArguments(2, relative);
    std::string fromRelative = sCommandLineLog;
    std::string absolute = dir + "/access.log";
    const char* given[] = {"ferntrack", absolute.c_str()};
    sCommandLineLog.clear();
    int absoluteStatus = HandleArguments(2, given);
    ASSERT_EQ(chdir(cwd), 0);

    EXPECT_EQ(relativeStatus, -1);
    EXPECT_EQ(fromRelative, absolute);
    EXPECT_EQ(absoluteStatus, -1);
    EXPECT_EQ(sCommandLineLog, absolute);
    sCommandLineLog.clear();

    const char* none[] = {"ferntrack"};
    EXPECT_EQ(HandleArguments(1, none), -1);
    EXPECT_EQ(sCommandLineLog, "");
}

// --help and --version with standard output sent to path: the status and
// what reached standard output and standard error.
struct Answer {
    int status;
    std::string out, err;
};

Answer AnswerInto(const char* option, const std::string& path, const std::string& errPath)
{
    fflush(stdout);
    fflush(stderr);
    int savedOut = dup(1), savedErr = dup(2);
    int out = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(err, 2);
    close(out);
    close(err);
    const char* args[] = {"ferntrack", option};
    int status = HandleArguments(2, args);
    fflush(stdout);
    fflush(stderr);
    dup2(savedOut, 1);
    dup2(savedErr, 2);
    close(savedOut);
    close(savedErr);
    std::string written = path.size() > 5 && path.compare(path.size() - 5, 5, "/full") == 0 ? "" : ReadWholeFile(path);
    return {status, written, ReadWholeFile(errPath)};
}

TEST_F(LogFileTest, AFailedWriteOfAnAnswerIsAnError)
{
    const std::string device = MakeFullDevice(dir);
    if (device.empty())
        GTEST_SKIP() << "cannot make a full device node in the test's folder (needs root)";
    const std::string file = dir + "/out", errors = dir + "/err";
    const std::string full = "ferntrack: write error: No space left on device\n";
    const struct {
        const char* option;
        std::string to;
        Answer answer;
    } cases[] = {
        {"--help", file, {0, HelpText(), ""}},
        {"--version", file, {0, VersionText() + "\n", ""}},
        {"--help", device, {1, "", full}},
        {"-V", device, {1, "", full}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " > " + c.to);
        Answer got = AnswerInto(c.option, c.to, errors);
        EXPECT_EQ(got.status, c.answer.status);
        EXPECT_EQ(got.out, c.answer.out);
        EXPECT_EQ(got.err, c.answer.err);
    }
}

} // namespace
