#include "report/output.h"

#include <algorithm>

#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/privatedir.h"
#include "frame/screentext.h"
#include "frame/settings.h"
#include "frame/shell.h"
#include "report/generate.h"

namespace {

// Width the numbers of the sections are right-aligned in.
constexpr int kNumberWidth = 11;
// No report line is wider than 256 columns; a user column from a garbled
// configuration file must not make every hit line gigabytes long.
constexpr int kWidestUserColumn = 1024;

std::string Number(int64_t n) { return NumToCommaStr(static_cast<uint64_t>(n)); }

std::string Padded(uint64_t n) { return PadLeft(NumToCommaStr(n), kNumberWidth); }

// Between number and name of a totals line.
std::string TotalsSeparator() { return iRepWordHits == 2 ? sRepSeperator : std::string(" "); }


} // namespace

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

void GenerateReport::Emit(const std::string& text)
{
    if (!bToFile)
        return;
    if (bEcho && pEchoHook != nullptr)
        pEchoHook(text);
    if (pReportFile == nullptr || fwrite(text.data(), 1, text.size(), pReportFile) != text.size())
        throw eWriteFailed;
}

void GenerateReport::WriteTextHit(const char* line)
{
    LineFields fields;
    SplitLine(line, fields);
    WriteTextHit(fields);
}

void GenerateReport::WriteTextHit(const LineFields& fields)
{
    int64_t minute = TimeOfField(FieldOf(fields, iTimeField)) / 60 * 60;
    bool newMinute = minute != iLastMinute;
    iLastMinute = minute;
    // The entry is built in a buffer kept between hits: a report may have
    // hundreds of thousands of them.
    std::string& entry = sHitText;
    entry.clear();
    if (bRepShowSize) {
        entry = Padded(static_cast<uint64_t>(iLineBytes));
        entry += ' ';
    }
    GetUser(fields, true, sShownUser);
    FitWidth(sShownUser, std::min(iUserNameLen, kWidestUserColumn));
    entry += sShownUser;
    entry += ' ';
    entry += sMarks;
    entry += ' ';
    size_t prefix = entry.size();
    if (sIndent.empty())
        sIndent.assign(prefix, ' ');
    if (newMinute) {
        // A time stamp no calendar can show gives no time line.
        std::string timeText = TimeText(minute);
        if (!timeText.empty())
            Emit(sIndent + timeText + "\n");
    }
    std::string_view url = StripSchemeView(FieldOf(fields, iUrlField));
    size_t indent = sIndent.size();
    // Splitting needs room beside the indent; without it every piece would
    // be empty and the entry would never end, so it is written whole.
    bool split = bRepSplit && iRepColumns > 0 && static_cast<size_t>(iRepColumns) > indent;
    size_t room = split ? static_cast<size_t>(iRepColumns) - indent : url.size();
    entry.append(url.substr(0, room));
    if (!bRepSplit)
        ShortenUrl(entry, iRepColumns);
    entry += '\n';
    Emit(entry);
    for (size_t pos = room; pos < url.size(); pos += room) {
        entry = sIndent;
        entry.append(url.substr(pos, room));
        entry += '\n';
        Emit(entry);
    }
}

void GenerateReport::WriteCsvHit(const char* line)
{
    LineFields fields;
    SplitLine(line, fields);
    WriteCsvHit(fields);
}

void GenerateReport::WriteCsvHit(const LineFields& fields)
{
    std::string_view bytes = FieldOf(fields, iBytesField);
    std::string_view stamp = FieldOf(fields, iTimeField);
    std::string url(FieldOf(fields, iUrlField));
    ShortenUrl(url, iRepCSVcols);
    GetUser(fields, true, sShownUser);
    std::string text(bytes);
    text += sRepSeperator + sShownUser + sRepSeperator + sMarks + sRepSeperator;
    text.append(stamp.data(), stamp.size());
    text += sRepSeperator + TimeText(TimeOfField(stamp)) + sRepSeperator + url + "\n";
    Emit(text);
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
