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

void AppendTotalLine(std::string& out, uint64_t bytes, std::string_view name, std::string_view fullName)
{
    // A report can have a million of these lines: no text is made for
    // the parts of one.
    char digits[32];
    size_t n = 0;
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            digits[n++] = ',';
            inGroup = 0;
        }
        digits[n++] = static_cast<char>('0' + bytes % 10);
        bytes /= 10;
        ++inGroup;
    } while (bytes != 0);
    if (n < static_cast<size_t>(kNumberWidth))
        out.append(static_cast<size_t>(kNumberWidth) - n, ' ');
    while (n > 0)
        out.push_back(digits[--n]);
    // Between number and name: the CSV separator when hits are CSV lines.
    if (iRepWordHits == 2)
        out += sRepSeperator;
    else
        out.push_back(' ');
    out += name;
    if (!fullName.empty()) {
        out += " : ";
        out += fullName;
    }
    out.push_back('\n');
}

std::string TotalLineText(uint64_t bytes, std::string_view name, std::string_view fullName)
{
    std::string text;
    AppendTotalLine(text, bytes, name, fullName);
    return text;
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

std::string ViewQuestionText(const std::string& fileName, const std::string& summary, int width)
{
    const std::string ask = "; View (y/n)? ";
    std::string head = fileName + " made: ";
    size_t limit = static_cast<size_t>(std::max(width, 0));
    if (width <= 0 || head.size() + summary.size() + ask.size() <= limit)
        return head + summary + ask;
    // The summary is cut at a blank, so it ends on a whole word, without
    // the comma or dash that joined it to the next.
    size_t room = limit > head.size() + ask.size() ? limit - head.size() - ask.size() : 0;
    std::string shown = summary.substr(0, room + 1);
    size_t blank = shown.rfind(' ');
    shown.resize(blank == std::string::npos ? 0 : blank);
    while (!shown.empty() && (shown.back() == ' ' || shown.back() == ',' || shown.back() == '-'))
        shown.pop_back();
    std::string text = head + shown;
    // A file name too long for the row gives way as well, from its start.
    if (text.size() + ask.size() > limit)
        text.erase(0, std::min(text.size(), text.size() + ask.size() - limit));
    text += ask;
    // On a row narrower than the question itself, its start is what shows.
    if (text.size() > limit)
        text.resize(limit);
    return text;
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
