#include "frame/helpscreen.h"

#include <curses.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "frame/privatedir.h"
#include "frame/screen.h"
#include "frame/settings.h"
#include "frame/shell.h"

namespace {

const char* const kProgramName = "ferntrack";
const char* const kVersion = "0.86";

// The descriptions start in the 22nd column.
const char* const kKeyList =
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
    "r:                   read the ferntrack howto with ";

// Reads keys until 'q' or 'r' and returns it.
int WaitForKey(bool howtoKey)
{
    for (;;) {
        int key = GetKey();
        if (key == 'q')
            return key;
        if (howtoKey && key == 'r')
            return key;
    }
}

// Size of the howto behind its link; 0 when it is missing, unreadable or
// not a plain file. The open does not wait, so a link to a FIFO cannot hang
// the program.
int64_t HowtoSize()
{
    int fd = open(sHowtoPath.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return 0;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return 0;
    }
    off_t end = lseek(fd, 0, SEEK_END);
    close(fd);
    return end > 0 ? static_cast<int64_t>(end) : 0;
}

void ExplainMissingHowto()
{
    ClearScreen();
    addstr("I can't find the howto for this program.\n\n");
    addstr("There should be this link:\n\n");
    AddText(sHowtoPath);
    addstr("\n\n");
    addstr("pointing to:\n\n");
    addstr(sHowtoDir);
    addstr("/");
    addstr(sHowtoName);
    addstr("\n\n");
    addstr("You can set the correct link manually.\n");
    addstr("Press q:");
    refresh();
    WaitForKey(false);
}

} // namespace

void ShowHelp()
{
    ClearScreen();
    addstr(kProgramName);
    addstr(" ");
    addstr(kVersion);
    addstr("\n\n");
    addstr(kKeyList);
    AddText(sViewer);
    addstr("\nctrl-x:              quit\n\nPress q to quit this screen, r to read the howto.");
    refresh();
    if (WaitForKey(true) == 'r')
        ShowHowto();
    // Long lines wrap into the last column, which the browse window does
    // not repaint: leave an empty screen behind.
    ClearScreen();
}

void ShowHowto()
{
    if (HowtoSize() > 0) {
        // The viewer is a command line the user may give arguments; the
        // path is one word whatever the home directory holds.
        RunCommand(sViewer + " " + ShellQuote(sHowtoPath));
        return;
    }
    ExplainMissingHowto();
    ClearScreen();
}
