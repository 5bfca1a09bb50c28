#include "frame/helpscreen.h"

#include <curses.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "frame/helptext.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"
#include "frame/screen.h"
#include "frame/settings.h"
#include "frame/shell.h"

namespace {

// Reads keys until 'q' or 'r' and returns it. A failed read means the
// terminal is gone; it counts as 'q' rather than spinning.
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
    int fd = OpenRegularRead(sHowtoPath);
    if (fd < 0)
        return 0;
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
    addstr(VersionText().c_str());
    addstr("\n\n");
    addstr(HelpKeyList().c_str());
    AddText(ViewerCommand());
    addstr(HelpClosingText().c_str());
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
        RunCommand(ViewerCommand() + " " + ShellQuote(sHowtoPath));
        return;
    }
    ExplainMissingHowto();
    ClearScreen();
}
