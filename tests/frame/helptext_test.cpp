// The help screens as their key tables build them, whole.
#include <gtest/gtest.h>

#include <string>

#include "frame/helptext.h"
#include "history/history.h"
#include "tally/tallytext.h"

namespace {

TEST(HelpTexts, WholeScreensFromTheKeyTables)
{
    struct Case {
        const char* screen;
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"browse, up to the pager", HelpKeyList(),
         "Keystrokes:-\n"
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
         "r:                   read the ferntrack howto with "},
        {"browse, after the pager", HelpClosingText(),
         "\nctrl-x:              quit\n\nPress q to quit this screen, r to read the howto."},
        {"tally", TallyHelpText(),
         "All Users' Tally help\n\n"
         "v.        toggle {requests,user name,greatest hits,last site} view mode\n"
         "m.        toggle monitor mode\n"
         "d.        toggle accept denies\n"
         "s.        sort menu\n"
         "O.        one user mode\n"
         "z.        zero this user's stats\n"
         "Z.        zero (wipe) tally\n"
         "r.        read howto\n"
         "q.        quit users mode\n"
         "ctrl-x:   quit ferntrack\n\n"
         "Press any key or r: "},
        {"history", UserHistory::HelpText(),
         "One User's History help\n\n"
         "v.        view line\n"
         "u.        zero and switch to new user\n"
         "Z.        zero (wipe) history\n"
         "r.        read howto\n"
         "q.        quit this mode\n"
         "ctrl-x:   quit ferntrack\n\n"
         "Press any key or r: "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, c.expected) << c.screen;
}

} // namespace
