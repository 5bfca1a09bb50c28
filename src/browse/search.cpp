#include "browse/search.h"

#include "browse/logreader.h"
#include "entries/words.h"
#include "frame/scan.h"

namespace {

bool LineIsHit()
{
    char marks[4];
    MatchWords(sCurrentLine, marks);
    return IsHit(marks);
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
    for (;;) {
        int64_t b = down ? NextLine(a) : PrevLine(a);
        if (LineIsHit()) {
            ShowOffset(down ? a : b);
            return;
        }
        if (!down && b < 1) {
            iTopOffset = 0;
            iCursorRow = 0;
            return;
        }
        if (down && (b == 0 || b == a)) {
            iTopOffset = iEndTop;
            iCursorRow = iMaxRow;
            return;
        }
        if (ScanStep("Searching...", b, iEndTop))
            return;
        a = b;
    }
}

int64_t GotoOffset(double percent)
{
    if (!(percent >= 0 && percent <= 100))
        return -1;
    return NextLine(static_cast<int64_t>(percent * static_cast<double>(iLastLineStart) / 100.0));
}
