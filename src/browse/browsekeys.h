// The browse window's keys, once: KEY(code, name, help line, action), in the
// order of the help screen. name is the key as the manual page names it;
// help is the key's line on the help screen, or nullptr for a key the line
// of an earlier key covers, or one the help screen does not list; action is
// the statement the main loop runs for the key (key holds its code).
//
// No include guard: each includer defines KEY, includes this list and
// undefines KEY again. The help text (frame/helptext.cpp), the main loop's
// dispatch (frame/mainscreen.cpp) and the manual page test come from it:
// adding a key is one line here and its action in the main loop.
KEY(kKeyUp, "Up", "Up/Down/PgUp/PgDn:   browse", MoveKey(key))
KEY(kKeyDown, "Down", nullptr, MoveKey(key))
KEY(kKeyPrevPage, "PgUp", nullptr, MoveKey(key))
KEY(kKeyNextPage, "PgDn", nullptr, MoveKey(key))
KEY(kKeyHome, "Home", "Home/End/g/j/J:      goto certain location in log", MoveKey(key))
KEY(kKeyEnd, "End", nullptr, MoveKey(key))
KEY('g', "g", nullptr, GotoPercentage())
KEY('j', "j", nullptr, JumpForward())
KEY('J', "J", nullptr, JumpBackward())
KEY(kKeyLeft, "Left", "Left/Right:          search up/down", MoveKey(key))
KEY(kKeyRight, "Right", nullptr, MoveKey(key))
KEY('1', "1", "1-9:                 numlock and keypad strokes if necessary", MoveKey(key))
KEY('2', "2", nullptr, MoveKey(key))
KEY('3', "3", nullptr, MoveKey(key))
KEY('4', "4", nullptr, MoveKey(key))
KEY('6', "6", nullptr, MoveKey(key))
KEY('7', "7", nullptr, MoveKey(key))
KEY('8', "8", nullptr, MoveKey(key))
KEY('9', "9", nullptr, MoveKey(key))
KEY('f', "f", "f/F:                 find text", FindTextFirst())
KEY('F', "F", nullptr, FindTextLast())
KEY('o', "o", "o:                   find options", SearchOptions())
KEY('v', "v", "v:                   verbose listing of selected line", VerboseView(iCursorOffset))
KEY('p', "p", "p/s/t:               primary / secondary / tertiary log file", SwitchLog(1))
KEY('s', "s", nullptr, SwitchLog(2))
KEY('t', "t", nullptr, SwitchLog(3))
KEY('m', "m", "m:                   toggle monitor mode", KeyMonitor())
KEY('l', "l", "l:                   log a report", KeyReport())
KEY('n', "n", "n:                   misc. log functions", MiscLogOptions())
KEY('c', "c", "c:                   common options", CommonOptions())
KEY('T', "T", "T:                   all users' tally mode", KeyTally())
KEY('O', "O", "O:                   one user history mode", KeyHistory())
// The pager's name follows this line on the help screen.
KEY('r', "r", "r:                   read the ferntrack howto with ", ShowHowto())
KEY(kKeyQuit, "ctrl-x", "ctrl-x:              quit", KeyQuit())
KEY('h', "h", nullptr, ShowHelp())
KEY(' ', "space", nullptr, KeyRedraw())
KEY('d', "d", nullptr, KeyDebug())
