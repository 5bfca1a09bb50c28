#include "browse/verbosetext.h"

#include <cstdint>

#include "entries/aliases.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/screentext.h"

namespace {

// A size field written with a minus (a damaged line) is shown with its sign
// rather than as the huge number its two's complement would make.
std::string SizeText(int64_t bytes)
{
    if (bytes >= 0)
        return NumToCommaStr(static_cast<uint64_t>(bytes));
    return "-" + NumToCommaStr(0 - static_cast<uint64_t>(bytes));
}

} // namespace

std::string VerboseText(const char* line)
{
    if (IsBlank(line))
        return "Line not available.\n\nPress q:";
    std::string text = ShowableText(line);
    text += "\n\nRequest size = " + SizeText(GetBytes(line)) + "\n\nLooking for user...";
    // The user as the log names it: an address stays whole.
    std::string user = GetUser(line, false);
    std::string name = FullNameOf(user);
    if (name.empty())
        text += "not found.\n";
    else
        text += "\n\n" + ShowableText(user) + " is " + ShowableText(name) + "\n";
    return text + "\nPress q:";
}
