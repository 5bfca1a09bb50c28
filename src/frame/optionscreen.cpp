#include "frame/optionscreen.h"

#include <curses.h>

#include "frame/screen.h"

namespace {

// Writes the screen's text from the top left: line feeds start new rows,
// every other byte shows in one column.
void DrawText(const std::string& text)
{
    erase();
    move(0, 0);
    attroff(A_REVERSE);
    AddLines(text);
}

// True when the key leaves the screen.
bool RunKey(int key, const OptionKey* keys, int count)
{
    if (key == 'q')
        return true;
    for (int i = 0; i < count; ++i)
        if (keys[i].key == key)
            return keys[i].action();
    for (int i = 0; i < count; ++i)
        if (keys[i].key == kOtherKeys)
            return keys[i].action();
    return false;
}

} // namespace

void RunOptionScreen(std::string (*text)(), const OptionKey* keys, int count)
{
    ClearScreen();
    for (;;) {
        DrawText(text());
        if (RunKey(GetKey(), keys, count))
            break;
    }
    ClearScreen();
}

void BelowPrompt(const std::string& text) { AddLines("\n\n" + text); }

bool MessageAndKey(const std::string& text)
{
    AddLines(text + "\nPress any key.");
    GetKey();
    return false;
}
