#include "frame/helptext.h"

#include <string>

#include "frame/buildinfo.h"
#include "frame/listpage.h"

namespace {

struct HelpLine {
    int code;
    const char* help;
};

// The browse window's help lines, from its key table.
const HelpLine kHelpLines[] = {
#define KEY(code, name, help, ...) {code, help},
#include "browse/browsekeys.h"
#undef KEY
};

// The help lines joined, one per line: before the howto key's line
// (included: the pager's name follows it) or after it.
std::string HelpLines(bool beforeViewer)
{
    std::string text;
    bool after = false;
    for (const HelpLine& line : kHelpLines) {
        if (line.help != nullptr && after != beforeViewer)
            text += std::string(after ? "\n" : "") + line.help + (after ? "" : "\n");
        if (line.code == 'r')
            after = true;
    }
    if (beforeViewer && !text.empty())
        text.pop_back();
    return text;
}

} // namespace

std::string VersionText() { return std::string("ferntrack ") + FERNTRACK_VERSION; }

std::string HelpKeyList()
{
    // The descriptions start in the 22nd column.
    return "Keystrokes:-\n\n" + HelpLines(true);
}

std::string HelpClosingText()
{
    return HelpLines(false) + "\n\nPress q to quit this screen, r to read the howto.";
}

std::string KeyHelpScreen(const char* title, const char* const* lines, int count)
{
    std::string text = std::string(title) + "\n\n";
    for (int i = 0; i < count; ++i)
        if (lines[i] != nullptr)
            text += std::string(lines[i]) + "\n";
    return text + "\nPress any key or r: ";
}
