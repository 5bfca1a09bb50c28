#include "browse/logreader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"
#include "frame/settings.h"
#include "report/range.h"

const char* sCurrentLogPath = nullptr;
const char* sCurrentLogName = "Pri";
const char* sCurrentLine = "";
int64_t iLogSize = 0;
int64_t iLastLineStart = 0;
int64_t iTopOffset = 0;
int64_t iEndTop = 0;
int64_t iCursorOffset = 0;
int iCursorRow = 0;
int iMaxRow = 0;
int iPageRows = 0;
int iScreenKey = -1;
int iLogDescriptor = -1;

namespace {

// One line as handed to callers, with room for its terminating NUL.
char lineBuffer[kLineMax + 1];

// Path pointer the descriptor was opened for; null after a failed open.
const char* openedPath = nullptr;
// Identity of the file behind the open descriptor, to notice a rotation.
dev_t openedDev = 0;
ino_t openedIno = 0;
// Run when another slot becomes current (SetLogSwitchHook).
void (*logSwitchHook)() = nullptr;

// What tells one state of the log file from another: the file behind the
// path, its size and its modification time. A log rewritten in place at the
// same size differs by its time; one replaced by another file by identity.
struct LogStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    int64_t size = -1;
    int64_t mtimeSec = 0;
    long mtimeNsec = 0;
};

bool operator==(const LogStamp& a, const LogStamp& b)
{
    return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.mtimeSec == b.mtimeSec &&
           a.mtimeNsec == b.mtimeNsec;
}

// The log as MeasureLog last found it.
LogStamp measuredStamp;

// Read-ahead window: consecutive steps are served from memory instead of
// one system call per line. It is only trusted while the log is in the
// state (size, file, modification time) it was in when the window was
// filled.
constexpr int64_t kWindowSize = int64_t{256} * 1024;
char window[kWindowSize];
int64_t windowStart = 0;
int64_t windowLen = 0;
bool windowValid = false;
bool windowAtEof = false; // the fill read stopped short: the file ended there
int64_t windowLogSize = -1;
LogStamp windowStamp;

const char emptyText[] = "";

bool OpenLog()
{
    if (iLogDescriptor >= 0 && openedPath == sCurrentLogPath && openedPath != nullptr)
        return iLogDescriptor > 0;
    if (iLogDescriptor > 0)
        close(iLogDescriptor);
    DropReadAhead();
    // Only a regular file is a log: a FIFO or a device behind the link
    // reads as a log that cannot be opened, and the open never waits.
    iLogDescriptor = sCurrentLogPath ? OpenRegularRead(sCurrentLogPath) : -1;
    openedPath = nullptr;
    if (iLogDescriptor <= 0)
        return false;
    openedPath = sCurrentLogPath;
    struct stat st;
    if (fstat(iLogDescriptor, &st) == 0) {
        openedDev = st.st_dev;
        openedIno = st.st_ino;
    }
    return true;
}

// Fills the window with the bytes from start on. False when nothing was read.
bool FillWindow(int64_t start)
{
    windowValid = false;
    int64_t got = 0;
    while (got < kWindowSize) {
        ssize_t r = pread(iLogDescriptor, window + got, static_cast<size_t>(kWindowSize - got),
                          static_cast<off_t>(start + got));
        if (r < 0)
            return false;
        if (r == 0)
            break;
        got += r;
    }
    windowStart = start;
    windowLen = got;
    windowAtEof = got < kWindowSize;
    windowLogSize = iLogSize;
    windowStamp = measuredStamp;
    windowValid = true;
    return got > 0;
}

// Serves the bytes [offset, offset + n) as one positioned read would: a
// pointer to them and their count, which is short only at the end of the
// file. forward tells which way the caller is stepping, so a refill keeps
// the bytes it will want next.
int64_t ReadAt(int64_t offset, int64_t n, bool forward, const char** bytes)
{
    if (offset < 0 || n <= 0)
        return 0;
    if (windowValid && (windowLogSize != iLogSize || !(windowStamp == measuredStamp)))
        windowValid = false;
    int64_t windowEnd = windowStart + windowLen;
    bool covered = windowValid && offset >= windowStart &&
                   (offset + n <= windowEnd || (windowAtEof && offset <= windowEnd));
    if (!covered) {
        int64_t start = forward ? offset : std::max<int64_t>(0, offset + n - kWindowSize);
        if (!FillWindow(start))
            return 0;
        windowEnd = windowStart + windowLen;
        if (offset > windowEnd)
            return 0;
    }
    *bytes = window + (offset - windowStart);
    return std::min(n, windowEnd - offset);
}

