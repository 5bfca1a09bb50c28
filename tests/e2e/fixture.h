// The program's world for end-to-end tests and the UI benchmark: a home of
// its own with the private directory, sample logs and the rows and status
// lines the browse window makes of them, starting the program, waiting for
// its browse window and ending it with ctrl-x.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frame/buildinfo.h"
#include "harness.h"

namespace e2e {

// Files of the private directory, relative to HOME.
inline const std::string kConfFile = ".ferntrack/ferntrack.conf";
inline const std::string kWordsFile = ".ferntrack/words";
inline const std::string kUsersFile = ".ferntrack/users";
inline const std::string kAliasesFile = ".ferntrack/aliases";
// Where a first run points the HOWTO link: the data folder of this build's
// install prefix.
inline const std::string kHowtoTarget = std::string(FERNTRACK_DATA_DIR) + "/HOWTO";

// A home directory of its own for one test, removed with everything below
// it when the object goes.
class TempHome {
public:
    // HOME is a new folder under /tmp or, given a name, a folder of that
    // name inside it (for names with blanks or quotes).
    explicit TempHome(const std::string& homeName = "");
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& Path() const { return path_; }
    // HOME/.ferntrack
    std::string PrivateDir() const;
    // HOME/rel
    std::string PathOf(const std::string& rel) const;
    // Writes (replaces) or appends a file below HOME, making no directories.
    void WriteFile(const std::string& rel, const std::string& bytes) const;
    void AppendFile(const std::string& rel, const std::string& bytes) const;
    // Whole contents of a file below HOME; empty when it cannot be read.
    std::string ReadFile(const std::string& rel) const;
    bool Exists(const std::string& rel) const;
    // Target of a symbolic link below HOME; empty when it is not one.
    std::string LinkTarget(const std::string& rel) const;
    // Points the private directory's entry (log1, log2, log3, HOWTO) at the
    // target, replacing what was there; makes the directory (0755) first
    // when it is missing.
    void Link(const std::string& name, const std::string& target) const;
    // Writes HOME/access.log with the given bytes and makes the private
    // directory as a first run would, with log1 pointing at that file, log2
    // and log3 pointing at "log1" and HOWTO at kHowtoTarget. Returns the
    // log's path.
    std::string MakePrivateDir(const std::string& logBytes) const;
    // HOME=..., TZ=UTC, TERM=xterm.
    Env Environment() const;

private:
    std::string root_;
    std::string path_;
};

// ---- Starting and ending the program ----

// The program under test with the given environment and arguments.
std::unique_ptr<Terminal> StartFerntrack(const Env& env, int rows = 24, int cols = 80,
                                         const std::vector<std::string>& args = {});
// The program under test with home's environment.
std::unique_ptr<Terminal> StartFerntrack(const TempHome& home, int rows = 24, int cols = 80,
                                         const std::vector<std::string>& args = {});
// The bottom row, where the browse window keeps its status line.
std::string StatusRow(Terminal& term);
// Whether the bottom row holds the browse window's status line (and not a
// prompt, a progress line or a message).
bool BrowseShown(Terminal& term);
// Waits until it does.
bool WaitForBrowse(Terminal& term, double seconds = 8.0);
// Presses ctrl-x and returns the exit status as WaitExit gives it.
int ExitCleanly(Terminal& term);

// ---- Logs ----

// Time of the first sample request.
constexpr long long kStart = 1286536308;

// Request number n in the proxy's native layout, at kStart + n, ended by a
// line feed so that logs are built by joining lines. The client is
// 192.168.1.<n % 250 + 1> unless given.
std::string LogLine(int n, const std::string& user, const std::string& url,
                    const std::string& result = "TCP_MISS/200", long long bytes = 1000,
                    const std::string& client = "");
// The sample request n (no line end): user "user<n % 100, two digits>", URL
// http://host<n>.example.com/p<n, four digits>.html, size 1000 + n.
std::string SampleLine(int n);
// Lines 0 to count - 1 of SampleLine, each ended by a line feed.
std::string SampleLog(int count);
// Byte offset of SampleLine(n) in SampleLog.
long long OffsetOf(int n);
// SampleLog(lines) as a file in the build folder, kept between runs and
// written again only when it is missing or differs. Its path, or empty when
// it cannot be written.
std::string KeptSampleLog(int lines);
// A words file of count words, none of which occurs in a sample line: every
// line of a scan is tested against all of them, so a long scan is slow.
std::string UnmatchedWords(int count);

// ---- What the browse window shows ----

// The text cut or padded with blanks to the width, as a screen row holds it.
std::string Fit(std::string text, size_t width);
// A row of the browse window on a screen cols wide, without its last
// column (which stays empty): the user fitted to its column, the four
// marks, the URL as shown (without its scheme).
std::string BrowseRow(const std::string& user, const std::string& shownUrl, int cols = 80, int userWidth = 8,
                      const std::string& marks = "    ");
// How a row shows SampleLine(n): a small miss matches no word and no size.
std::string SampleRow(int n, int cols = 80);
// The status line without its last column: percentage and time on the
// left, "Mon " (in monitor mode), the slot name and " | h = help" on the
// right, where they fit.
std::string StatusLine(const std::string& percent, const std::string& time, bool monitor, const std::string& slot,
                       int cols = 80);
// Percentage of part in whole, cut to two decimals: " 12.34%".
std::string Percent(long long part, long long whole);
// A time stamp as the status line shows it in UTC: Www Mmm dd hh:mm yyyy.
std::string StatusTime(long long seconds);

}  // namespace e2e
