// Logs of three proxies gathered on one log host by a real rsyslogd: the
// daemon runs on the loopback with a configuration, port, pid file and
// output files of this test's own, the proxies' lines reach it through
// logger, and the merged files (traditional and RFC 3339 prefixes) browse
// and report like the three logs together.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "session.h"
#include "support/tempdir.h"

namespace e2e {
namespace {

constexpr int kProxies = 3;
constexpr int kLinesEach = 12;

// The first of the usual places that holds an executable program.
std::string FindProgram(const std::string& name)
{
    for (const char* dir : {"/usr/sbin", "/usr/bin", "/sbin", "/bin", "/usr/local/sbin", "/usr/local/bin"}) {
        std::string path = std::string(dir) + "/" + name;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

// Runs a program with its output into a file; its exit status, or -1.
int RunProgram(const std::vector<std::string>& argv, const std::string& output)
{
    pid_t child = fork();
    if (child == 0) {
        int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(out, 1);
        dup2(out, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// rsyslogd in the foreground for the life of the object.
class Daemon {
public:
    Daemon(const std::string& program, const std::string& dir)
    {
        pid_ = fork();
        if (pid_ == 0) {
            int out = open((dir + "/rsyslogd.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int null = open("/dev/null", O_RDONLY);
            dup2(null, 0);
            dup2(out, 1);
            dup2(out, 2);
            std::string conf = dir + "/rsyslog.conf";
            std::string pid = dir + "/rsyslogd.pid";
            execl(program.c_str(), program.c_str(), "-n", "-f", conf.c_str(), "-i", pid.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Daemon()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

private:
    pid_t pid_ = -1;
};

// Waits until the condition holds, at most ten seconds.
template <class Condition>
bool WaitSeconds(Condition condition)
{
    for (int i = 0; i < 200; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

// Lines of the file that hold a request.
int RequestLines(const std::string& path)
{
    std::string bytes = ReadWholeFile(path);
    int count = 0;
    for (size_t at = bytes.find("TCP_"); at != std::string::npos; at = bytes.find("TCP_", at + 1))
        ++count;
    return count;
}

// Proxy p's log: users shared between the proxies, sizes that give every
// user a total of its own, times that interleave with the other proxies'.
std::string ProxyLog(int p)
{
    static const char* const users[] = {"ann", "bob", "carl", "dora", "-"};
    std::string log;
    for (int i = 0; i < kLinesEach; ++i) {
        int n = i * kProxies + p;
        std::string url = "http://site" + std::to_string(n % 5) + ".example.com/p" + std::to_string(n) + ".html";
        log += LogLine(n, users[(i + p) % 5], url, i % 3 == 0 ? "TCP_HIT/200" : "TCP_MISS/200",
                       1000 * (p + 1) + 37 * i * i);
    }
    return log;
}

// The user totals of a report: from its "bytes not skipped domains" line to
// the blank line after the users.
std::string UserTotals(const std::string& report)
{
    size_t at = report.find(" bytes not skipped domains\n");
    if (at == std::string::npos)
        return {};
    size_t start = report.rfind('\n', at) + 1;
    size_t end = report.find("\n\n", at);
    return report.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class Syslog : public Session {
protected:
    // Browses the log in slot 1, checks the first row, runs a report with
    // the default options and returns the report.
    std::string BrowseAndReport(const std::string& logPath, const std::string& firstRow)
    {
        home_.Link("log1", logPath);
        home_.WriteFile(kConfFile, "iMonitorMode=0\n");
        Launch();
        if (HasFatalFailure())
            return {};
        EXPECT_EQ(term_->Row(0).substr(0, 79), firstRow) << logPath << "\n" << term_->Screen();
        EXPECT_EQ(StatusRow().substr(0, 29), "  0.00% " + StatusTime(kStart)) << logPath;
        term_->Send("l");
        EXPECT_TRUE(term_->WaitFor("Press <enter> to go or q to quit:")) << term_->Screen();
        term_->Send("\r");
        EXPECT_TRUE(term_->WaitFor("; View (y/n)?", 20)) << term_->Screen();
        term_->Send("n");
        EXPECT_TRUE(term_->WaitForRow(term_->Rows() - 1, "Press 'n' for misc. operations you can do on temp.txt"))
            << term_->Screen();
        ExitCleanly();
        term_.reset();
        return home_.ReadFile(".ferntrack/temp.txt");
    }
};

TEST_F(Syslog, ThreeProxiesThroughRsyslogdReportAsTheirLogsTogether)
{
    std::string rsyslogd = FindProgram("rsyslogd");
    std::string logger = FindProgram("logger");
    if (rsyslogd.empty() || logger.empty())
        GTEST_SKIP() << "rsyslogd or logger not found (Debian packages rsyslog and bsdutils, "
                        "installed by scripts/deps.sh): the gathered-log test is skipped";
    home_.MakePrivateDir("");
    std::string dir = home_.PathOf("loghost");
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    // The daemon's own world: a work folder, a port the system chooses and
    // writes down, and two output files in the two usual forms.
    home_.WriteFile("loghost/rsyslog.conf",
                    "global(workDirectory=\"" + dir + "\")\n"
                    "module(load=\"imtcp\")\n"
                    "input(type=\"imtcp\" address=\"127.0.0.1\" port=\"0\" listenPortFileName=\"" + dir +
                        "/port\")\n"
                    "action(type=\"omfile\" file=\"" + dir + "/traditional.log\" template=\"RSYSLOG_TraditionalFileFormat\")\n"
                    "action(type=\"omfile\" file=\"" + dir + "/rfc3339.log\" template=\"RSYSLOG_FileFormat\")\n");
    std::string together;
    for (int p = 0; p < kProxies; ++p) {
        home_.WriteFile("loghost/proxy" + std::to_string(p) + ".log", ProxyLog(p));
        together += ProxyLog(p);
    }
    home_.WriteFile("together.log", together);
    {
        Daemon daemon(rsyslogd, dir);
        ASSERT_TRUE(WaitSeconds([&] { return !home_.ReadFile("loghost/port").empty(); }))
            << "rsyslogd did not start: " << home_.ReadFile("loghost/rsyslogd.out");
        std::string port = home_.ReadFile("loghost/port");
        while (!port.empty() && (port.back() == '\n' || port.back() == '\r'))
            port.pop_back();
        // Proxy 0 sends as the newer protocol does (tag and pid without a
        // colon), the others in the old BSD form.
        for (int p = 0; p < kProxies; ++p) {
            std::vector<std::string> argv = {logger, "-n", "127.0.0.1", "-P", port, "-T", "-t", "squid",
                                             "--id=" + std::to_string(4000 + p)};
            if (p > 0)
                argv.push_back("--rfc3164");
            argv.push_back("-f");
            argv.push_back(dir + "/proxy" + std::to_string(p) + ".log");
            ASSERT_EQ(RunProgram(argv, dir + "/logger.out"), 0) << home_.ReadFile("loghost/logger.out");
        }
        for (const char* file : {"/traditional.log", "/rfc3339.log"})
            ASSERT_TRUE(WaitSeconds([&] { return RequestLines(dir + file) == kProxies * kLinesEach; }))
                << file << ":\n" << ReadWholeFile(dir + file);
    }

    std::string firstRow = BrowseRow("ann", "site0.example.com/p0.html", 80, 8, "  H ");
    std::string expected = UserTotals(BrowseAndReport(home_.PathOf("together.log"), firstRow));
    for (const char* user : {"ann", "bob", "carl", "dora"})
        EXPECT_NE(expected.find(user), std::string::npos) << expected;
    for (const char* file : {"/traditional.log", "/rfc3339.log"}) {
        std::string report = BrowseAndReport(dir + file, firstRow);
        EXPECT_EQ(UserTotals(report), expected) << file << "\n" << report;
    }
}

}  // namespace
}  // namespace e2e
