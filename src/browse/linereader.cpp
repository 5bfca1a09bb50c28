#include "browse/linereader.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "browse/logsource.h"
#include "browse/indexcache.h"
#include "browse/opensource.h"
#include "entries/fields.h"
#include "entries/texts.h"

const char* sCurrentLogPath = nullptr;
const char* sCurrentLine = "";
int64_t iLogSize = 0;

namespace {

// One line as handed to callers, with room for its terminating NUL.
char lineBuffer[kLineMax + 1];

// The source of the current log and the path pointer it was opened for.
std::unique_ptr<LogSource> source;
const char* sourcePath = nullptr;
// Messages of the current log's sources not yet taken by the view.
std::string pendingMessage;

// The log as MeasureText last found it.
LogStamp measuredStamp;

// Read-ahead window: consecutive steps are served from memory instead of
// one read per line. It is only trusted while the log is in the state
// (size, file, modification time) it was in when the window was filled.
constexpr int64_t kWindowSize = int64_t{256} * 1024;
char window[kWindowSize];
int64_t windowStart = 0;
int64_t windowLen = 0;
bool windowValid = false;
bool windowAtEof = false; // the fill read stopped short: the text ended there
int64_t windowLogSize = -1;
LogStamp windowStamp;

const char emptyText[] = "";

void NoteMessage(LogSource& s)
{
    std::string m = s.TakeMessage();
    if (!m.empty())
        pendingMessage = m;
}

void OpenSource()
{
    DropReadAhead();
    source.reset();
    pendingMessage.clear(); // what was said of the old file is no longer true
    source = OpenLogSource(sCurrentLogPath != nullptr ? sCurrentLogPath : "");
    sourcePath = sCurrentLogPath;
    // A log that must be read through before its size is known (a
    // compressed one without a kept index) is read now, with progress.
    if (!source->Whole())
        source->Complete();
    NoteMessage(*source);
}

LogSource& Source()
{
    if (source == nullptr || sourcePath != sCurrentLogPath)
        OpenSource();
    return *source;
}

// Looks at the path and lets the source take in what it finds; a source
// that cannot follow the change is replaced by a fresh one.
LogStamp LookNow()
{
    LogStamp now = Source().Look();
    if (!source->Take(now)) {
        OpenSource();
        now = source->Look();
        source->Take(now);
    }
    return now;
}

// Fills the window with the bytes from start on. False when nothing was read.
bool FillWindow(int64_t start)
{
    windowValid = false;
    int64_t got = Source().ReadAt(start, window, kWindowSize);
    if (got < 0)
        return false;
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
// text. forward tells which way the caller is stepping, so a refill keeps
// the bytes it will want next.
int64_t ReadAt(int64_t offset, int64_t n, bool forward, const char** bytes)
{
    if (offset < 0 || n <= 0)
        return 0;
    if (windowValid && (windowLogSize != iLogSize || windowStamp != measuredStamp))
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

} // namespace

void DropReadAhead()
{
    windowValid = false;
}

void CloseLog()
{
    source.reset();
    sourcePath = nullptr;
    pendingMessage.clear();
    DropReadAhead();
}

void CloseLogOnSignal()
{
    RemoveIndexTempNow();
}

int64_t NextLine(int64_t offset)
{
    sCurrentLine = emptyText;
    if (offset >= iLogSize || offset < 0)
        return 0;
    int64_t n = std::min<int64_t>(iLogSize - offset, kLineMax);
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
    if (offset <= 0)
        return 0;
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

int64_t LogSizeNow()
{
    LookNow();
    return source->Size();
}

int64_t LogIdentityNow(uint64_t& device, uint64_t& inode)
{
    LogStamp now = LookNow();
    device = now.device;
    inode = now.inode;
    return source->Size();
}

bool LogChanged()
{
    LogStamp now = LookNow();
    return source->Size() != iLogSize || now != measuredStamp;
}

void MeasureText()
{
    LogStamp now = LookNow();
    if (now != measuredStamp)
        DropReadAhead();
    measuredStamp = now;
    iLogSize = source->Size();
}

bool LogIsWhole()
{
    return Source().Whole();
}

bool CompleteText()
{
    if (Source().Whole())
        return false;
    source->Complete();
    NoteMessage(*source);
    int64_t before = iLogSize;
    MeasureText();
    return iLogSize != before;
}

std::string TakeLogMessage()
{
    std::string m;
    m.swap(pendingMessage);
    return m;
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
