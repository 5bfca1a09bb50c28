#include "fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "support/tempdir.h"

namespace e2e {

namespace {

std::string NativeLine(long long time, const std::string& client, const std::string& result, long long bytes,
                       const std::string& url, const std::string& user)
{
    char head[128];
    std::snprintf(head, sizeof head, "%lld.123     45 ", time);
    return head + client + " " + result + " " + std::to_string(bytes) + " GET " + url + " " + user
        + " DIRECT/10.0.0.1 text/html";
}

std::string SampleClient(int n) { return "192.168.1." + std::to_string(n % 250 + 1); }

}  // namespace

// ---- TempHome ----

TempHome::TempHome(const std::string& homeName) : root_(MakeScratchDir("ferntrack-e2e")), path_(root_)
{
    if (homeName.empty())
        return;
    path_ = root_ + "/" + homeName;
    if (::mkdir(path_.c_str(), 0755) != 0) {
        RemoveScratchDir(root_);
        throw std::runtime_error("cannot make " + path_);
    }
}

TempHome::~TempHome() { RemoveScratchDir(root_); }

std::string TempHome::PrivateDir() const { return path_ + "/.ferntrack"; }

std::string TempHome::PathOf(const std::string& rel) const { return path_ + "/" + rel; }

void TempHome::WriteFile(const std::string& rel, const std::string& bytes) const
{
    if (!WriteWholeFile(PathOf(rel), bytes))
        throw std::runtime_error("cannot write " + PathOf(rel));
}

void TempHome::AppendFile(const std::string& rel, const std::string& bytes) const
{
    if (!WriteWholeFile(PathOf(rel), bytes, true))
        throw std::runtime_error("cannot append to " + PathOf(rel));
}

std::string TempHome::ReadFile(const std::string& rel) const { return ReadWholeFile(PathOf(rel)); }

bool TempHome::Exists(const std::string& rel) const
{
    struct stat st;
    return ::lstat(PathOf(rel).c_str(), &st) == 0;
}

std::string TempHome::LinkTarget(const std::string& rel) const
{
    char buf[4096];
    ssize_t n = ::readlink(PathOf(rel).c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

void TempHome::Link(const std::string& name, const std::string& target) const
{
    std::string dir = PrivateDir();
    std::string link = dir + "/" + name;
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 && ::mkdir(dir.c_str(), 0755) != 0)
        throw std::runtime_error("cannot make " + dir);
    ::unlink(link.c_str());
    if (::symlink(target.c_str(), link.c_str()) != 0)
        throw std::runtime_error("cannot link " + link);
}

std::string TempHome::MakePrivateDir(const std::string& logBytes) const
{
    WriteFile("access.log", logBytes);
    Link("log1", PathOf("access.log"));
    Link("log2", "log1");
    Link("log3", "log1");
    Link("HOWTO", kHowtoTarget);
    return PathOf("access.log");
}

Env TempHome::Environment() const { return {"HOME=" + path_, "TZ=UTC", "TERM=xterm"}; }

// ---- Starting and ending the program ----

std::unique_ptr<Terminal> StartFerntrack(const Env& env, int rows, int cols, const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {FERNTRACK_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return std::make_unique<Terminal>(argv, env, rows, cols);
}

std::unique_ptr<Terminal> StartFerntrack(const TempHome& home, int rows, int cols,
                                         const std::vector<std::string>& args)
{
    return StartFerntrack(home.Environment(), rows, cols, args);
}

std::string StatusRow(Terminal& term) { return term.Row(term.Rows() - 1); }

bool BrowseShown(Terminal& term) { return StatusRow(term).find(" | h = help") != std::string::npos; }

bool WaitForBrowse(Terminal& term, double seconds)
{
    return term.WaitUntil([&] { return BrowseShown(term); }, seconds);
}

int ExitCleanly(Terminal& term)
{
    term.Send(key::CtrlX);
    return term.WaitExit();
}

// ---- Logs ----

std::string LogLine(int n, const std::string& user, const std::string& url, const std::string& result,
                    long long bytes, const std::string& client)
{
    return NativeLine(kStart + n, client.empty() ? SampleClient(n) : client, result, bytes, url, user) + "\n";
}

std::string SampleLine(int n)
{
    char url[64];
    char user[16];
    std::snprintf(url, sizeof url, "http://host%d.example.com/p%04d.html", n, n);
    std::snprintf(user, sizeof user, "user%02d", n % 100);
    return NativeLine(kStart + n, SampleClient(n), "TCP_MISS/200", 1000 + n, url, user);
}

std::string SampleLog(int count)
{
    std::string log;
    for (int n = 0; n < count; ++n)
        log += SampleLine(n) + "\n";
    return log;
}

long long OffsetOf(int n) { return static_cast<long long>(SampleLog(n).size()); }

// ---- What the browse window shows ----

std::string Fit(std::string text, size_t width)
{
    text.resize(width, ' ');
    return text;
}

std::string KeptSampleLog(int lines)
{
    const std::string path = std::string(FERNTRACK_BUILD_DIR) + "/e2e-sample-" + std::to_string(lines) + ".log";
    const std::string log = SampleLog(lines);
    if (ReadWholeFile(path) == log)
        return path;
    std::string part = path + "." + std::to_string(::getpid());
    bool ok = WriteWholeFile(part, log) && ::rename(part.c_str(), path.c_str()) == 0;
    ::unlink(part.c_str());
    return ok ? path : std::string();
}

std::string UnmatchedWords(int count)
{
    std::string words;
    for (int n = 0; n < count; ++n)
        words += "zq" + std::to_string(100000 + n) + "\n";
    return words;
}

std::string BrowseRow(const std::string& user, const std::string& shownUrl, int cols, int userWidth,
                      const std::string& marks)
{
    return Fit(Fit(user, static_cast<size_t>(userWidth)) + " " + marks + " " + shownUrl,
               static_cast<size_t>(cols - 1));
}

std::string SampleRow(int n, int cols)
{
    char user[16];
    char url[64];
    std::snprintf(user, sizeof user, "user%02d", n % 100);
    std::snprintf(url, sizeof url, "host%d.example.com/p%04d.html", n, n);
    return BrowseRow(user, url, cols);
}

std::string StatusLine(const std::string& percent, const std::string& time, bool monitor, const std::string& slot,
                       int cols)
{
    std::string status = Fit(percent + " " + time, static_cast<size_t>(cols - 1));
    std::string tail = std::string(monitor ? "Mon " : " ") + slot + " | h = help";
    if (tail.size() <= status.size())
        status.replace(status.size() - tail.size(), tail.size(), tail);
    return status;
}

std::string Percent(long long part, long long whole)
{
    long long hundredths = part * 10000 / whole;
    char text[48];
    std::snprintf(text, sizeof text, "%3lld.%02lld%%", hundredths / 100, hundredths % 100);
    return text;
}

std::string StatusTime(long long seconds)
{
    time_t t = static_cast<time_t>(seconds);
    struct tm tm;
    gmtime_r(&t, &tm);
    char text[64];
    strftime(text, sizeof text, "%a %b %e %H:%M %Y", &tm);
    return text;
}

}  // namespace e2e
