// The tally list's keys, once: KEY(code, name, help line, action), in the
// order of its help screen. name is the key as the manual page names it
// (nullptr for a code no one types); help is the key's line on the help
// screen, or nullptr for a key it does not list; action is the statement
// the list loop runs (tally, key and quit in scope; it may return, true to
// leave the mode, with quit telling whether the program is to end).
//
// No include guard: each includer defines KEY, includes this list and
// undefines KEY again (tally/tallytext.cpp, tally/tallyscreen.cpp, the
// manual page test). Adding a key is one line here.
KEY('v', "v", "v.        toggle {requests,user name,greatest hits,last site} view mode", tally.iView = tally.iView >= 3 ? 0 : tally.iView + 1)
KEY('m', "m", "m.        toggle monitor mode", iTallyMonitor = !iTallyMonitor)
KEY('d', "d", "d.        toggle accept denies", iTallyDenies = !iTallyDenies)
KEY('s', "s", "s.        sort menu", SortMenu(tally))
KEY('O', "O", "O.        one user mode", if (OneUser(tally, quit)) return true)
KEY('z', "z", "z.        zero this user's stats", tally.ZeroSelected())
KEY('Z', "Z", "Z.        zero (wipe) tally", tally.Wipe())
KEY('r', "r", "r.        read howto", ShowHowto())
KEY('q', "q", "q.        quit users mode", return true)
KEY(kKeyQuit, "ctrl-x", "ctrl-x:   quit ferntrack", return quit = true)
KEY('h', "h", nullptr, TallyHelp())
KEY(0, nullptr, nullptr, tally.Gather(tally.iGathered, tally.iSizeSeen))  // the log changed
#include "frame/listkeys.h"
