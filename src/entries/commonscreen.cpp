#include "entries/commonscreen.h"

#include <curses.h>

#include <string>

#include "entries/aliases.h"
#include "entries/optionstext.h"
#include "frame/optionscreen.h"
#include "frame/screen.h"
#include "frame/settings.h"

namespace {

bool ToggleKeepExt()
{
    bRepKeepExt = !bRepKeepExt;
    return false;
}

bool ToggleLookupIp()
{
    bLookupIP = !bLookupIP;
    return false;
}

bool ToggleAliases()
{
    bAliases = !bAliases;
    if (bAliases && !AliasesLoaded()) {
        BelowPrompt("Get a working aliases file first.\nPress a key. ");
        GetKey();
        bAliases = false;
    }
    return false;
}

bool AskWidth()
{
    BelowPrompt("New width: ");
    std::string answer;
    ReadTypedLine(answer);
    SetUserNameWidth(answer);
    return false;
}

bool BadOption()
{
    BelowPrompt("Bad option. Press a key. ");
    GetKey();
    return false;
}

const OptionKey kKeys[] = {
#define KEY(code, name, help, action) {code, action},
#include "entries/commonkeys.h"
#undef KEY
};

} // namespace

void CommonOptions()
{
    RunOptionScreen(CommonOptionsText, kKeys, sizeof kKeys / sizeof kKeys[0]);
}
