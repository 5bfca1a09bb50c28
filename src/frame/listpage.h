// The movement keys as values, and the paging of a scrolling list of N
// entries (the tally and the history lists): which entry is on the first
// row, which row is selected, how many rows the screen has.
#pragma once

// What a movement key asks for; the screen layer maps keys to these.
enum eMove {
    eMoveNone,
    eMoveEnd,
    eMoveDown,
    eMovePageDown,
    eMoveHome,
    eMoveUp,
    eMovePageUp,
    eMoveLeft,
    eMoveRight
};

// A list page. The owner sets iRows and iCount before each move (both may
// change between moves, as the screen and the list change).
struct ListPage {
    int iTop = 0;    // index of the entry on the first list row
    int iCursor = 0; // selected list row, 0-based
    int iRows = 0;   // list rows on the screen
    int iCount = 0;  // entries in the list
};

// Largest first-row index: max(iCount - iRows, 0).
int ListMaxTop(const ListPage& page);
// Index of the selected entry: iTop + iCursor.
int ListSelected(const ListPage& page);

// What a move met: it stayed inside the list, or it asked for an entry
// before the first (Up on the first entry) or after the last (Down on the
// last), which a list that grows at its ends answers by fetching one.
enum eListEdge { eListInside, eListPastTop, eListPastBottom };

// Applies a movement to the page:
//   End       last page, cursor on its last filled row
//   Down      next row, or scroll by one on the last row
//   PageDown  a page further (clamped); at the last page, the last row
//   Home      first entry on the first row
//   Up        previous row, or scroll back by one on the first row
//   PageUp    a page back (clamped); at the top, the first row
// Left, Right and None leave the page alone.
eListEdge MoveListPage(ListPage& page, eMove move);
