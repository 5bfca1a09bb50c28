#include "browse/verbosescreen.h"

#include <curses.h>

#include <string>

#include "browse/logreader.h"
#include "browse/verbosetext.h"
#include "frame/screen.h"

void VerboseView(int64_t offset)
{
    ClearScreen();
    NextLine(offset);
    // The text is all showable bytes and line feeds; curses wraps it at the
    // right edge.
    std::string text = VerboseText(sCurrentLine);
    addnstr(text.c_str(), static_cast<int>(text.size()));
    refresh();
    while (GetKey() != 'q') {
    }
    ClearScreen();
}
