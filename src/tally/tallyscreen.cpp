// The all users' tally on the screen: the entry screen, the list in its four
// views with its status line, the sort menu and the help screen.
#include <curses.h>

#include <ctime>
#include <string>
#include <vector>

#include "browse/logreader.h"
#include "browse/monitorwin.h"
#include "frame/helpscreen.h"
#include "frame/screen.h"
#include "frame/settings.h"
#include "history/history.h"
#include "tally/tally.h"
#include "tally/tallytext.h"

namespace {

void DrawList(const TallyMode& tally)
{
    erase();
    std::vector<std::string> rows = TallyScreenRows(tally, COLS, static_cast<int64_t>(time(nullptr)));
    DrawListRows(rows, tally.iCursor + 1);
    int bottom = LINES - 1;
    move(bottom, 0);
    attroff(A_REVERSE);
    clrtoeol();
    move(bottom, 0);
    attron(A_REVERSE);
    AddText(TallyStatus(tally, COLS));
    refresh();
}

void ShowPage(const std::string& text)
{
    erase();
    move(0, 0);
    attroff(A_REVERSE);
    addstr(text.c_str());
    refresh();
}

void SortMenu(TallyMode& tally)
{
    ShowPage(SortMenuText(tally.iSort));
    int key = GetKey();
    if (key < '1' || key > '6')
        return;
    addstr("\n\nSorting...");
    refresh();
    tally.iSort = key - '0';
    tally.SortTally();
    tally.iTop = 0;
    tally.iCursor = 0;
}

void TallyHelp()
{
    ShowPage(TallyHelpText());
    if (GetKey() == 'r')
        ShowHowto();
}

// The selected record's history; true when it asks the program to end.
bool OneUser(const TallyMode& tally, bool& quit)
{
    if (tally.iSelected >= tally.iCount || tally.iSelected >= static_cast<int>(tally.vTally.size()))
        return false;
    UserHistory history;
    std::string user = tally.vTally[static_cast<size_t>(tally.iSelected)].sUser;
    quit = history.Run(user);
    return quit;
}

// Acts on one key of the list (tally/tallykeys.h); true when the mode is
// to end, with quit telling whether the whole program is to end.
bool ListKey(TallyMode& tally, int key, bool& quit)
{
    auto MoveList = [&tally](int k) { tally.Move(KeypadMove(k)); };
    switch (key) {
#include "frame/keycase.h"
#include "tally/tallykeys.h"
#undef KEY
    default:
        break;
    }
    return false;
}

bool ListLoop(TallyMode& tally)
{
    for (;;) {
        tally.Refresh(LINES);
        DrawList(tally);
        int key = iTallyMonitor ? MonitorWait(tally.iSizeSeen) : GetKeyOrResize();
        tally.Refresh(LINES);
        bool quit = false;
        if (ListKey(tally, key, quit))
            return quit;
    }
}

} // namespace

bool TallyMode::Run()
{
    ClearScreen();
    if (iGathered != 0)
        return ListLoop(*this);
    ShowPage(TallyEntryText(iCursorOffset, iLastLineStart));
    int key = GetKey();
    if (key != 10 && key != 13 && key != kKeyEnter)
        return false;
    // Measure the log first, so that the refresh after the gathering does
    // not take the log for one that shrank.
    Refresh(LINES);
    Gather(iCursorOffset, iLastLineStart + 1);
    ClearScreen();
    return ListLoop(*this);
}
