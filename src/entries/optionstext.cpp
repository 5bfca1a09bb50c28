#include "entries/optionstext.h"

#include <cstdint>

#include "browse/logreader.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "entries/hitsizes.h"
#include "entries/words.h"
#include "frame/numbers.h"
#include "frame/settings.h"

namespace {

const char* YesNo(bool b) { return b ? "yes" : "no"; }

std::string HitGradeText()
{
    if (iSizeHitGrade == 0)
        return "<off>";
    return IntText(iSizeHitGrade) + " (" + NumToCommaStr(iSizeHitBytes < 0 ? 0 : iSizeHitBytes) + ")";
}

} // namespace

std::string CommonOptionsText()
{
    std::string text = "Common Options\n\nThese affect both the browsing window and reports.\n\n";
    text += std::string("e.  keep target/extension/file type: ") + YesNo(bRepKeepExt);
    text += std::string("\nn.  IP number instead of null user: ") + YesNo(bLookupIP);
    text += std::string("\na.  use alias file to map IPs to names: ") + YesNo(bAliases);
    text += "\nw.  width of user name field: eg 8 (for names) or 15 (for IPs): " + IntText(iUserNameLen);
    text += "\nq.  quit this menu\n\nYour choice: ";
    return text;
}

bool SetUserNameWidth(const std::string& answer)
{
    int n = LeadingInt(answer);
    if (n < 1 || n > 64)
        return false;
    iUserNameLen = n;
    return true;
}

std::string FocusText()
{
    if (iRepFocus == 1)
        return "focus on user " + sRepFocus;
    if (iRepFocus == 0)
        return "no focus";
    return "<error>";
}

std::string SearchOptionsText()
{
    std::string words = sWords;
    for (char& c : words)
        if (c == '\n')
            c = ' ';
    return "Search Options: current words are:-\n\n" + words +
           "\n\nIn the case of skips (\"!\"s) first words have higher preference.\n\nCommands:\n\n"
           "n.  null words\nr.  reload words\ns.  save words\nc.  change request hit size from " +
           HitGradeText() + "\nf.  focus: " + FocusText() + "\nq.  quit this screen\n\nYour choice: ";
}

std::string FocusScreenText(const std::string& lineUser)
{
    std::string text = "Focus options:\n\n1.  no focus\n2.  a user\n";
    if (!lineUser.empty())
        text += "3.  focus on user " + lineUser + "\n";
    return text + "\nYour choice: ";
}

void SetFocusUser(const std::string& typed)
{
    if (typed.empty()) {
        iRepFocus = 0;
        return;
    }
    sRepFocus = AsciiLower(typed);
    iRepFocus = 1;
}
