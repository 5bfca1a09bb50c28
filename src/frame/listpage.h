// The movement keys as values, and the paging of a scrolling list of N
// entries (the tally and the history lists): which entry is on the first
// row, which row is selected, how many rows the screen has.
#pragma once

// The codes curses gives the keys the core's key tables name (the screen
// layer checks that they agree with curses.h).
constexpr int kKeyDown = 0402;
constexpr int kKeyUp = 0403;
constexpr int kKeyLeft = 0404;
constexpr int kKeyRight = 0405;
constexpr int kKeyHome = 0406;
constexpr int kKeyEnter = 0527;
constexpr int kKeyNextPage = 0522;
constexpr int kKeyPrevPage = 0523;
constexpr int kKeyEnd = 0550;
// ctrl-x: ends the program from the browse window, the tally and the history.
constexpr int kKeyQuit = 24;

// What a movement key asks for.
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

// The movement a key asks for: End, Down, PgDn, Home, Up, PgUp, Left and
// Right, and the digits 1, 2, 3, 7, 8, 9, 4, 6 in their keypad places.
// Every other key is eMoveNone.
eMove KeypadMove(int key);

// A list page. The owner sets iRows and iCount before each move (both may
// change between moves, as the screen and the list change), or has
// ClampListPage set them.
struct ListPage {
    int iTop = 0;      // index of the entry on the first list row
    int iCursor = 0;   // selected list row, 0-based
    int iRows = 0;     // list rows on the screen
    int iCount = 0;    // entries in the list
    int iSelected = 0; // iTop + iCursor, as of the last move or clamp
    int iMaxTop = 0;   // max(iCount - iRows, 0), likewise
};

// Takes the page's rows and entry count, and keeps the selection on a
// filled row of a page that lies inside the list (a smaller screen or a
// shorter list must not leave it off the list).
void ClampListPage(ListPage& page, int rows, int count);

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
