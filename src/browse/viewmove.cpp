#include "browse/viewmove.h"

#include <cstdint>

#include "browse/logreader.h"

namespace {

void ViewDown()
{
    if (iCursorRow < iMaxRow)
        ++iCursorRow;
    else if (iTopOffset < iEndTop)
        iTopOffset = NextLine(iTopOffset);
}

void ViewPageDown()
{
    bool pastEnd = false;
    for (int i = 0; i < iPageRows && !pastEnd; ++i) {
        int64_t next = NextLine(iTopOffset);
        // NextLine gives 0 past the end (a log that shrank): stop there
        // instead of wrapping round to the top.
        pastEnd = next == 0;
        if (!pastEnd)
            iTopOffset = next;
    }
    if (pastEnd || iTopOffset >= iEndTop)
        ViewEnd();
}

void ViewUp()
{
    if (iCursorRow > 0)
        --iCursorRow;
    else
        iTopOffset = PrevLine(iTopOffset);
}

void ViewPageUp()
{
    for (int i = 0; i < iPageRows; ++i)
        iTopOffset = PrevLine(iTopOffset);
    if (iTopOffset == 0)
        iCursorRow = 0;
}

} // namespace

void MoveView(eMove move)
{
    switch (move) {
    case eMoveEnd:
        // The end of a log known only in part is found first.
        if (!LogIsWhole())
            CompleteLog();
        ViewEnd();
        break;
    case eMoveDown: ViewDown(); break;
    case eMovePageDown: ViewPageDown(); break;
    case eMoveHome: ViewHome(); break;
    case eMoveUp: ViewUp(); break;
    case eMovePageUp: ViewPageUp(); break;
    case eMoveNone:
    case eMoveLeft:
    case eMoveRight:
        break;
    }
}
