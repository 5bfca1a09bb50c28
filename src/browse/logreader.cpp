#include "browse/logreader.h"

#include <algorithm>

#include "entries/fields.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

const char* sCurrentLogName = "Pri";
int64_t iLastLineStart = 0;
int64_t iTopOffset = 0;
int64_t iEndTop = 0;
int64_t iCursorOffset = 0;
int iCursorRow = 0;
int iMaxRow = 0;
int iPageRows = 0;
int iScreenKey = -1;

namespace {

// Run when another slot becomes current (SetLogSwitchHook).
// Few things follow the log; constant-initialised, so that a hook added
// while the program's statics are made is never lost.
constexpr int kMaxLogSwitchHooks = 4;
void (*logSwitchHooks[kMaxLogSwitchHooks])() = {};
int logSwitchHookCount = 0;

// The selected request moved with the text; the next measure puts the
// view around it again.
bool placeCursor = false;

// The view stays on the request it showed when the text moves.
const int viewFollower = FollowLogOffsets([](const std::function<int64_t(int64_t)>& move) {
    iTopOffset = move(iTopOffset);
    iCursorOffset = move(iCursorOffset);
    placeCursor = true;
});

// Shows the line at p on the cursor's row, or as near to it as the lines
// before p allow.
void PlaceCursorAt(int64_t p)
{
    if (p >= iEndTop) {
        ShowOffset(p);
        return;
    }
    int64_t top = p;
    int row = 0;
    while (row < iCursorRow && top > 0) {
        int64_t prev = PrevLine(top);
        if (prev >= top)
            break;
        top = prev;
        ++row;
    }
    iTopOffset = top;
    iCursorRow = row;
}

// A message about the log (how it was opened, where it is damaged) goes to
// the status line once, at the main loop's next measure.
void PassOnLogMessage()
{
    std::string m = TakeLogMessage();
    if (!m.empty())
        sStatusMessage = m;
}

// The page part of a measure: the last line, the last page and the cursor's
// limits for the size just measured.
void MeasurePage()
{
    int64_t size = iLogSize;
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

} // namespace

void MeasureLog()
{
    MeasureText();
    MeasurePage();
    if (placeCursor) {
        placeCursor = false;
        PlaceCursorAt(iCursorOffset);
    }
}

void CatchUpLog()
{
    if (!LogIsWhole())
        CompleteLog();
    else if (LogSizeNow() != iLogSize)
        MeasureLog();
}

bool CompleteLog()
{
    bool grew = CompleteText();
    MeasurePage();
    return grew;
}

void AddLogSwitchHook(void (*hook)())
{
    if (logSwitchHookCount < kMaxLogSwitchHooks)
        logSwitchHooks[logSwitchHookCount++] = hook;
}

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
    }
    DropReadAhead();
    MeasureLog();
    for (int i = 0; i < logSwitchHookCount; ++i)
        logSwitchHooks[i]();
    // A log whose reading the user stopped shows its beginning: its end is
    // not known yet.
    if (iMonitorMode != 0 && LogIsWhole())
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
    bool changed = LogChanged();
    if (resized || changed)
        MeasureLog();
    if (resized)
        SwitchLog(-1);
    // Told here, once per message, so that it reaches the next draw.
    PassOnLogMessage();
    return resized;
}
