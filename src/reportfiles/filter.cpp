#include "reportfiles/filter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string_view>

#include "frame/message.h"
#include "entries/aliases.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"
#include "frame/scan.h"

namespace {

bool IsWeekday(const std::string& f)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (const char* d : days)
        if (f == d)
            return true;
    return false;
}

// Position of the first non-blank byte; the length when there is none.
size_t Indentation(const std::string& line)
{
    size_t i = line.find_first_not_of(' ');
    return i == std::string::npos ? line.size() : i;
}

// The destination file and whether every write reached it.
struct Output {
    int fd = -1;
    bool failed = false;
    std::string name;
};

void WriteOut(Output& out, std::string_view text)
{
    while (!text.empty()) {
        ssize_t n = ::write(out.fd, text.data(), text.size());
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            out.failed = true;
            sStatusMessage = "Can't write to  " + out.name;
            return;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
}

// The reading state of one pass over the source.
struct Filter {
    std::string user;
    Output* out = nullptr;
    std::string lastTime;
    size_t lastIndent = 0;
    bool inEntry = false;
    bool inTotals = false;
    bool made = false;
    // The progress label, and whether the user stopped the pass with 's'.
    std::string label;
    bool stopped = false;
};

// Handles one completed line; false once the user's total is written.
bool FilterLine(Filter& filter, const std::string& line)
{
    std::string f1, f2, f3;
    const char* text = line.c_str();
    GetField(text, 1, f1);
    GetField(text, 2, f2);
    GetField(text, 3, f3);
    bool timeLine = IsWeekday(f2);
    if (f1 == "For" && timeLine) {
        WriteOut(*filter.out, line);
        WriteOut(*filter.out, "\n\n");
    } else if (timeLine) {
        filter.lastTime = line;
        filter.lastIndent = Indentation(line);
    }
    bool userLine = !filter.user.empty() && (f1 == filter.user || f2 == filter.user || f3 == filter.user);
    if (userLine && filter.inTotals) {
        std::string number = !f1.empty() ? f1 : !f2.empty() ? f2 : "unkown";
        WriteOut(*filter.out, "Total bytes including small requests: " + number + "\n\n");
        filter.made = true;
        return false;
    }
    if (userLine) {
        WriteOut(*filter.out, filter.lastTime + "\n" + line + "\n");
        filter.made = true;
        filter.inEntry = true;
        return true;
    }
    if (timeLine || Indentation(line) != filter.lastIndent)
        filter.inEntry = false;
    bool summary;
    if (!f1.empty()) {
        summary = f2 == "scanned" && f3 == "bytes,";
    } else {
        std::string f4;
        GetField(text, 4, f4);
        summary = f3 == "scanned" && f4 == "bytes,";
    }
    if (summary) {
        filter.inTotals = true;
        WriteOut(*filter.out, "\n");
    } else if (filter.inEntry) {
        WriteOut(*filter.out, line + "\n");
    }
    return true;
}

// Longer than any line a report run writes; the rest of a longer line is
// dropped.
constexpr size_t kLongestLine = size_t{1} << 16;

// Feeds the source's lines to the filter, up to the size the file had when
// it was opened (a report still growing does not keep the pass going). A
// long report is a long scan like any other: it shows its progress and
// stops at 's'.
void ReadLines(int fd, Filter& filter)
{
    struct stat st;
    int64_t size = fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
    int64_t left = size;
    std::string line;
    char buf[65536];
    while (left > 0) {
        ssize_t n = ::read(fd, buf, static_cast<size_t>(std::min<int64_t>(left, sizeof buf)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        left -= n;
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] != '\n') {
                // A file without line ends (a log or garbage named as the
                // report) must not make one line as big as the file.
                if (line.size() < kLongestLine)
                    line += buf[i];
                continue;
            }
            if (!FilterLine(filter, line))
                return;
            line.clear();
            if (ScanStep(filter.label.c_str(), size - left - (n - i - 1), size)) {
                filter.stopped = true;
                return;
            }
        }
    }
    // The end of the file completes a last line, even an empty one.
    FilterLine(filter, line);
}

} // namespace

bool FilterReport(const std::string& source, const std::string& destination, const std::string& user,
                  bool* stopped)
{
    if (stopped != nullptr)
        *stopped = false;
    int in = OpenRegularRead(sPrivateDir + "/" + source);
    if (in < 0) {
        sStatusMessage = "Can't open " + source + " for reading.";
        return false;
    }
    Output out;
    out.name = destination;
    std::string outPath = sPrivateDir + "/" + destination;
    // The destination may be the source under another name (a link, a
    // hard link, "./"): truncating it would destroy the report being read.
    struct stat inSt, outSt;
    bool sameFile = fstat(in, &inSt) == 0 && stat(outPath.c_str(), &outSt) == 0 &&
                    inSt.st_dev == outSt.st_dev && inSt.st_ino == outSt.st_ino;
    out.fd = sameFile ? -1 : OpenReportWrite(outPath);
    if (out.fd < 0) {
        sStatusMessage = "Can't open " + destination + " for writing.";
        ::close(in);
        return false;
    }
    std::string fullName = FullNameOf(user);
    if (fullName.empty())
        WriteOut(out, "Web usage report on " + user + "\n\n");
    else
        WriteOut(out, "Web usage report on \"" + user + "\" who is " + fullName + "\n\n");
    Filter filter;
    filter.user = user;
    filter.out = &out;
    filter.label = "Filtering for " + user;
    BeginScan();
    ReadLines(in, filter);
    // An 's' typed during a pass too short to poll stops it as well.
    if (EndScan())
        filter.stopped = true;
    ::close(in);
    if (::close(out.fd) != 0 && !out.failed) {
        out.failed = true;
        sStatusMessage = "Can't write to  " + destination;
    }
    if (filter.stopped) {
        if (stopped != nullptr)
            *stopped = true;
        sStatusMessage = "Filter canceled.";
        return false;
    }
    // A report that lost lines is not offered as made.
    return filter.made && !out.failed;
}
