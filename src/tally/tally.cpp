#include "tally/tally.h"

#include <algorithm>
#include <chrono>
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
// The largest share of a gathering's time its once-a-second sorts may
// take; with millions of users one sort takes about a second.
constexpr double kSortShare = 0.1;

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

// The numeric key of a sort, larger first.
int64_t KeyOf(int sort, const TallyRecord& r)
{
    switch (sort) {
    case eSortPoints: return r.iPoints;
    case eSortBytes: return r.iBytes;
    case eSortRequests: return r.iRequests;
    case eSortUrlSize: return r.iUrlSize;
    default: return r.iLastTime;
    }
}

// The positions of the records in their stable sorted order, or nothing
// when they are in order already. Keys and positions are sorted rather than
// whole records: the records are large and there may be millions.
std::vector<uint32_t> SortedOrder(const std::vector<TallyRecord>& records, int sort)
{
    bool inOrder = true;
    for (size_t i = 1; i < records.size() && inOrder; ++i)
        inOrder = !SortsBefore(sort, records[i], records[i - 1]);
    std::vector<uint32_t> order;
    if (inOrder)
        return order;
    if (sort == eSortUser) {
        order.resize(records.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<uint32_t>(i);
        std::stable_sort(order.begin(), order.end(),
                         [&records](uint32_t a, uint32_t b) { return records[a].sUser < records[b].sUser; });
        return order;
    }
    std::vector<std::pair<int64_t, uint32_t>> keys(records.size());
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i] = {KeyOf(sort, records[i]), static_cast<uint32_t>(i)};
    std::stable_sort(keys.begin(), keys.end(),
                     [](const std::pair<int64_t, uint32_t>& a, const std::pair<int64_t, uint32_t>& b) {
                         return a.first > b.first;
                     });
    order.reserve(keys.size());
    for (const auto& key : keys)
        order.push_back(key.second);
    return order;
}

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

TallyMode& SharedTally()
{
    static TallyMode tally;
    // A tally gathered from another log means nothing for this one. Until
    // the tally is first used there is nothing to wipe.
    static const bool wipedOnSwitch = (AddLogSwitchHook([] { SharedTally().Wipe(); }), true);
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
    ClearNames(userIndex);
    for (const TallyRecord& r : vTally)
        AddName(userIndex, NameHash(r.sUser));
}

TallyRecord& TallyMode::RecordOf(const std::string& user)
{
    uint64_t hash = NameHash(user);
    int32_t found = FindName(userIndex, user, hash,
                             [this](int32_t i) -> const std::string& { return vTally[static_cast<size_t>(i)].sUser; });
    if (found >= 0)
        return vTally[static_cast<size_t>(found)];
    vTally.emplace_back();
    vTally.back().sUser = user;
    AddName(userIndex, hash);
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

void TallyMode::SortWhileGathering(double gatherStart)
{
    double start = SteadySeconds();
    if (sortSeconds > kSortShare * (start - gatherStart))
        return;
    SortTally();
    sortSeconds += SteadySeconds() - start;
}

void TallyMode::Gather(int64_t from, int64_t to)
{
    int remembered = iSort == eSortNone ? eSortPoints : iSort;
    iSort = eSortRequests;
    CatchUpLog();
    BeginScan();
    // Records put in by hand (or a stale index) are indexed afresh.
    if (userIndex.vHashes.size() != vTally.size())
        RebuildIndex();
    // Timed against the last progress line, like the progress itself: a
    // gathering that starts in another second sorts after its first line.
    int64_t lastSecond = iLastProgress;
    double gatherStart = SteadySeconds();
    sortSeconds = 0;
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
        int64_t second = static_cast<int64_t>(time(nullptr));
        if (second != lastSecond) {
            lastSecond = second;
            SortWhileGathering(gatherStart);
        }
        pos = next;
    }
    // An 's' typed during a gathering too short to poll stops it as well.
    if (EndScan())
        iTallyMonitor = false;
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
    ClearNames(userIndex);
    iCount = iTop = iCursor = 0;
    iGathered = 0;
    iSelected = 0;
}

void TallyMode::Wipe()
{
    Reset();
    // Forget the log too: after a switch of slot the next log may be
    // smaller or another file, which must not reset what is gathered next.
    ForgetLog();
}

void TallyMode::Refresh(int screenLines)
{
    int64_t size = 0;
    if (LogStartedAgain(size))
        Reset();
    iSizeSeen = size;
    int count = std::min(iCount, static_cast<int>(vTally.size()));
    ClampListPage(*this, std::max(std::min(screenLines - 2, count), 0), count);
    LoadFullNames();
}

void TallyMode::LoadFullNames()
{
    if (iCount == iNamesLoadedAt)
        return;
    iNamesLoadedAt = iCount;
    if (userIndex.vHashes.size() != vTally.size())
        RebuildIndex();
    ForEachUsersLine([&](std::string_view name, std::string_view fullName) {
        int32_t found = FindName(userIndex, name, NameHash(name), [this](int32_t i) -> const std::string& {
            return vTally[static_cast<size_t>(i)].sUser;
        });
        if (found >= 0 && found < iCount)
            vTally[static_cast<size_t>(found)].sFullName.assign(fullName);
    });
}

void TallyMode::SortTally()
{
    iFaultCode = kTallySortFault;
    if (vTally.size() >= 2 && iSort != eSortNone) {
        if (userIndex.vHashes.size() != vTally.size())
            RebuildIndex();
        std::vector<uint32_t> order = SortedOrder(vTally, iSort);
        if (!order.empty()) {
            std::vector<TallyRecord> sorted;
            sorted.reserve(vTally.size());
            for (uint32_t from : order)
                sorted.push_back(std::move(vTally[from]));
            vTally.swap(sorted);
            ReorderNames(userIndex, order);
        }
    }
    iFaultCode = 0;
}

void TallyMode::Move(eMove move) { MoveListPage(*this, move); }

void TallyMode::ZeroSelected()
{
    if (iSelected < 0 || iSelected >= iCount || iSelected >= static_cast<int>(vTally.size()))
        return;
    TallyRecord& r = vTally[static_cast<size_t>(iSelected)];
    r.iPoints = r.iBytes = r.iRequests = r.iUrlSize = 0;
    r.iGreatestHitAt = r.iLastSiteAt = -1;
}
