#include "entries/searchoptscreen.h"

#include <curses.h>

#include <string>

#include "browse/browsetext.h"
#include "entries/hitsizes.h"
#include "entries/optionstext.h"
#include "entries/words.h"
#include "frame/optionscreen.h"
#include "frame/screen.h"
#include "frame/settings.h"

namespace {

bool NullWords()
{
    sWords.clear();
    return MessageAndKey("\n\nAll words gone.\n");
}

bool ReloadWords()
{
    return MessageAndKey(LoadWords() ? "\n\nWords reset.\n" : "\n\nOpps, problem loading words.\n");
}

bool StoreWords()
{
    return MessageAndKey(SaveWords() ? "\n\nWords saved.\n" : "\n\nOpps, problem saving words.\n");
}

bool ChangeHitSizes()
{
    HitSizes();
    return false;
}

bool FocusScreen()
{
    ClearScreen();
    std::string user = SelectedLineUser();
    AddLines(FocusScreenText(user));
    int key = GetKey();
    if (key == '1') {
        iRepFocus = 0;
    } else if (key == '2') {
        AddLines("\n\nEnter user name: ");
        std::string typed;
        ReadTypedLine(typed);
        SetFocusUser(typed);
    } else if (key == '3' && !user.empty()) {
        sRepFocus = user;
        iRepFocus = 1;
    }
    return false;
}

const OptionKey kKeys[] = {
#define KEY(code, name, help, action) {code, action},
#include "entries/searchoptkeys.h"
#undef KEY
};

} // namespace

void HitSizes()
{
    for (;;) {
        ClearScreen();
        AddLines(HitSizesText());
        std::string line;
        ReadTypedLine(line);
        eHitSizesResult result = HitSizesCommand(line);
        if (result == eHitSizesLeave)
            return;
        if (result == eHitSizesNoRoom) {
            AddLines("\nNot enough room!\n\nPress a key: ");
            GetKey();
        }
    }
}

void SearchOptions()
{
    RunOptionScreen(SearchOptionsText, kKeys, sizeof kKeys / sizeof kKeys[0]);
}
