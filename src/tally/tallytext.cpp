#include "tally/tallytext.h"

#include <algorithm>

#include "browse/logreader.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/helptext.h"
#include "frame/screentext.h"
#include "frame/settings.h"
#include "tally/tally.h"

namespace {

constexpr size_t kColumnWidth = 11;

std::string RightAligned(const std::string& text)
{
    if (text.size() > kColumnWidth)
        return std::string(kColumnWidth, ' ');
    return std::string(kColumnWidth - text.size(), ' ') + text;
}

// " " and the URL of the line at offset, after its scheme; empty when the
// offset names no line (-1, or beyond a log that shrank).
std::string UrlAt(int64_t offset)
{
    if (offset < 0 || NextLine(offset) <= offset)
        return {};
    std::string url;
    GetField(sCurrentLine, iUrlField, url);
    StripScheme(url);
    return " " + url;
}

std::string Fitted(std::string text, int width)
{
    ShortenUrl(text, width);
    FitWidth(text, width);
    return text;
}

// The user column's width: the setting, but never wider than the row can
// show, so that an absurd setting cannot make every row gigabytes long.
int UserWidth(int setting, int width)
{
    return std::max(std::min(setting, width), 0);
}

std::string TitleOf(int view, int width)
{
    switch (view) {
    case 1: return "Full Names";
    case 2: return "Greatest Hits";
    case 3: return "Last visited sites";
    default: break;
    }
    std::string user = "User";
    FitWidth(user, UserWidth(iUserNameLen, width));
    return user + " " + RightColumn("Points") + RightColumn("Bytes") + RightColumn("Requests") +
           RightColumn("URL size") + RightColumn("Idle");
}

std::string RowOf(int view, const TallyRecord& r, int width, int64_t now)
{
    switch (view) {
    case 1: {
        std::string user = r.sUser;
        FitWidth(user, UserWidth(iUserNameLen >= 16 ? iUserNameLen : 15, width));
        std::string text = user + " " + r.sFullName;
        FitWidth(text, width);
        return text;
    }
    case 2:
        return Fitted(UserColumn(r.sUser, width) + " " + RightAligned(NumToCommaStr(static_cast<uint64_t>(r.iUrlSize))) +
                          UrlAt(r.iGreatestHitAt),
                      width);
    case 3:
        return Fitted(UserColumn(r.sUser, width) + UrlAt(r.iLastSiteAt), width);
    default:
        break;
    }
    return UserColumn(r.sUser, width) + " " + NumberColumn(r.iPoints) + NumberColumn(r.iBytes) +
           NumberColumn(r.iRequests) + NumberColumn(r.iUrlSize) + RightColumn(IdleText(r.iLastTime, now));
}
} // namespace

std::string RightColumn(const std::string& text)
{
    return RightAligned(text) + " ";
}

std::string NumberColumn(int64_t n)
{
    return RightColumn(NumToCommaStr(static_cast<uint64_t>(n)));
}

std::string UserColumn(const std::string& user, int limit)
{
    int width = std::max(iUserNameLen, 0);
    std::string text = static_cast<int>(user.size()) > width ? ShortenIp(user, width) : user;
    FitWidth(text, UserWidth(width, limit));
    return text;
}

std::vector<std::string> TallyScreenRows(const TallyMode& tally, int cols, int64_t now)
{
    int width = std::max(cols - 1, 0);
    std::vector<std::string> rows;
    rows.push_back(TitleOf(tally.iView, width));
    int last = std::min(tally.iCount, static_cast<int>(tally.vTally.size()));
    for (int j = 1; j <= tally.iRows && tally.iTop + j - 1 < last; ++j)
        rows.push_back(RowOf(tally.iView, tally.vTally[static_cast<size_t>(tally.iTop + j - 1)], width, now));
    // The counters view is wider than a narrow terminal; a row must never
    // wrap onto the next one.
    for (std::string& row : rows)
        if (static_cast<int>(row.size()) > width)
            row.resize(static_cast<size_t>(width));
    return rows;
}

std::string TallyStatus(const TallyMode& tally, int cols)
{
    std::string text = PercentText(tally.iSelected, tally.iCount - 1) + " " + SortName(tally.iSort);
    FitWidth(text, std::max(cols - 1, 0));
    std::string right = std::string(iTallyDenies ? "" : "-d ") + (iTallyMonitor ? "mon " : "") + "| h = help";
    if (text.size() >= right.size())
        text.replace(text.size() - right.size(), right.size(), right);
    return text;
}

std::string TallyEntryText(int64_t cursorOffset, int64_t lastLineStart)
{
    std::string where = LogTimeTextAt(cursorOffset);
    return "All Users' Tally Mode\n\nCurrent position is " + where + " (" +
           PercentWord(cursorOffset, lastLineStart) +
           ")\n\nPress enter to begin from here.\n\nNote this might take a while.";
}

std::string SortMenuText(int sort)
{
    return std::string("Current sort method is: ") + SortName(sort) +
           "\n\nChange to:\n\n1.  user name\n2.  points\n3.  bytes\n4.  requests\n5.  URL size\n"
           "6.  idle time\n\nAny other key to dismiss";
}

std::string TallyHelpText()
{
    static const char* const lines[] = {
#define KEY(code, name, help, ...) help,
#include "tally/tallykeys.h"
#undef KEY
    };
    return KeyHelpScreen("All Users' Tally help", lines, static_cast<int>(sizeof lines / sizeof lines[0]));
}
