#include "reportfiles/misclogscreen.h"

#include <curses.h>

#include <string>

#include "browse/browsetext.h"
#include "browse/logreader.h"
#include "entries/optionstext.h"
#include "entries/texts.h"
#include "frame/message.h"
#include "frame/optionscreen.h"
#include "frame/privatedir.h"
#include "frame/screen.h"
#include "frame/settings.h"
#include "report/output.h"
#include "reportfiles/filter.h"
#include "reportfiles/misclog.h"

namespace {

// Filters as a long scan: its progress line takes the bottom row and the
// cursor, and in reverse video; once the pass is over the line goes and
// the dialogue goes on where it was.
bool FilterWithProgress(const std::string& name, const std::string& user, bool& stopped)
{
    int y, x;
    getyx(stdscr, y, x);
    bool made = FilterReport(sCurrentReport, name, user, &stopped);
    if (y != iPageRows)
        PrepareBottomLine();
    attroff(A_REVERSE);
    move(y, x);
    refresh();
    return made;
}

// Shows a message until a key is pressed; the menu is drawn afresh after.
bool Message(const std::string& text)
{
    MessageAndKey(text);
    RunCommand("clear");
    return false;
}

// Asks for a report name; a typed name that passes its check replaces the
// setting.
bool AskName(const char* prompt, std::string& setting)
{
    BelowPrompt(prompt);
    std::string name;
    PromptFileName(name);
    if (!name.empty())
        setting = name;
    return false;
}

bool ChangeCurrent() { return AskName("Enter new current report: ", sCurrentReport); }

bool ChangeFiltered() { return AskName("Enter filtered report name: ", sRepFilter); }

bool ListReports()
{
    // The listing goes through the pager with the screen handed over, so
    // the user sees it and the menu is drawn again afterwards.
    RunCommand(ListReportsCommand());
    return false;
}

bool DeleteReport()
{
    BelowPrompt("");
    if (sCurrentReport.empty())
        return Message("No current report to delete.\n");
    DeleteCurrentReport();
    return false;
}

bool View(const std::string& name)
{
    BelowPrompt("");
    if (!ReportHasContent(sPrivateDir + "/" + name))
        return Message("Empty file :(\n");
    RunCommand(ViewCommand(name));
    return false;
}

bool ViewCurrent() { return View(sCurrentReport); }

bool ViewFiltered() { return View(sRepFilter); }

bool ChangeEmail()
{
    BelowPrompt("Enter new email address: ");
    std::string typed;
    ReadTypedLine(typed);
    if (!SetEmail(typed))
        return Message("\nSorry, no illegal characters.\n");
    return false;
}

bool Mail()
{
    BelowPrompt("");
    if (!ReportHasContent(CurrentReportPath()))
        return Message("Empty file :(\n");
    if (sCurrentEmail.empty())
        return Message("No email address.\n");
    std::string command = MailCommand();
    // An address from the configuration file that would not pass as typed.
    if (command.empty())
        return Message("\nSorry, no illegal characters.\n");
    AddLines("You are about to send the report using the\nemail program Pine. Press <ctrl>-x in Pine to\n"
             "send it.\n\nPress any key to begin");
    GetKey();
    RunCommand(command);
    return false;
}

bool ShowLogLinks()
{
    ClearScreen();
    AddLines(LogLinksText());
    return Message("ln -s /var/whatever/access.log log1\n");
}

// The user the filter keeps, asked below the choice; empty for none.
std::string ChooseFilterUser()
{
    std::string focus = iRepFocus == 1 ? sRepFocus : std::string();
    std::string current = SelectedLineUser();
    AddLines(FilterChoiceText(focus, current));
    int key = GetKey();
    AddLines("\n\n");
    if (key == '1')
        return focus;
    if (key == '2')
        return current;
    if (key != '3')
        return {};
    AddLines("Enter user name: ");
    std::string typed;
    ReadTypedLine(typed);
    AddLines("\n");
    return AsciiLower(typed);
}

bool FilterDialogue()
{
    BelowPrompt("");
    if (!ReportHasContent(CurrentReportPath()))
        return Message("No or empty file :(\n");
    ClearScreen();
    AddLines("Filter a report leaving one user.\n\nEnter new report name: ");
    std::string name;
    bool ok = true;
    PromptFileName(name, &ok);
    if (!ok)
        return false;
    AddLines("\n");
    if (name == sCurrentReport)
        return Message("Destination report must be different to source.\n\n");
    std::string user = ChooseFilterUser();
    if (user.empty())
        return false;
    AddLines("Working... ");
    sStatusMessage.clear();
    bool stopped = false;
    bool made = FilterWithProgress(name, user, stopped);
    if (stopped) {
        AddLines("\n\n" + sStatusMessage + "\n");
        sStatusMessage.clear();
        return Message("");
    }
    if (!made) {
        AddLines("\n\nEmpty report " + name + ":\n" + sStatusMessage + "\n");
        sStatusMessage.clear();
        return Message("");
    }
    sRepFilter = name;
    // Keys typed while the report was filtered were meant for the pass,
    // not answers to this question.
    flushinp();
    AddLines("\n\nReport " + name + " made: view (y/n)?");
    if (GetKey() == 'y')
        RunCommand(ViewCommand(name));
    sStatusMessage.clear();
    return false;
}

const OptionKey kKeys[] = {
    {'c', ChangeCurrent}, {'C', ChangeFiltered}, {'l', ListReports},    {'d', DeleteReport},
    {'v', ViewCurrent},   {'V', ViewFiltered},   {'f', FilterDialogue}, {'e', ChangeEmail},
    {'m', Mail},          {'s', ShowLogLinks},
};

} // namespace

void MiscLogOptions()
{
    RunOptionScreen(MiscLogText, kKeys, sizeof kKeys / sizeof kKeys[0]);
}
