#include "browse/verbosescreen.h"

#include <curses.h>

#include <string>

#include "browse/logreader.h"
#include "entries/aliases.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/screen.h"

namespace {

void WaitForQuit()
{
    while (GetKey() != 'q') {
    }
}

// A size field written with a minus (a damaged line) is shown with its sign
// rather than as the huge number its two's complement would make.
std::string SizeText(int64_t bytes)
{
    if (bytes >= 0)
        return NumToCommaStr(static_cast<uint64_t>(bytes));
    return "-" + NumToCommaStr(0 - static_cast<uint64_t>(bytes));
}

// Everything taken from the log or the users file goes through AddText, so
// a stray control byte shows as '?' instead of moving the cursor; curses
// still wraps the text at the right edge.
void WriteLineDetails(const std::string& line)
{
    AddText(line);
    addstr("\n\n");
    addstr("Request size = ");
    addstr(SizeText(GetBytes(line.c_str())).c_str());
    addstr("\n\nLooking for user...");
    std::string user = GetUser(line.c_str(), false);
    std::string name = FullNameOf(user);
    if (name.empty()) {
        addstr("not found.\n");
        return;
    }
    addstr("\n\n");
    AddText(user);
    addstr(" is ");
    AddText(name);
    addstr("\n");
}

} // namespace

void VerboseView(int64_t offset)
{
    ClearScreen();
    NextLine(offset);
    // A copy, since looking up the user must not depend on the reader's
    // buffer staying untouched.
    std::string line = sCurrentLine;
    if (IsBlank(line.c_str()))
        addstr("Line not available.\n");
    else
        WriteLineDetails(line);
    addstr("\nPress q:");
    refresh();
    WaitForQuit();
    ClearScreen();
}
