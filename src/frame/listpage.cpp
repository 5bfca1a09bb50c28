#include "frame/listpage.h"

#include <algorithm>

namespace {

// The last list row that shows an entry (0 for an empty list).
int LastFilledRow(const ListPage& page)
{
    return std::max(std::min(page.iCount, page.iRows) - 1, 0);
}

eListEdge MoveDown(ListPage& page)
{
    if (page.iCursor < page.iRows - 1) {
        if (ListSelected(page) >= page.iCount - 1)
            return eListPastBottom;
        ++page.iCursor;
        return eListInside;
    }
    if (page.iTop >= ListMaxTop(page))
        return eListPastBottom;
    ++page.iTop;
    return eListInside;
}

eListEdge MoveUp(ListPage& page)
{
    if (page.iCursor > 0) {
        --page.iCursor;
        return eListInside;
    }
    if (page.iTop <= 0)
        return eListPastTop;
    --page.iTop;
    return eListInside;
}

eListEdge MovePage(ListPage& page, eMove move);

} // namespace

eMove KeypadMove(int key)
{
    switch (key) {
    case kKeyEnd: case '1': return eMoveEnd;
    case kKeyDown: case '2': return eMoveDown;
    case kKeyNextPage: case '3': return eMovePageDown;
    case kKeyHome: case '7': return eMoveHome;
    case kKeyUp: case '8': return eMoveUp;
    case kKeyPrevPage: case '9': return eMovePageUp;
    case kKeyLeft: case '4': return eMoveLeft;
    case kKeyRight: case '6': return eMoveRight;
    default: return eMoveNone;
    }
}

int ListMaxTop(const ListPage& page)
{
    return std::max(page.iCount - page.iRows, 0);
}

int ListSelected(const ListPage& page)
{
    return page.iTop + page.iCursor;
}

void ClampListPage(ListPage& page, int rows, int count)
{
    page.iRows = rows;
    page.iCount = count;
    page.iMaxTop = ListMaxTop(page);
    page.iTop = std::max(std::min(page.iTop, page.iMaxTop), 0);
    page.iCursor = std::min(page.iCursor, LastFilledRow(page));
    page.iCursor = std::max(page.iCursor, 0);
    page.iSelected = ListSelected(page);
}

eListEdge MoveListPage(ListPage& page, eMove move)
{
    eListEdge edge = MovePage(page, move);
    page.iMaxTop = ListMaxTop(page);
    page.iSelected = ListSelected(page);
    return edge;
}

namespace {

eListEdge MovePage(ListPage& page, eMove move)
{
    switch (move) {
    case eMoveEnd:
        page.iTop = ListMaxTop(page);
        page.iCursor = LastFilledRow(page);
        return eListInside;
    case eMoveDown:
        return MoveDown(page);
    case eMovePageDown:
        if (page.iTop < ListMaxTop(page)) {
            page.iTop = std::min(page.iTop + page.iRows, ListMaxTop(page));
        } else {
            page.iTop = ListMaxTop(page);
            page.iCursor = LastFilledRow(page);
        }
        return eListInside;
    case eMoveHome:
        page.iTop = 0;
        page.iCursor = 0;
        return eListInside;
    case eMoveUp:
        return MoveUp(page);
    case eMovePageUp:
        if (page.iTop != 0)
            page.iTop = std::max(page.iTop - page.iRows, 0);
        else
            page.iCursor = 0;
        return eListInside;
    case eMoveNone:
    case eMoveLeft:
    case eMoveRight:
        break;
    }
    return eListInside;
}

} // namespace
