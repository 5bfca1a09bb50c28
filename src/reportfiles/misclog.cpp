#include "reportfiles/misclog.h"

#include <sys/stat.h>
#include <unistd.h>

#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"
#include "frame/screentext.h"
#include "frame/settings.h"
#include "frame/shell.h"

namespace {

// Files of the private directory that are never a report.
bool IsOwnFile(const std::string& name)
{
    static const char* const own[] = {"log1", "log2", "log3", "words", "users", "aliases", "ferntrack.conf"};
    for (const char* o : own)
        if (name == o)
            return true;
    return name == sHowtoName;
}

} // namespace

std::string EmailCheck(const std::string& text)
{
    for (char ch : text) {
        if (ch == '.' || ch == '@')
            continue;
        // The rest of the allowed bytes are those of a file name.
        std::string problem = FileNameCheck(std::string(1, ch));
        if (!problem.empty())
            return problem;
    }
    return {};
}

std::string MiscLogText()
{
    return "Misc Log Options\n\nCurrent report is: " + sCurrentReport +
           "\nCurrent filtered report is: " + sRepFilter + "\nCurrent email is: " + sCurrentEmail +
           "\n\nCommands:\n\nc.  change current report\nC.  change filter report\nl.  list reports\n"
           "d.  delete the report\nv.  view current report with " + sViewer +
           "\nV.  view filtered report\nf.  filter the report for just one user\n"
           "e.  change current email\nm.  mail current report to current email with Pine\n"
           "s.  show built in log filenames\nq.  quit this menu\n\nYour choice: ";
}

std::string CurrentReportPath() { return sPrivateDir + "/" + sCurrentReport; }

bool ReportHasContent(const std::string& path)
{
    int fd = OpenRegularRead(path);
    if (fd < 0)
        return false;
    struct stat st;
    bool content = fstat(fd, &st) == 0 && st.st_size > 0;
    close(fd);
    return content;
}

std::string ListReportsCommand()
{
    // printf, not "echo -e", which a POSIX shell prints literally; "--" so
    // that a report named "-R.txt" is listed, not taken for an option. A
    // folder without reports lists nothing: the complaint of ls would land
    // on the screen beside the pager.
    return "( cd " + ShellQuote(sPrivateDir) + " ; printf '%s\\n\\n' 'Current reports:' ; ls -l -- *" +
           sReportExtension + " 2>/dev/null ) | " + ViewerCommand();
}

std::string MailCommand()
{
    if (sCurrentEmail.empty() || !EmailCheck(sCurrentEmail).empty() || sCurrentEmail[0] == '-')
        return {};
    return "pine -attach " + ShellQuote(CurrentReportPath()) + " " + sCurrentEmail;
}

bool SetEmail(const std::string& typed)
{
    if (typed.empty())
        return true;
    if (!EmailCheck(typed).empty())
        return false;
    sCurrentEmail = typed;
    return true;
}

void DeleteCurrentReport()
{
    std::string name = sCurrentReport;
    sCurrentReport.clear();
    std::string path = sPrivateDir + "/" + name;
    struct stat st;
    // The name comes from the configuration file unchecked: it must not lead
    // out of the private directory or onto the program's own files.
    bool plain = name.find('/') == std::string::npos && name != "." && name != ".." && !IsOwnFile(name);
    if (plain && lstat(path.c_str(), &st) != 0) {
        // Nothing there: the same failure removing it would have given.
        sStatusMessage = "Error running command: rm " + path;
        return;
    }
    if (!plain || !S_ISREG(st.st_mode) || IsLogSlotFile(st)) {
        sStatusMessage = "Not deleted: " + name + " is not a report in " + sPrivateDir;
        return;
    }
    if (unlink(path.c_str()) != 0)
        sStatusMessage = "Error running command: rm " + path;
}

std::string LogLinksText()
{
    return "Log files:\n\nPri -> " + sLogPath1 + "\nSec -> " + sLogPath2 + "\nTri -> " + sLogPath3 +
           "\n\nTo adjust these do this:\n\ncd ~/.ferntrack\nrm log1\n";
}

std::string FilterChoiceText(const std::string& focusUser, const std::string& currentUser)
{
    return "Filter report for:-\n\n1.  focus user " + focusUser + "\n2.  current user " + currentUser +
           "\n3.  specify a different user\n\nYour choice: ";
}
