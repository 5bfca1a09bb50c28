#include "history/history.h"

#include <algorithm>
#include <chrono>

#include "browse/logreader.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "entries/words.h"
#include "frame/helptext.h"
#include "frame/scan.h"
#include "frame/screentext.h"

namespace {

// The initial fill gives up after this long, for a user with few lines.
constexpr auto kFillTime = std::chrono::seconds(2);
} // namespace

UserHistory::UserHistory()
{
    following.key = FollowLogOffsets([this](const std::function<int64_t(int64_t)>& move) {
        for (int64_t& offset : vOffsets)
            offset = move(offset);
        if (iBackAt > 0)
            iBackAt = move(iBackAt);
        iForwardAt = move(iForwardAt);
        iSizeSeen = move(iSizeSeen);
    });
}

UserHistory::~UserHistory() { StopFollowingLogOffsets(following.key); }

std::string UserHistory::ScanLabel() const
{
    return "History of " + sUser;
}

bool UserHistory::IsUsersLine()
{
    if (IsBlank(sCurrentLine))
        return false;
    GetUser(sCurrentLine, false, userScratch);
    return userScratch == sUser;
}

void UserHistory::Reset()
{
    vOffsets.clear();
    iCursor = iTop = 0;
    iSizeSeen = iBackAt = iForwardAt = 0;
    iSelected = 0;
}

void UserHistory::Wipe()
{
    Reset();
}

void UserHistory::Refresh(int screenLines)
{
    int64_t size = 0;
    // The old offsets mean nothing in a new file: start again from its
    // first byte, going forwards only.
    if (LogStartedAgain(size))
        Reset();
    else
        iSizeSeen = size;
    CatchUpLog();
    ClampListPage(*this, std::max(screenLines - 2, 0), static_cast<int>(vOffsets.size()));
}

int UserHistory::ScanBack()
{
    if (iBackAt == 0)
        return 0;
    int64_t pos = iBackAt > 0 ? iBackAt : (vOffsets.empty() ? iSizeSeen : vOffsets.front());
    std::string label = ScanLabel();
    BeginScan();
    int result = 0;
    bool found = false;
    for (int n = 0;; ++n) {
        int64_t p = PrevLine(pos);
        // A step that does not move (an unreadable log, a first line too
        // short to step over) ends backward scanning like the start does.
        if (p >= pos) {
            iBackAt = 0;
            break;
        }
        iBackAt = p;
        // The log's first line is examined too before the start ends the
        // scan: a user whose first request opens the log must see it. The
        // step back onto it may leave only its offset, not its text.
        if (p == 0 && sCurrentLine[0] == '\0')
            NextLine(0);
        if (IsUsersLine()) {
            found = true;
            break;
        }
        if (iBackAt == 0)
            break;
        if (n == kHistoryGiveUp) {
            result = -1;
            break;
        }
        if (ScanStep(label.c_str(), iBackAt, iSizeSeen)) {
            result = -2;
            break;
        }
        pos = iBackAt;
    }
    // A line found is kept whatever was typed; a scan that gave up ends as
    // stopped when 's' was typed during it.
    if (EndScan() && result == -1)
        result = -2;
    if (!found)
        return result;
    if (static_cast<int>(vOffsets.size()) >= kHistoryMax) {
        iForwardAt = vOffsets.back();
        vOffsets.pop_back();
    }
    vOffsets.insert(vOffsets.begin(), iBackAt);
    return 1;
}

int UserHistory::ScanForward()
{
    int64_t b = iForwardAt;
    if (b >= iSizeSeen)
        return 0;
    std::string label = ScanLabel();
    BeginScan();
    int result = 0;
    bool found = false;
    for (int n = 0;; ++n) {
        int64_t next = NextLine(b);
        if (next <= b) {
            iForwardAt = b;
            break;
        }
        if (IsUsersLine()) {
            iForwardAt = next;
            found = true;
            break;
        }
        if (n == kHistoryGiveUp) {
            iForwardAt = next;
            result = -1;
            break;
        }
        if (ScanStep(label.c_str(), next, iSizeSeen)) {
            iForwardAt = next;
            result = -2;
            break;
        }
        b = next;
    }
    if (EndScan() && result == -1)
        result = -2;
    if (!found)
        return result;
    vOffsets.push_back(b);
    if (static_cast<int>(vOffsets.size()) <= kHistoryMax)
        return 1;
    vOffsets.erase(vOffsets.begin());
    iBackAt = vOffsets.front();
    return 0;
}

void UserHistory::Start(const std::string& user, int screenLines)
{
    sUser = user;
    iCursor = iTop = 0;
    Refresh(screenLines);
    iBackAt = -1;
    iForwardAt = iSizeSeen;
    Refresh(screenLines);
    auto began = std::chrono::steady_clock::now();
    for (int calls = 0; calls < iRows;) {
        int result = ScanBack();
        if (result == 0)
            break;
        ++calls;
        if (std::chrono::steady_clock::now() - began >= kFillTime)
            break;
    }
    Refresh(screenLines);
}

void UserHistory::Move(eMove move)
{
    iCount = static_cast<int>(vOffsets.size());
    eListEdge edge = MoveListPage(*this, move);
    if (edge == eListPastTop) {
        // A line found becomes the first entry, selected on the first row.
        ScanBack();
    } else if (edge == eListPastBottom && ScanForward() > 0) {
        if (iCursor >= iRows - 1)
            ++iTop;
        else if (vOffsets.size() == 1)
            iCursor = 0;
        else
            ++iCursor;
    }
    iCount = static_cast<int>(vOffsets.size());
    iSelected = ListSelected(*this);
    iMaxTop = ListMaxTop(*this);
}

std::vector<std::string> UserHistory::ScreenRows(int cols, int64_t& selectedTime)
{
    int width = std::max(cols - 1, 0);
    std::vector<std::string> rows;
    std::string title = "One user history: " + sUser;
    FitWidth(title, width);
    rows.push_back(title);
    selectedTime = 0;
    std::string marks;
    std::string url;
    for (int r = 0; r < iRows; ++r) {
        int i = iTop + r;
        std::string text;
        if (i < static_cast<int>(vOffsets.size())) {
            int64_t at = vOffsets[static_cast<size_t>(i)];
            if (NextLine(at) > at) {
                MatchWords(sCurrentLine, marks);
                GetField(sCurrentLine, iUrlField, url);
                StripScheme(url);
                text = marks + " " + url;
                ShortenUrl(text, width);
                if (i == iSelected)
                    selectedTime = GetTime(sCurrentLine);
            }
        }
        FitWidth(text, width);
        rows.push_back(text);
    }
    return rows;
}

std::string UserHistory::StatusText(int cols, int64_t selectedTime) const
{
    std::string text = "(" + PercentWord(iBackAt, iSizeSeen) + " to " +
                       PercentWord(iForwardAt, iSizeSeen) + ") " +
                       PercentWord(iSelected, std::max(iCount - 1, 0));
    if (selectedTime > 0)
        text += " " + TimeText(selectedTime);
    FitWidth(text, std::max(cols - 1, 0));
    const std::string tail = " | h = help";
    if (text.size() >= tail.size())
        text.replace(text.size() - tail.size(), tail.size(), tail);
    return text;
}

std::string UserHistory::HelpText()
{
    static const char* const lines[] = {
#define KEY(code, name, help, ...) help,
#include "history/historykeys.h"
#undef KEY
    };
    return KeyHelpScreen("One User's History help", lines, static_cast<int>(sizeof lines / sizeof lines[0]));
}