// Size, identity and time of the file at the current slot's path (size -1
// when it cannot be opened as a regular file); replaced tells whether it is
// another file than the open descriptor's.
LogStamp MeasureFile(bool* replaced)
{
    *replaced = false;
    LogStamp stamp;
    if (sCurrentLogPath == nullptr)
        return stamp;
    int fd = OpenRegularRead(sCurrentLogPath);
    if (fd <= 0) {
        if (fd == 0)
            close(fd);
        return stamp;
    }
    struct stat st;
    if (fstat(fd, &st) == 0) {
        stamp.dev = st.st_dev;
        stamp.ino = st.st_ino;
        stamp.size = static_cast<int64_t>(st.st_size);
        stamp.mtimeSec = static_cast<int64_t>(st.st_mtim.tv_sec);
        stamp.mtimeNsec = st.st_mtim.tv_nsec;
        *replaced = openedPath == sCurrentLogPath && iLogDescriptor > 0 &&
                    (st.st_dev != openedDev || st.st_ino != openedIno);
    }
    close(fd);
    return stamp;
}

int64_t SizeOf(const LogStamp& stamp)
{
    return std::max<int64_t>(stamp.size, 0);
}

} // namespace

void DropReadAhead()
{
    windowValid = false;
}

void CloseLog()
{
    if (iLogDescriptor > 0)
        close(iLogDescriptor);
    iLogDescriptor = -1;
    openedPath = nullptr;
    DropReadAhead();
}

int64_t NextLine(int64_t offset)
{
    sCurrentLine = emptyText;
    if (offset >= iLogSize || offset < 0)
        return 0;
    int64_t n = std::min<int64_t>(iLogSize - offset, kLineMax);
    if (!OpenLog())
        return 0;
    const char* bytes = nullptr;
    int64_t len = ReadAt(offset, n, true, &bytes);
    if (len <= 0)
        return 0;
    const char* lf = static_cast<const char*>(memchr(bytes, '\n', static_cast<size_t>(len)));
    int64_t keep = lf ? lf - bytes : len;
    memcpy(lineBuffer, bytes, static_cast<size_t>(keep));
    lineBuffer[keep] = '\0';
    sCurrentLine = lineBuffer;
    // Without a line feed every byte read is kept (the buffer has room for
    // the NUL) and the next step starts right after them.
    return offset + (lf ? keep + 1 : len);
}

int64_t PrevLine(int64_t offset)
{
    sCurrentLine = emptyText;
    if (offset <= 0)
        return 0;
    int64_t n = std::min<int64_t>(offset, kLineMax);
    int64_t start = offset - n;
    if (!OpenLog())
        return offset;
    const char* bytes = nullptr;
    int64_t len = ReadAt(start, n, false, &bytes);
    // At the start of the log a line feed in byte 0 ends a first line of its
    // own, however short; further on, byte 0 may end the line before the
    // window or sit inside an over-long line, so the search starts at 1.
    int64_t from = start == 0 ? 0 : 1;
    if (len < (start == 0 ? 1 : 4))
        return offset;
    // The last line feed among bytes from to len - 2 (the byte at len - 1
    // ends the line before the offset).
    const void* found = len - 1 > from
                            ? memrchr(bytes + from, '\n', static_cast<size_t>(len - 1 - from))
                            : nullptr;
    if (found == nullptr)
        return start;
    int64_t j = static_cast<const char*>(found) - bytes;
    int64_t keep = len - (j + 1);
    memcpy(lineBuffer, bytes + j + 1, static_cast<size_t>(keep));
    lineBuffer[keep] = '\0';
    sCurrentLine = lineBuffer;
    return start + j + 1;
}

int64_t LineStartOf(int64_t offset)
{
    if (offset <= 0 || !OpenLog())
        return offset > 0 ? offset : 0;
    while (offset > 0) {
        int64_t n = std::min<int64_t>(offset, kLineMax);
        const char* bytes = nullptr;
        if (ReadAt(offset - n, n, false, &bytes) < n)
            return offset;
        const void* lf = memrchr(bytes, '\n', static_cast<size_t>(n));
        if (lf != nullptr)
            return offset - n + (static_cast<const char*>(lf) - bytes) + 1;
        offset -= n;
    }
    return 0;
}

int64_t LogFileSize()
{
    bool replaced = false;
    return SizeOf(MeasureFile(&replaced));
}

