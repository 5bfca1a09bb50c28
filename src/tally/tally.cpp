#include "tally/tally.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

#include "browse/logreader.h"
#include "entries/aliases.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "entries/results.h"
#include "frame/scan.h"
#include "frame/settings.h"

namespace {

const char* const kGatherLabel = "Users mode gathering";
// Lines between two looks at the clock for the once-a-second sort.
constexpr int kClockStride = 256;

// A single-precision product truncated toward zero, kept within 0 and the
// largest 64-bit value: a negative or absurd factor from the configuration
// file, or a size of many GiB, must never wrap a counter.
int64_t TruncatePoints(float value)
{
    if (!(value > 0.0f))
        return 0; // also NaN
    if (!(value < 9.2233720368547758e18f))
        return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(value);
}

int64_t SaturatingAdd(int64_t a, int64_t b)
{
    if (b > 0 && a > std::numeric_limits<int64_t>::max() - b)
        return std::numeric_limits<int64_t>::max();
    return a + b;
}

bool SortsBefore(int sort, const TallyRecord& a, const TallyRecord& b)
{
    switch (sort) {
    case eSortUser: return a.sUser < b.sUser;
    case eSortPoints: return a.iPoints > b.iPoints;
    case eSortBytes: return a.iBytes > b.iBytes;
    case eSortRequests: return a.iRequests > b.iRequests;
    case eSortUrlSize: return a.iUrlSize > b.iUrlSize;
    case eSortIdle: return a.iLastTime > b.iLastTime;
    default: return false;
    }
}

} // namespace

TallyMode& SharedTally()
{
    static TallyMode tally;
    // A tally gathered from another log means nothing for this one. Until
    // the tally is first used there is nothing to wipe.
    static const bool wipedOnSwitch = (SetLogSwitchHook([] { SharedTally().Wipe(); }), true);
    static const int following = FollowLogOffsets([](const std::function<int64_t(int64_t)>& move) {
        SharedTally().FollowMove(move);
    });
    (void)wipedOnSwitch;
    (void)following;
    return tally;
}

const char* SortName(int sort)
{
    static const char* const names[] = {"user name", "points", "bytes", "requests", "URL size", "idle"};
    if (sort >= 1 && sort <= 6)
        return names[sort - 1];
    return "unsorted";
}

std::string IdleText(int64_t t, int64_t now)
{
    // Reckoned in 64 bits: a time stamp decades away must not wrap round
    // into a small or negative age.
    if (t > now)
        return "!";
    uint64_t s = static_cast<uint64_t>(now) - static_cast<uint64_t>(t);
    if (s <= 59)
        return NumToStr(s) + "s";
    if (s <= 3599)
        return NumToStr(s / 60) + "m";
    if (s <= 215999)
        return NumToStr(s / 3600) + "h";
    return NumToStr(s / 86400) + "d";
}

void TallyMode::RebuildIndex()
{
    userIndex.clear();
    for (size_t i = 0; i < vTally.size(); ++i)
        userIndex[vTally[i].sUser] = static_cast<int>(i);
}

TallyRecord& TallyMode::RecordOf(const std::string& user)
{
    auto found = userIndex.find(user);
    if (found != userIndex.end())
        return vTally[static_cast<size_t>(found->second)];
    userIndex.emplace(user, static_cast<int>(vTally.size()));
    vTally.emplace_back();
    vTally.back().sUser = user;
    return vTally.back();
}

void TallyMode::FadeStep(int64_t t)
{
    if (t < iPeriodEnd)
        return;
    int64_t period = iTallyHP > 0 ? iTallyHP : kDefaultTallyHP;
    int64_t start = t - t % period;
    if (iPeriodEnd != 0) {
        int64_t k = (start - iPeriodStart) / period;
        float factor = static_cast<float>(std::pow(static_cast<double>(iTallyFade), static_cast<double>(k)));
        for (TallyRecord& r : vTally)
            r.iPoints = TruncatePoints(static_cast<float>(r.iPoints) * factor);
    }
    iPeriodStart = start;
    // A time stamp near the end of the 64-bit range keeps its period open.
    iPeriodEnd = start > std::numeric_limits<int64_t>::max() - period ? std::numeric_limits<int64_t>::max()
                                                                       : start + period;
}

void TallyMode::CountLine(int64_t pos)
{
    const char* line = sCurrentLine;
    if (IsBlank(line))
        return;
    // Split once: four fields of every line are read.
    LineFields fields;
    SplitLine(line, fields);
    GetUser(fields, false, userScratch);
    if (userScratch.empty())
        return;
    if (!iTallyDenies && ClassifyField(FieldOf(fields, iResultField)) == 'd')
        return;
    // A negative size is garbage; it must not lower the counters.
    int64_t bytes = std::max<int64_t>(BytesOfField(FieldOf(fields, iBytesField)), 0);
    TallyRecord& r = RecordOf(userScratch);
    int64_t t = TimeOfField(FieldOf(fields, iTimeField));
    FadeStep(t);
    r.iBytes = SaturatingAdd(r.iBytes, bytes);
    r.iRequests = SaturatingAdd(r.iRequests, 1);
    if (bytes > r.iUrlSize) {
        r.iUrlSize = bytes;
        r.iGreatestHitAt = pos;
    }
    r.iPoints = SaturatingAdd(r.iPoints, TruncatePoints(static_cast<float>(bytes) * iTallyEntry));
    r.iLastTime = t;
    r.iLastSiteAt = pos;
}

