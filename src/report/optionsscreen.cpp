#include "report/optionsscreen.h"

#include <curses.h>

#include <string>

#include "browse/browsetext.h"
#include "entries/texts.h"
#include "frame/optionscreen.h"
#include "frame/screen.h"
#include "frame/settings.h"
#include "report/options.h"
#include "report/range.h"

namespace {

bool runRequested = false;

std::string Typed(const std::string& prompt)
{
    BelowPrompt(prompt);
    std::string typed;
    ReadTypedLine(typed);
    return CutTyped(typed);
}

bool KeyRun()
{
    runRequested = true;
    return true;
}

bool KeyStart()
{
    ToggleRangeMark(iRepStart);
    return false;
}

bool KeyFinish()
{
    ToggleRangeMark(iRepFinish);
    return false;
}

bool KeyFileName()
{
    BelowPrompt("New file name : ");
    std::string name;
    bool ok = true;
    PromptFileName(name, &ok);
    if (ok)
        sRepFileName = name;
    return false;
}

bool KeyTitle()
{
    sRepTitle = Typed("New title : ");
    return false;
}

bool KeyCache()
{
    bRepCacheReport = !bRepCacheReport;
    return false;
}

bool KeyUserTotals()
{
    iRepBUT = StepOfThree(iRepBUT);
    return false;
}

bool KeyDomainTotals()
{
    ClearScreen();
    std::string focus = FocusUserText();
    std::string current = SelectedLineUser();
    AddLines(DomainDialogText(focus, current));
    int key = GetKey();
    AddLines("\n\n");
    std::string chosen;
    switch (key) {
    case '1':
        iRepBDT = 0;
        return false;
    case '2':
        iRepBDT = 1;
        return false;
    case '3':
        chosen = focus;
        break;
    case '4':
        chosen = current;
        break;
    case '5':
        AddLines("Enter user name: ");
        ReadTypedLine(chosen);
        AddLines("\n");
        chosen = AsciiLower(CutTyped(chosen));
        break;
    default:
        return false;
    }
    if (!ChooseDomainUser(chosen)) {
        AddLines("No user there. Press any key. ");
        GetKey();
    }
    return false;
}

bool KeyDomainsInclude()
{
    iRepBDI = StepOfTwo(iRepBDI);
    return false;
}

bool KeyWordHits()
{
    iRepWordHits = StepOfThree(iRepWordHits);
    return false;
}

bool KeyColumns()
{
    TakeNumber(Typed("New normal columns: "), 45, 256, iRepColumns);
    return false;
}

bool KeySplit()
{
    bRepSplit = !bRepSplit;
    return false;
}

bool KeyShowSize()
{
    bRepShowSize = !bRepShowSize;
    return false;
}

bool KeySeparator()
{
    sRepSeperator = Typed("New CSV seperator: ");
    return false;
}

bool KeyCsvColumns()
{
    TakeNumber(Typed("New CSV target max size: "), 11, 599, iRepCSVcols);
    return false;
}

const OptionKey keys[] = {
#define KEY(code, name, help, action) {code, action},
#include "report/optionskeys.h"
#undef KEY
};

} // namespace

bool ReportOptions()
{
    runRequested = false;
    RunOptionScreen(ReportOptionsText, keys, static_cast<int>(sizeof keys / sizeof keys[0]));
    return runRequested;
}
