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

const char* const kHistoryHelp =
    "One User's History help\n\n"
    "v.        view line\n"
    "u.        zero and switch to new user\n"
    "Z.        zero (wipe) history\n"
    "r.        read howto\n"
    "q.        quit this mode\n"
    "ctrl-x:   quit ferntrack\n\n"
    "Press any key or r: ";

void HistoryHelp()
{
    erase();
    move(0, 0);
    attroff(A_REVERSE);
    addstr(kHistoryHelp);
    refresh();
    if (GetKey() == 'r')
        ShowHowto();
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
        switch (key) {
        case 0: break;
        case 24: return true;
        case 'Z': Wipe(); break;
        case 'h': HistoryHelp(); break;
        case 'q': return false;
        case 'r': ShowHowto(); break;
        case 'u': {
            std::string answer;
            PromptLine("Switch to user: ", answer);
            if (!answer.empty()) {
                ClearScreen();
                sUser = answer;
                Wipe();
            }
            break;
        }
        case 'v':
            if (iSelected < iCount && iSelected < static_cast<int>(vOffsets.size()))
                VerboseView(vOffsets[static_cast<size_t>(iSelected)]);
            break;
        default: {
            eMove move = KeypadMove(key);
            if (move != eMoveLeft && move != eMoveRight)
                Move(move);
            break;
        }
        }
    }
}