void TallyMode::Gather(int64_t from, int64_t to)
{
    int remembered = iSort == eSortNone ? eSortPoints : iSort;
    iSort = eSortRequests;
    CatchUpLog();
    BeginScan();
    int64_t lastSecond = static_cast<int64_t>(time(nullptr));
    int clock = 0;
    for (int64_t pos = from; pos < to;) {
        int64_t next = NextLine(pos);
        if (next <= pos)
            break; // no further line, or a step that does not move
        CountLine(pos);
        iGathered = next;
        if (ScanStep(kGatherLabel, pos - from, to - from)) {
            iTallyMonitor = false;
            break;
        }
        if (++clock >= kClockStride) {
            clock = 0;
            int64_t second = static_cast<int64_t>(time(nullptr));
            if (second != lastSecond) {
                lastSecond = second;
                SortTally();
            }
        }
        pos = next;
    }
    iCount = static_cast<int>(vTally.size());
    iSort = remembered;
    SortTally();
}

void TallyMode::FollowMove(const std::function<int64_t(int64_t)>& move)
{
    iGathered = move(iGathered);
    iSizeSeen = move(iSizeSeen);
    for (TallyRecord& r : vTally) {
        if (r.iGreatestHitAt >= 0)
            r.iGreatestHitAt = move(r.iGreatestHitAt);
        if (r.iLastSiteAt >= 0)
            r.iLastSiteAt = move(r.iLastSiteAt);
    }
}

void TallyMode::Reset()
{
    vTally.clear();
    userIndex.clear();
    iCount = iTop = iCursor = 0;
    iGathered = 0;
    iSelected = 0;
}

void TallyMode::Wipe()
{
    Reset();
    // Forget the log too: after a switch of slot the next log may be
    // smaller or another file, which must not reset what is gathered next.
    iSizeSeen = 0;
    logDevice = logInode = 0;
}

void TallyMode::Refresh(int screenLines)
{
    uint64_t device = 0, inode = 0;
    int64_t size = LogIdentityNow(device, inode);
    bool replaced = logInode != 0 && inode != 0 && (device != logDevice || inode != logInode);
    if (size < iSizeSeen || replaced)
        Reset();
    iSizeSeen = size;
    logDevice = device;
    logInode = inode;
    iCount = std::min(iCount, static_cast<int>(vTally.size()));
    iRows = std::max(std::min(screenLines - 2, iCount), 0);
    iMaxTop = std::max(iCount - iRows, 0);
    // A smaller screen or list must not leave the selection off the list.
    iTop = std::max(std::min(iTop, iMaxTop), 0);
    iCursor = std::max(std::min(iCursor, iRows - 1), 0);
    iSelected = iTop + iCursor;
    LoadFullNames();
}

void TallyMode::LoadFullNames()
{
    if (iCount == iNamesLoadedAt)
        return;
    iNamesLoadedAt = iCount;
    std::string key;
    ForEachUsersLine([&](std::string_view name, std::string_view fullName) {
        key.assign(name);
        auto found = userIndex.find(key);
        if (found != userIndex.end() && found->second < iCount)
            vTally[static_cast<size_t>(found->second)].sFullName.assign(fullName);
    });
}

void TallyMode::SortTally()
{
    iFaultCode = kTallySortFault;
    if (vTally.size() >= 2 && iSort != eSortNone) {
        int sort = iSort;
        std::stable_sort(vTally.begin(), vTally.end(),
                         [sort](const TallyRecord& a, const TallyRecord& b) { return SortsBefore(sort, a, b); });
        RebuildIndex();
    }
    iFaultCode = 0;
}

void TallyMode::Move(eMove move)
{
    ListPage page;
    page.iTop = iTop;
    page.iCursor = iCursor;
    page.iRows = iRows;
    page.iCount = iCount;
    MoveListPage(page, move);
    iTop = page.iTop;
    iCursor = page.iCursor;
    iSelected = iTop + iCursor;
}

void TallyMode::ZeroSelected()
{
    if (iSelected < 0 || iSelected >= iCount || iSelected >= static_cast<int>(vTally.size()))
        return;
    TallyRecord& r = vTally[static_cast<size_t>(iSelected)];
    r.iPoints = r.iBytes = r.iRequests = r.iUrlSize = 0;
    r.iGreatestHitAt = r.iLastSiteAt = -1;
}
