// The command line of the real program: --help, --version and bad usage are
// answered on the plain streams before anything is made; a named log is
// browsed in slot 1 while log1 and the configured slot stay as they were.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fixture.h"

namespace e2e {
namespace {

struct PlainRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program with arguments, no terminal and the standard streams
// caught apart; a program that has not ended after a few seconds is killed.
PlainRun RunPlain(const std::vector<std::string>& args, const Env& env)
{
    PlainRun run;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return run;
    std::vector<std::string> argv = {FERNTRACK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv, cenv;
    for (std::string& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    std::vector<std::string> envCopy = env;
    for (std::string& e : envCopy)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        execve(cargv[0], cargv.data(), cenv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* into[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0 && poll(fds, 2, 5000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                into[i]->append(buf, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (open > 0)
        kill(child, SIGKILL);
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    for (pollfd& p : fds)
        if (p.fd >= 0)
            close(p.fd);
    return run;
}

TEST(Arguments, AnsweredBeforeAnythingIsMade)
{
    TempHome home;
    home.WriteFile("a.log", SampleLog(2));
    ::mkdir(home.PathOf("dir").c_str(), 0755);
    const std::string usage = "usage: ferntrack [--help] [--version] [FILE...|DIRECTORY]\n";
    home.WriteFile("dir/cache.log", "not a request\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {{"--version"}, 0, "ferntrack 0.86\n", ""},
        {{"-V"}, 0, "ferntrack 0.86\n", ""},
        {{"--frobnicate"}, 2, "", usage},
        {{"-x", "a.log"}, 2, "", usage},
        {{home.PathOf("missing.log"), home.PathOf("missing.log.1")}, 1, "",
         "ferntrack: no log in " + home.PathOf("missing.log") + " " + home.PathOf("missing.log.1") + "\n"},
        {{home.PathOf("missing.log")}, 1, "",
         "ferntrack: cannot read " + home.PathOf("missing.log") + ": No such file or directory\n"},
        {{home.PathOf("dir")}, 1, "", "ferntrack: no log in " + home.PathOf("dir") + "\n"},
    };
    for (const Case& c : cases) {
        PlainRun run = RunPlain(c.args, home.Environment());
        EXPECT_EQ(run.status, c.status) << c.args[0];
        EXPECT_EQ(run.out, c.out) << c.args[0];
        EXPECT_EQ(run.err, c.err) << c.args[0];
    }

    PlainRun help = RunPlain({"--help"}, home.Environment());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("ferntrack 0.86 - ", 0), 0u) << help.out;
    for (const char* part : {"Usage: ferntrack [FILE...|DIRECTORY]\n", "~/.ferntrack/", "man ferntrack"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    EXPECT_EQ(RunPlain({"-h"}, home.Environment()).out, help.out);

    EXPECT_FALSE(home.Exists(".ferntrack"));
}

bool ShowsLine(Terminal& term, int n) { return term.Screen().find(SampleRow(n)) != std::string::npos; }

TEST(Arguments, NamedLogIsBrowsedInSlotOneForThisRunOnly)
{
    TempHome home;
    std::string log1 = home.MakePrivateDir(SampleLog(5));
    home.WriteFile(kConfFile, "iCurrentLog=2\niMonitorMode=0\n");
    home.WriteFile("other.log", SampleLine(100) + "\n" + SampleLine(101) + "\n" + SampleLine(102) + "\n");

    auto term = StartFerntrack(home, 24, 80, {home.PathOf("other.log")});
    ASSERT_TRUE(WaitForBrowse(*term)) << term->Screen();
    EXPECT_TRUE(ShowsLine(*term, 100) && ShowsLine(*term, 102)) << term->Screen();
    EXPECT_EQ(term->Screen().find("host0.example.com"), std::string::npos) << term->Screen();
    EXPECT_NE(term->Row(23).find(" Pri | h = help"), std::string::npos) << term->Row(23);
    term->Send(key::End);
    ASSERT_TRUE(term->WaitUntil([&] { return term->Reverse(2, 0) && !term->Reverse(0, 0); }));
    EXPECT_EQ(term->Row(2).substr(0, 79), SampleRow(102)) << term->Screen();
    EXPECT_EQ(ExitCleanly(*term), 0);

    EXPECT_EQ(home.LinkTarget(".ferntrack/log1"), log1);
    std::string conf = home.ReadFile(kConfFile);
    EXPECT_NE(conf.find("\niCurrentLog=2\n"), std::string::npos) << conf;
}

} // namespace
}  // namespace e2e
