// The hit lines of a report, normal text or CSV, and the one place where
// report text goes to the file (and, while echoing, to the screen).
#include <algorithm>
#include <cerrno>

#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/settings.h"
#include "report/generate.h"
#include "report/output.h"

namespace {

// No report line is wider than 256 columns; a user column from a garbled
// configuration file must not make every hit line gigabytes long.
constexpr int kWidestUserColumn = 1024;

} // namespace

void GenerateReport::Emit(const std::string& text)
{
    if (!bToFile)
        return;
    if (bEcho && pEchoHook != nullptr)
        pEchoHook(text);
    if (pReportFile == nullptr || fwrite(text.data(), 1, text.size(), pReportFile) != text.size()) {
        iWriteError = pReportFile == nullptr ? EBADF : errno;
        throw eWriteFailed;
    }
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

