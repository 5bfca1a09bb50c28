#include "report/output.h"

#include <algorithm>

#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/privatedir.h"
#include "frame/screentext.h"
#include "frame/settings.h"
#include "frame/shell.h"

namespace {

// Width the numbers of the sections are right-aligned in.
constexpr int kNumberWidth = 11;
std::string Number(int64_t n) { return NumToCommaStr(static_cast<uint64_t>(n)); }


// Between number and name of a totals line.
std::string TotalsSeparator() { return iRepWordHits == 2 ? sRepSeperator : std::string(" "); }

} // namespace

std::string Padded(uint64_t n) { return PadLeft(NumToCommaStr(n), kNumberWidth); }

std::string RangeHeaderText(const std::string& start, const std::string& end)
{
    if (start == end)
        return "For " + start + "\n\n";
    return "For " + start + " to " + end + "\n\n";
}

std::string SummaryText(int64_t scannedBytes, int64_t hits, int64_t hitBytes)
{
    return "\n" + Padded(static_cast<uint64_t>(scannedBytes)) + " scanned bytes, " + Number(hits) +
           " hits total " + Number(hitBytes) + " bytes\n";
}

std::string DashUserText(int64_t dashBytes)
{
    return "\nBytes attributed to \"-\" user: " + Number(dashBytes) + "\n";
}

std::string CacheSectionText(int64_t cacheRequests, int64_t requests, int64_t cacheBytes,
                             int64_t scannedBytes)
{
    return "\nCache hit statistics:\n" + Number(cacheRequests) + " requests out of " + Number(requests) +
           ": " + PercentText(cacheRequests, requests) + "\n" + Number(cacheBytes) + " bytes out of " +
           Number(scannedBytes) + ": " + PercentText(cacheBytes, scannedBytes) + "\n";
}

std::string UsersHeaderText(int64_t usersBytes)
{
    std::string text = "\n" + Padded(static_cast<uint64_t>(usersBytes));
    if (iRepBUT == 2)
        text += " bytes all domains";
    else if (iRepBUT == 1)
        text += " bytes not skipped domains";
    return text + "\n";
}

std::string TotalLineText(uint64_t bytes, const std::string& name, const std::string& fullName)
{
    std::string text = Padded(bytes) + TotalsSeparator() + name;
    if (!fullName.empty())
        text += " : " + fullName;
    return text + "\n";
}

std::string DomainsHeaderText(int64_t domainsBytes, const std::string& fullName)
{
    std::string text = "\n";
    if (iRepBDT >= 2 && !fullName.empty())
        text += sRepBDTuser + " is " + fullName + "\n";
    text += Padded(static_cast<uint64_t>(domainsBytes));
    if (iRepBDT < 2)
        text += " bytes all users bandwidth: ";
    else
        text += " bytes user " + sRepBDTuser + " bandwidth: ";
    if (iRepBDI == 0)
        text += "domains not skipped";
    else if (iRepBDI == 1)
        text += "all domains";
    return text + "\n";
}

std::string ViewQuestionText(const std::string& fileName, const std::string& summary)
{
    return fileName + " made: " + summary + "; View (y/n)? ";
}

std::string AfterViewText(const std::string& fileName)
{
    return "Press 'n' for misc. operations you can do on " + fileName;
}

std::string ViewCommand(const std::string& fileName)
{
    // An empty viewer must not make the shell run the report as a command.
    return ViewerCommand() + " " + ShellQuote(sPrivateDir + "/" + fileName);
}
