// One user's history on the screen: the list of the user's requests with
// its title and status lines, and its keys.
#include <curses.h>

#include <string>
#include <vector>

#include "browse/monitorwin.h"
#include "browse/verbosescreen.h"
#include "frame/helpscreen.h"
#include "frame/screen.h"
#include "history/history.h"

namespace {

void HistoryHelp()
{
    erase();
    move(0, 0);
    attroff(A_REVERSE);
    addstr(UserHistory::HelpText().c_str());
    refresh();
    if (GetKey() == 'r')
        ShowHowto();
}

void ViewSelected(const UserHistory& history)
{
    if (history.iSelected < history.iCount && history.iSelected < static_cast<int>(history.vOffsets.size()))
        VerboseView(history.vOffsets[static_cast<size_t>(history.iSelected)]);
}

void SwitchUser(UserHistory& history)
{
    std::string answer;
    PromptLine("Switch to user: ", answer);
    if (answer.empty())
        return;
    ClearScreen();
    history.sUser = answer;
    history.Wipe();
}

// Acts on one key (history/historykeys.h); returns 1 to end the program,
// 0 to leave the mode, -1 to go on.
int HistoryKey(UserHistory& history, int key)
{
    auto MoveList = [&history](int k) { history.Move(KeypadMove(k)); };
    switch (key) {
#include "frame/keycase.h"
#include "history/historykeys.h"
#undef KEY
    default:
        break;
    }
    return -1;
}

void ShowHistory(UserHistory& history)
{
    int64_t selectedTime = 0;
    std::vector<std::string> rows = history.ScreenRows(COLS, selectedTime);
    DrawListRows(rows, history.iSelected < history.iCount ? history.iSelected - history.iTop + 1 : -1);
    move(history.iRows > 0 ? history.iRows + 1 : 1, 0);
    attron(A_REVERSE);
    AddText(history.StatusText(COLS, selectedTime));
    refresh();
}

} // namespace

bool UserHistory::Run(const std::string& user)
{
    ClearScreen();
    Start(user, LINES);
    for (;;) {
        Refresh(LINES);
        ShowHistory(*this);
        // Always watching the log, so a change of its size redraws.
        int key = MonitorWait(iSizeSeen);
        Refresh(LINES);
        int result = HistoryKey(*this, key);
        if (result >= 0)
            return result == 1;
    }
}
