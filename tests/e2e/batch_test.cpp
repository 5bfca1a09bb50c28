// `ferntrack report` as cron runs it: no terminal, the report byte for byte
// the one the 'l' screen writes over the same range, every way it can fail
// with its status and message and nothing left under the output's name,
// ctrl-c, the progress line on a terminal, and the HTML page in tidy and in
// a headless browser.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "session.h"
#include "support/gzipmaker.h"
#include "support/tempdir.h"

namespace e2e {
namespace {

struct BatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `ferntrack report ARGS` with no terminal and the standard streams
// caught apart; inChild runs in the child before the program starts (a
// resource limit, another standard output).
BatchRun RunReport(const std::vector<std::string>& args, const Env& env, const std::function<void()>& inChild = {},
              std::atomic<pid_t>* started = nullptr)
{
    BatchRun run;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return run;
    std::vector<std::string> argv = {FERNTRACK_BINARY, "report"};
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
        if (inChild)
            inChild();
        execve(cargv[0], cargv.data(), cenv.data());
        _exit(127);
    }
    if (started != nullptr)
        *started = child;
    close(outPipe[1]);
    close(errPipe[1]);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* into[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0 && poll(fds, 2, 60000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buf[65536];
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
    if (waitpid(child, &status, 0) == child)
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    for (pollfd& p : fds)
        if (p.fd >= 0)
            close(p.fd);
    return run;
}

// Names in a directory, sorted.
std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr)
        return names;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

// Thirty hits of one minute: the log is longer than a page, and the top of
// its last page lies in the minute of its last line.
std::string MoreLines()
{
    std::string lines;
    for (int i = 0; i < 30; ++i)
        lines += LogLine(80 + i, "dora", "http://host8.example.com/index" + std::to_string(i) + ".php", "TCP_MISS/200",
                         800 + i);
    return lines;
}

// Word hits, a skip, a request without user, a denied request, garbage, an
// empty line and a hit in a later minute.
const std::string kLog = LogLine(0, "ann", "http://host7/index.html", "TCP_HIT/200", 1234) +
                         LogLine(1, "-", "host9:443", "TCP_MISS/200", 56789, "192.168.10.200") +
                         LogLine(2, "bob", "http://news.example.com/skip/a.gif", "TCP_MISS/200", 5000) +
                         LogLine(3, "ann", "http://host7/big.iso", "TCP_MEM_HIT/200", 3000000) +
                         LogLine(4, "carl", "http://host8.example.com/aaaaaaaaaabbbbbbbbbb.gif", "TCP_MISS/200", 700) +
                         LogLine(5, "bob", "http://deny.example.com/index.html", "TCP_DENIED/403", 999) +
                         "garbage line\n\n" +
                         LogLine(9, "ann", "ftp://files.example.com/pub/index.txt", "TCP_REFRESH_HIT/200", 4321) +
                         LogLine(70, "dora", "http://host8.example.com/index.php", "TCP_MISS/200", 800) + MoreLines();
const char* const kWords = "index\nhost9\nhost8\n!skip\n";
const char* const kUsers = "ann Sales desk\nbob\n";

class Batch : public Session {
protected:
    void SetUp() override
    {
        log_ = home_.MakePrivateDir(kLog);
        home_.WriteFile(kWordsFile, kWords);
        home_.WriteFile(kUsersFile, kUsers);
    }
    BatchRun Report(const std::vector<std::string>& args, const std::function<void()>& inChild = {})
    {
        return RunReport(args, home_.Environment(), inChild);
    }
    // The interactive run: 'l', the keys on the options screen, Enter, and
    // the report file it wrote.
    std::string Interactive(const std::string& conf, const std::string& before, const std::string& options)
    {
        home_.WriteFile(kConfFile, "iMonitorMode=0\n" + conf);
        Launch(24, 80);
        term_->Send(before + "l");
        EXPECT_TRUE(term_->WaitFor("Press <enter> to go or q to quit:")) << term_->Screen();
        term_->Send(options + "\r");
        EXPECT_TRUE(term_->WaitFor("; View (y/n)?", 20)) << term_->Screen();
        term_->Send("n");
        EXPECT_TRUE(term_->WaitFor("Press 'n' for misc. operations")) << term_->Screen();
        ExitCleanly();
        term_.reset();
        return home_.ReadFile(".ferntrack/temp.txt");
    }
    std::string log_;
};

TEST_F(Batch, SameReportAsTheOptionsScreensRun)
{
    struct Case {
        const char* name;
        std::string conf;
        std::string before;   // browse keys before 'l'
        std::string options;  // keys on the options screen
        std::vector<std::string> args;
    } cases[] = {
        // Lines 2 to 4 on screen ('a' on the third line, 'b' on the sixth
        // row: the denied request) and by their times.
        {"range with sizes", "bRepShowSize=yes\n", "\x1bOB\x1bOB", "a" "q" "\x1bOB\x1bOB\x1bOB" "l" "b",
         {"--from", "@" + std::to_string(kStart + 2), "--to", "@" + std::to_string(kStart + 5)}},
        // The whole log: the range header's end is the top of the last
        // page on screen and the last line here, both in one minute.
        {"whole log as CSV", "iRepWordHits=2\nsRepSeperator=;\n", "", "", {"--format", "csv"}},
        {"whole log with a title, split at 45", "", "", "dWeekly\rk" "j45\r",
         {"--set", "sRepTitle=Weekly", "--set", "bRepSplit=yes", "--set", "iRepColumns=45"}},
    };
    for (const Case& c : cases) {
        std::string interactive = Interactive(c.conf, c.before, c.options);
        home_.WriteFile(kConfFile, "iMonitorMode=0\n" + c.conf);
        std::vector<std::string> before = Entries(home_.PrivateDir());
        BatchRun run = Report(c.args);
        EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_EQ(run.err, "") << c.name;
        EXPECT_EQ(run.out, interactive) << c.name;
        EXPECT_NE(run.out.find("ann : Sales desk"), std::string::npos) << c.name;
        // Nothing in the private directory changes, the settings least of all.
        EXPECT_EQ(home_.ReadFile(kConfFile), "iMonitorMode=0\n" + c.conf) << c.name;
        EXPECT_EQ(Entries(home_.PrivateDir()), before) << c.name;
    }
}

TEST_F(Batch, StatusesAndMessages)
{
    home_.WriteFile("old.txt", "old report\n");
    mkdir(home_.PathOf("dir").c_str(), 0755);
    home_.WriteFile("dir/keep", "");
    symlink("/dev/null", home_.PathOf("null-link").c_str());
    const std::string h = home_.Path();
    const std::string usage =
        "usage: ferntrack report [--from TIME] [--to TIME] [--format text|csv|html] [--output FILE]\n"
        "                        [--user NAME] [--set KEY=VALUE]... [LOG...]\n";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {"a log that is missing", {h + "/none.log"}, 1, "ferntrack: " + h + "/none.log: No such file or directory\n"},
        {"a directory with no log in it", {h + "/dir"}, 1, "ferntrack: no log in " + h + "/dir\n"},
        // Files named are read as they are; a run that ends with a set
        // still open ends cleanly.
        {"named files with no request in them", {h + "/old.txt", h + "/dir/keep"}, 1,
         "ferntrack: " + h + "/old.txt: the range holds no line\n"},
        {"a range after the log", {"--from", "2030-01-01"}, 1,
         "ferntrack: " + h + "/.ferntrack/log1: the range holds no line\n"},
        {"a range before the log", {"--to", "2001-01-01", log_}, 1, "ferntrack: " + log_ + ": the range holds no line\n"},
        {"the words file as output", {"-o", h + "/.ferntrack/words"}, 1,
         "ferntrack: " + h + "/.ferntrack/words: it is one of the program's own files\n"},
        {"the log as output", {"--output", log_}, 1, "ferntrack: " + log_ + ": it is a log\n"},
        {"a link to a device as output", {"-o", h + "/null-link"}, 1, "ferntrack: " + h + "/null-link: not a regular file\n"},
        {"a directory as output", {"-o", h + "/dir"}, 1, "ferntrack: " + h + "/dir: not a regular file\n"},
        {"an unknown option", {"--since", "today"}, 2, "ferntrack: --since: unknown option\n" + usage},
        {"a bad time", {"--to", "2026-12-32"}, 2, "ferntrack: --to 2026-12-32: no such date\n" + usage},
        {"a setting out of bounds", {"--set", "iRepCSVcols=5"}, 2,
         "ferntrack: --set iRepCSVcols=5: not a whole number from 11 to 599\n" + usage},
        {"an unknown setting", {"--set", "sViewer=vi"}, 2, "ferntrack: --set sViewer: not a report setting\n" + usage},
    };
    for (const Case& c : cases) {
        BatchRun run = Report(c.args);
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(run.err, c.err) << c.name;
        EXPECT_EQ(run.out, "") << c.name;
    }
    EXPECT_EQ(home_.ReadFile(kWordsFile), kWords);
    EXPECT_EQ(home_.ReadFile("access.log"), kLog);
    EXPECT_EQ(Entries(home_.Path() + "/dir"), std::vector<std::string>{"keep"});
}

// Every file under dir with its size, modification time and bytes.
std::string Snapshot(const std::string& dir)
{
    std::string shot;
    for (const std::string& name : Entries(dir)) {
        std::string path = dir + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            continue;
        shot += name + " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                std::to_string(st.st_mtim.tv_nsec) + "\n";
        if (S_ISDIR(st.st_mode))
            shot += "[" + Snapshot(path) + "]\n";
        else if (S_ISREG(st.st_mode))
            shot += ReadWholeFile(path) + "\n";
    }
    return shot;
}

// A rotation set: the oldest file compressed, the live log newest.
const std::string kOldest = LogLine(0, "ann", "http://host7/index.html", "TCP_HIT/200", 1234) +
                            LogLine(3, "ann", "http://host7/big.iso", "TCP_MEM_HIT/200", 3000000) +
                            LogLine(5, "bob", "http://deny.example.com/index.html", "TCP_DENIED/403", 999);
const std::string kMiddle = LogLine(9, "ann", "ftp://files.example.com/pub/index.txt", "TCP_REFRESH_HIT/200", 4321) +
                            "garbage line\n\n" +
                            LogLine(70, "dora", "http://host8.example.com/index.php", "TCP_MISS/200", 800);

TEST_F(Batch, ASetOfFilesOrADirectoryReportsAsTheirConcatenation)
{
    mkdir(home_.PathOf("rot").c_str(), 0755);
    home_.WriteFile("rot/access.log.2.gz", GzipMember(kOldest));
    home_.WriteFile("rot/access.log.1", kMiddle);
    home_.WriteFile("rot/access.log", MoreLines());
    home_.WriteFile("whole.log", kOldest + kMiddle + MoreLines());
    const std::string rot = home_.PathOf("rot");
    const std::vector<std::string> logs[] = {
        {rot},
        {rot + "/access.log", rot + "/access.log.2.gz", rot + "/access.log.1"},
        {rot + "/access.log.1", rot + "/access.log", rot + "/access.log.2.gz", rot + "/access.log.1"},
    };
    const std::vector<std::string> ranges[] = {
        {},
        {"--from", "@" + std::to_string(kStart + 3), "--to", "@" + std::to_string(kStart + 85)},
        {"--format", "csv", "--from", "@" + std::to_string(kStart + 9)},
    };
    for (const auto& range : ranges) {
        std::vector<std::string> args = range;
        args.push_back(home_.PathOf("whole.log"));
        BatchRun whole = Report(args);
        ASSERT_EQ(whole.status, 0) << whole.err;
        for (const auto& log : logs) {
            args = range;
            args.insert(args.end(), log.begin(), log.end());
            BatchRun run = Report(args);
            EXPECT_EQ(run.status, 0) << log.size() << " " << run.err;
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(run.out, whole.out) << log.size() << " logs, from " << log[0];
        }
    }
}

TEST_F(Batch, AGzipLogLeavesThePrivateDirectoryAsItWas)
{
    const std::string text = kLog;
    home_.WriteFile("access.log.1.gz", GzipMember(text));
    const std::string gz = home_.PathOf("access.log.1.gz");
    BatchRun plain = Report({log_});
    ASSERT_EQ(plain.status, 0) << plain.err;
    // First with no index kept, then with the one the full-screen program
    // keeps: neither is written, trimmed or touched.
    for (bool kept : {false, true}) {
        if (kept) {
            home_.Link("log1", gz);
            Launch(24, 80);
            ExitCleanly();
            term_.reset();
            ASSERT_EQ(Entries(home_.PrivateDir() + "/gzindex").size(), 1u);
        }
        std::string before = Snapshot(home_.PrivateDir());
        for (const std::vector<std::string>& args : {std::vector<std::string>{gz}, std::vector<std::string>{}}) {
            BatchRun run = Report(args);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(run.out, plain.out) << "kept " << kept << ", " << args.size() << " operands";
            EXPECT_EQ(Snapshot(home_.PrivateDir()), before) << "kept " << kept;
        }
    }
}

TEST_F(Batch, AReportThatCannotBeWrittenWholeLeavesNothingUnderItsName)
{
    // A file size limit below the report's size: the write fails, the old
    // file stays, and no temporary file is left beside it.
    home_.WriteFile("old.txt", "old report\n");
    BatchRun limited = Report({"-o", home_.PathOf("old.txt")}, [] {
        struct rlimit limit = {300, 300};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err, "ferntrack: " + home_.PathOf("old.txt") + ": File too large\n");
    EXPECT_EQ(home_.ReadFile("old.txt"), "old report\n");
    // A full standard output, through a device node of the test's own.
    const std::string nodes = MakeScratchDir("ferntrack-full");
    const std::string device = MakeFullDevice(nodes);
    if (!device.empty()) {
        BatchRun full = Report({}, [device] {
            int fd = open(device.c_str(), O_WRONLY);
            dup2(fd, 1);
        });
        EXPECT_EQ(full.status, 1);
        EXPECT_EQ(full.err, "ferntrack: standard output: No space left on device\n");
    }
    RemoveScratchDir(nodes);
    // Without the limit the same run replaces the file; a link to it stays a link.
    ASSERT_EQ(symlink("old.txt", home_.PathOf("link.txt").c_str()), 0);
    BatchRun whole = Report({"-o", home_.PathOf("link.txt")});
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(home_.LinkTarget("link.txt"), "old.txt");
    EXPECT_EQ(home_.ReadFile("old.txt"), Report({}).out);
    BatchRun filtered = Report({"--user", "ann", "-o", home_.PathOf("ann.txt")});
    EXPECT_EQ(filtered.status, 0) << filtered.err;
    struct stat st;
    ASSERT_EQ(stat(home_.PathOf("ann.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(home_.ReadFile("ann.txt").rfind("Web usage report on \"ann\" who is Sales desk\n\n", 0), 0u);
    std::vector<std::string> expected = {".ferntrack", "access.log", "ann.txt", "link.txt", "old.txt"};
    EXPECT_EQ(Entries(home_.Path()), expected);
}

// A run slow enough to be caught under way: every line against many words
// (not so many that a sanitizer build takes minutes).
class SlowBatch : public Batch {
protected:
    void SetUp() override
    {
        Batch::SetUp();
        std::string log = KeptSampleLog(250000);
        ASSERT_FALSE(log.empty()) << "cannot write the log in " << FERNTRACK_BUILD_DIR;
        home_.Link("log1", log);
        home_.WriteFile(kWordsFile, UnmatchedWords(500));
    }
};

TEST_F(SlowBatch, CtrlCEndsWith130AndRemovesTheTemporaryFile)
{
    std::atomic<pid_t> pid{-1};
    std::string out = home_.PathOf("out.html");
    std::thread interrupt([&] {
        // The temporary file appears before the scan starts.
        for (int i = 0; i < 20000; ++i) {
            std::vector<std::string> names = Entries(home_.Path());
            bool temp = std::any_of(names.begin(), names.end(),
                                    [](const std::string& n) { return n.rfind("out.html.", 0) == 0; });
            if (temp && pid > 0) {
                kill(pid, SIGINT);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    BatchRun run = RunReport({"--format", "html", "-o", out}, home_.Environment(), {}, &pid);
    interrupt.join();
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(Entries(home_.Path()), (std::vector<std::string>{".ferntrack", "access.log"}));
}

TEST_F(SlowBatch, ProgressOnATerminalIsClearedAtTheEnd)
{
    auto term = StartFerntrack(home_.Environment(), 24, 80, {"report", "-o", home_.PathOf("out.txt")});
    EXPECT_TRUE(term->WaitFor(" lines/s ", 30)) << term->Screen();
    // Minutes, not seconds: a sanitizer build on a busy machine is slow.
    EXPECT_EQ(term->WaitExit(300), 0) << term->Screen();
    // Redrawn now and then, not for every line.
    size_t draws = 0;
    for (size_t at = 0; (at = term->Output().find(" lines/s ", at)) != std::string::npos; ++at)
        ++draws;
    EXPECT_LE(draws, 250000u / 4096u);
    EXPECT_EQ(term->Screen().find_first_not_of(" \n"), std::string::npos) << term->Screen();
    EXPECT_EQ(home_.ReadFile("out.txt").rfind("For Fri Oct  8 11:11 2010 to ", 0), 0u);
}

TEST_F(SlowBatch, NoProgressBetweenTheLinesOfAReportOnTheTerminal)
{
    auto term = StartFerntrack(home_.Environment(), 24, 80, {"report", "--set", "iRepBDT=0"});
    EXPECT_EQ(term->WaitExit(300), 0) << term->Screen();
    term->Pump(0.2);
    EXPECT_NE(term->Output().find(" bytes not skipped domains"), std::string::npos) << term->Screen();
    EXPECT_EQ(term->Output().find(" lines/s "), std::string::npos);
}

// A command's exit status, its output in out; -1 when it cannot run.
int Shell(const std::string& command, std::string* out = nullptr)
{
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr)
        return -1;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        if (out != nullptr)
            out->append(buf, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Have(const std::string& program)
{
    std::string path;
    return Shell("command -v " + program + " 2>&1", &path) == 0;
}

class HtmlBatch : public Batch {
protected:
    void SetUp() override
    {
        Batch::SetUp();
        // A URL that would run a script, and one that would close an
        // attribute and add an element with a handler.
        home_.AppendFile("access.log",
                         LogLine(200, "eve", "http://evil.example.com/index<script>document.body.setAttribute('data-ran','yes')</script>") +
                             LogLine(201, "eve\"<b>", "http://evil.example.com/index\"><img/src=x/onerror=document.body.setAttribute('data-ran','yes')>"));
        page_ = home_.PathOf("report.html");
        BatchRun run = Report({"--format", "html", "-o", page_});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    std::string page_;
};

TEST_F(HtmlBatch, TidyFindsNoError)
{
    if (!Have("tidy"))
        GTEST_SKIP() << "tidy is not installed (Debian package tidy): the page's markup is not checked";
    std::string messages;
    int status = Shell("tidy -q -e " + page_ + " 2>&1", &messages);
    // tidy: 0 clean, 1 warnings only, 2 errors.
    EXPECT_LT(status, 2) << messages;
    EXPECT_GE(status, 0) << "tidy did not run";
}

TEST_F(HtmlBatch, ABrowserShowsItAndRunsNothingFromTheLog)
{
    if (!Have("chromium"))
        GTEST_SKIP() << "chromium is not installed (Debian package chromium): the page is not opened in a browser";
    const std::string shot = std::string(FERNTRACK_BUILD_DIR) + "/batch-report-screenshot.png";
    unlink(shot.c_str());
    const std::string chromium = "timeout 90 chromium --headless --no-sandbox --disable-gpu --no-first-run "
                                 "--user-data-dir=" + home_.PathOf("chromium") + " ";
    Shell(chromium + "--window-size=1200,1800 --screenshot=" + shot + " file://" + page_ + " >" + home_.PathOf("chromium.out") + " 2>&1");
    struct stat st;
    EXPECT_EQ(stat(shot.c_str(), &st), 0) << "no screenshot at " << shot;
    EXPECT_GT(st.st_size, 10000);
    std::string dom;
    Shell(chromium + "--dump-dom file://" + page_ + " 2>" + home_.PathOf("chromium.err"), &dom);
    ASSERT_NE(dom.find("<table id=\"users\">"), std::string::npos) << dom.substr(0, 2000);
    EXPECT_EQ(dom.find("data-ran=\"yes\""), std::string::npos);
    EXPECT_EQ(dom.find("<img"), std::string::npos);
    EXPECT_NE(dom.find("index&lt;script&gt;document.body.setAttribute('data-ran','yes')&lt;/script&gt;"),
              std::string::npos);
    EXPECT_NE(dom.find("eve\"&lt;b&gt;"), std::string::npos);
}

}  // namespace
}  // namespace e2e