void MeasureLog()
{
    bool replaced = false;
    LogStamp stamp = MeasureFile(&replaced);
    if (replaced) {
        // The log was rotated or replaced: read the new file from now on.
        CloseLog();
    }
    if (!(stamp == measuredStamp))
        DropReadAhead();
    measuredStamp = stamp;
    int64_t size = SizeOf(stamp);
    iLogSize = size;
    if (size == 0) {
        iMaxRow = 0;
        iEndTop = iLastLineStart = 0;
        iCursorRow = 0;
        return;
    }
    iLastLineStart = PrevLine(size - 1);
    int64_t a = NextLine(0);
    for (int i = 0; i < iPageRows; ++i) {
        int64_t b = NextLine(a);
        if (b == a || b == 0) {
            iMaxRow = i;
            iEndTop = 0;
            if (iCursorRow > i)
                iCursorRow = i;
            return;
        }
        a = b;
    }
    // A screen without a log row still keeps the cursor on row 0.
    iMaxRow = std::max(iPageRows - 1, 0);
    if (iCursorRow > iMaxRow)
        iCursorRow = iMaxRow;
    int64_t top = size;
    for (int i = 0; i < iPageRows; ++i)
        top = PrevLine(top);
    iEndTop = top;
}

int64_t LogFileIdentity(uint64_t& device, uint64_t& inode)
{
    device = inode = 0;
    struct stat st;
    if (sCurrentLogPath == nullptr || stat(sCurrentLogPath, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    device = static_cast<uint64_t>(st.st_dev);
    inode = static_cast<uint64_t>(st.st_ino);
    return static_cast<int64_t>(st.st_size);
}

void CatchUpLog()
{
    if (LogFileSize() != iLogSize)
        MeasureLog();
}

void SetLogSwitchHook(void (*hook)()) { logSwitchHook = hook; }

void ViewEnd()
{
    iTopOffset = iEndTop;
    iCursorRow = iMaxRow;
}

void ViewHome()
{
    iTopOffset = 0;
    iCursorRow = 0;
}

void SwitchLog(int n)
{
    if (n >= 1 && n <= 3) {
        static const char* const names[3] = {"Pri", "Sec", "Tri"};
        const std::string* paths[3] = {&sLogPath1, &sLogPath2, &sLogPath3};
        sCurrentLogPath = paths[n - 1]->c_str();
        sCurrentLogName = names[n - 1];
        iCurrentLog = n;
        if (logSwitchHook != nullptr)
            logSwitchHook();
    }
    DropReadAhead();
    MeasureLog();
    iRepStart = 0;
    iRepFinish = 0;
    if (iMonitorMode != 0)
        ViewEnd();
    else
        ViewHome();
    // The layout is told by the first lines: a log gathered by a syslog
    // daemon may begin with a line of the daemon's own.
    std::string first[kLayoutLines];
    size_t count = 0;
    for (int64_t at = 0; count < kLayoutLines;) {
        int64_t next = NextLine(at);
        if (next <= at)
            break;
        first[count++] = sCurrentLine;
        at = next;
    }
    DetectLayoutOfLines(first, count);
    NextLine(0);
}

void ShowOffset(int64_t p)
{
    if (p < iEndTop) {
        iCursorRow = 0;
        if (iMaxRow < 2) {
            iTopOffset = p;
            return;
        }
        for (int k = iMaxRow / 2; k > 0; --k) {
            if (p == 0) {
                iTopOffset = 0;
                return;
            }
            p = PrevLine(p);
            ++iCursorRow;
        }
        iTopOffset = p;
        return;
    }
    iTopOffset = iEndTop;
    iCursorRow = 0;
    int64_t t = iEndTop;
    while (iCursorRow < iMaxRow && t != p) {
        t = NextLine(t);
        ++iCursorRow;
    }
}

bool RefreshLogState(int cols, int lines)
{
    bool resized = false;
    int key = cols * 65536 + lines;
    if (key != iScreenKey) {
        iScreenKey = key;
        iPageRows = std::max(lines - 1, 0);
        resized = true;
    }
    // A log that grew, shrank, was rewritten in place or replaced is
    // measured again; the view stays where it is.
    bool replaced = false;
    LogStamp stamp = MeasureFile(&replaced);
    bool changed = SizeOf(stamp) != iLogSize || !(stamp == measuredStamp);
    if (!resized && !changed)
        return false;
    MeasureLog();
    if (!resized)
        return false;
    SwitchLog(-1);
    return true;
}

std::string LogTimeText(const char* line)
{
    if (iLogSize == 0 || IsBlank(line))
        return {};
    return TimeText(GetTime(line));
}

std::string LogTimeTextAt(int64_t offset)
{
    if (iLogSize == 0)
        return {};
    NextLine(offset);
    return LogTimeText(sCurrentLine);
}
