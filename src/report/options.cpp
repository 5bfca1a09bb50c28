#include "report/options.h"

#include <cstdlib>

#include "browse/logreader.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/numbers.h"
#include "frame/settings.h"
#include "report/range.h"

namespace {

// Longest line the report prompts take.
constexpr size_t kTypedMax = 79;

std::string YesNo(bool value) { return value ? "yes" : "no"; }

// A number as the option screens write them (a negative int shows as its
// 64-bit two's complement).
std::string Decimal(int value) { return NumToStr(static_cast<uint64_t>(static_cast<int64_t>(value))); }

std::string Choice(int value, const char* zero, const char* one, const std::string& two)
{
    if (value == 0)
        return zero;
    if (value == 1)
        return one;
    if (value == 2 && !two.empty())
        return two;
    return "<error>";
}

std::string MarkText(int64_t mark, const char* unset) { return mark == 0 ? unset : LogTimeTextAt(mark); }

} // namespace

std::string ReportOptionsText()
{
    std::string text = "Log A Report Options\n";
    text += "\na. start from " + MarkText(iRepStart, "begining of log");
    text += "\nb. finish at " + MarkText(iRepFinish, "end of log");
    text += "\nc. report file name: " + sRepFileName;
    text += "\nd. title of report: " + sRepTitle;
    text += "\ne. cache hit report: " + YesNo(bRepCacheReport);
    text += "\nf. user bandwidth totals: " + Choice(iRepBUT, "none", "domains not skipped", "all domains");
    text += "\ng. domain bandwidth totals: " + Choice(iRepBDT, "none", "all users", "only user " + sRepBDTuser);
    text += "\nh. domain bandwidth includes: " + Choice(iRepBDI, "domains not skipped", "all domains", "");
    text += "\ni. word hit action: " + Choice(iRepWordHits, "none", "normal text", "CSV");
    text += "\nj. normal text: total columns " + Decimal(iRepColumns);
    text += "\nk. normal text: split long lines: " + YesNo(bRepSplit);
    text += "\nl. normal text: show request size: " + YesNo(bRepShowSize);
    text += "\nm. CSV: field seperator: \"" + sRepSeperator + "\"";
    text += "\nn. CSV: target columns " + Decimal(iRepCSVcols);
    text += "\n\nPress <enter> to go or q to quit:";
    return text;
}

std::string DomainDialogText(const std::string& focusUser, const std::string& currentUser)
{
    return "Bandwidth By Domain Option:-\n\n1.  no domain totals\n2.  all users contribute to domain "
           "totals\n3.  only focus user " +
           focusUser + "\n4.  only current user " + currentUser +
           "\n5.  specify a different user\n\nYour choice: ";
}

void ToggleRangeMark(int64_t& mark) { mark = mark != 0 ? 0 : iCursorOffset; }

int StepOfThree(int value) { return value >= 2 ? 0 : value + 1; }

int StepOfTwo(int value) { return value > 0 ? 0 : value + 1; }

bool TakeNumber(const std::string& typed, int low, int high, int& setting)
{
    int64_t value = LeadingNumber(typed);
    if (value < low || value > high)
        return false;
    setting = static_cast<int>(value);
    return true;
}

std::string CutTyped(std::string typed)
{
    if (typed.size() > kTypedMax)
        typed.resize(kTypedMax);
    return typed;
}

std::string FocusUserText() { return iRepFocus == 1 ? sRepFocus : std::string(); }

bool ChooseDomainUser(const std::string& user)
{
    if (user.empty())
        return false;
    sRepBDTuser = user;
    iRepBDT = 2;
    return true;
}
