// One user's history's keys, once: KEY(code, name, help line, action), in
// the order of its help screen. name is the key as the manual page names it
// (nullptr for a code no one types); help is the key's line on the help
// screen, or nullptr for a key it does not list; action is the statement
// the key loop runs (history and key in scope; it may return 1 to end
// the program or 0 to leave the mode).
//
// No include guard: each includer defines KEY, includes this list and
// undefines KEY again (history/history.cpp, history/historyscreen.cpp, the
// manual page test). Adding a key is one line here.
KEY('v', "v", "v.        view line", ViewSelected(history))
KEY('u', "u", "u.        zero and switch to new user", SwitchUser(history))
KEY('Z', "Z", "Z.        zero (wipe) history", history.Wipe())
KEY('r', "r", "r.        read howto", ShowHowto())
KEY('q', "q", "q.        quit this mode", return 0)
KEY(kKeyQuit, "ctrl-x", "ctrl-x:   quit ferntrack", return 1)
KEY('h', "h", nullptr, HistoryHelp())
KEY(0, nullptr, nullptr, {})  // the log changed: the next turn redraws
#include "frame/listkeys.h"
