#include "browse/search.h"

#include "browse/logreader.h"
#include "entries/words.h"
#include "frame/scan.h"

namespace {

bool LineIsHit()
{
    return IsHitLine(sCurrentLine);
}

// A search that found nothing ends at the end it ran into; when the log
// shrank under it (a copy-and-truncate rotation), at the new end.
void EndSearch(bool down)
{
    if (LogSizeNow() < iLogSize) {
        MeasureLog();
        down = true;
    }
    if (down)
        ViewEnd();
    else
        ViewHome();
}

} // namespace

void SearchHits(int direction)
{
    bool down = direction > 0;
    if (!down && iTopOffset == 0 && iCursorRow == 0)
        return;
    if (down && iTopOffset >= iEndTop && iCursorRow == iMaxRow)
        return;
    BeginScan();
    int64_t a = iCursorOffset;
    if (down)
        a = NextLine(a);
    // Going up, a step hands over the whole line at b only when a starts a
    // line and the line fits the step; otherwise (an over-long line, met in
    // pieces, or the selection on a later piece of one) the step goes on to
    // the line's start and reads its first bytes, as going down does.
    bool aStartsLine = down || LineStartOf(a) == a;
    for (;;) {
        int64_t b = down ? NextLine(a) : PrevLine(a);
        if (!down && b < a) {
            bool wholeLine = aStartsLine && sCurrentLine[0] != '\0';
            if (sCurrentLine[0] == '\0')
                b = LineStartOf(a - 1);
            if (!wholeLine)
                NextLine(b);
            aStartsLine = true;
        }
        // An 's' typed during a search too short to poll still leaves the
        // view where it was.
        if (LineIsHit()) {
            if (!EndScan())
                ShowOffset(down ? a : b);
            return;
        }
        // A step that does not move has met the end of what can be read.
        bool stuck = down ? (b == 0 || b <= a) : (b < 1 || b >= a);
        // Going down, the end of a log known only in part is not its end:
        // the rest is read and searched. Stopping that reading ends the
        // search too.
        if (stuck && down && !LogIsWhole() && CompleteLog() && LogIsWhole())
            continue;
        if (stuck) {
            if (!EndScan())
                EndSearch(down);
            return;
        }
        if (ScanStep("Searching...", b, iEndTop)) {
            EndScan();
            return;
        }
        a = b;
    }
}

int64_t PercentOffset(double percent, int64_t whole)
{
    if (!(percent > 0) || whole <= 0)
        return 0;
    double target = percent * static_cast<double>(whole) / 100.0;
    // Past 2^53 bytes the double is rounded and may lie beyond the range of
    // an int64_t: clamp before converting.
    if (target >= static_cast<double>(whole))
        return whole;
    return static_cast<int64_t>(target);
}

int64_t GotoOffset(double percent)
{
    if (!(percent >= 0 && percent <= 100))
        return -1;
    if (!LogIsWhole())
        CompleteLog();
    return NextLine(PercentOffset(percent, iLastLineStart));
}
