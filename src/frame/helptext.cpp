#include "frame/helptext.h"

#include "frame/buildinfo.h"

std::string VersionText() { return std::string("ferntrack ") + FERNTRACK_VERSION; }

const char* HelpKeyList()
{
    // The descriptions start in the 22nd column.
    return "Keystrokes:-\n"
           "\n"
           "Up/Down/PgUp/PgDn:   browse\n"
           "Home/End/g/j/J:      goto certain location in log\n"
           "Left/Right:          search up/down\n"
           "1-9:                 numlock and keypad strokes if necessary\n"
           "f/F:                 find text\n"
           "o:                   find options\n"
           "v:                   verbose listing of selected line\n"
           "p/s/t:               primary / secondary / tertiary log file\n"
           "m:                   toggle monitor mode\n"
           "l:                   log a report\n"
           "n:                   misc. log functions\n"
           "c:                   common options\n"
           "T:                   all users' tally mode\n"
           "O:                   one user history mode\n"
           "r:                   read the ferntrack howto with ";
}

const char* HelpClosingText()
{
    return "\nctrl-x:              quit\n\nPress q to quit this screen, r to read the howto.";
}
