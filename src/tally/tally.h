// The all users' tally: running statistics per user over a stretch of the
// current log, kept current while the log grows, and the sorting of them.
// Curses-free; the screens (Run) live in tallyscreen.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browse/loglist.h"
#include "entries/nameindex.h"

// One user's statistics. Counters are 64-bit: a busy user passes 2 GiB of
// bytes (and so of points) within a day.
struct TallyRecord {
    std::string sUser;         // GetUser of the user's lines; the key
    std::string sFullName;     // from the users file
    int64_t iPoints = 0;       // faded points
    int64_t iBytes = 0;        // bytes of the counted requests
    int64_t iRequests = 0;     // counted requests
    int64_t iUrlSize = 0;      // bytes of the largest counted request
    int64_t iGreatestHitAt = -1; // offset of the line that set iUrlSize
    int64_t iLastSiteAt = -1;  // offset of the latest counted line
    int64_t iLastTime = 0;     // time stamp of the latest counted line
};

// Sort methods (iSort).
enum eTallySort {
    eSortNone = 0,
    eSortUser = 1,
    eSortPoints = 2,
    eSortBytes = 3,
    eSortRequests = 4,
    eSortUrlSize = 5,
    eSortIdle = 6
};

// Fault code shown if the process dies while the tally is sorted.
constexpr int kTallySortFault = 312;
// Period used when the configured fade period is not positive.
constexpr int kDefaultTallyHP = 3600;

// The tally. Its settings are the process-wide iTallyHP, iTallyFade,
// iTallyEntry, iTallyMonitor and iTallyDenies, which the configuration file
// keeps across runs.
// The list page (iTop, iCursor, iRows, iCount: the records the screens
// work with, iSelected, iMaxTop) and iSizeSeen come from LogList.
class TallyMode : public LogList {
public:
    int iView = 0;      // 0 requests, 1 user name, 2 greatest hits, 3 last site
    int iSort = 0;      // eTallySort
    std::vector<TallyRecord> vTally; // in display order
    int64_t iPeriodStart = 0; // start of the current fade period
    int64_t iPeriodEnd = 0;   // its end; 0 = no period started yet
    int64_t iGathered = 0;    // offset after the last line looked at
    int iNamesLoadedAt = -1;  // iCount when full names were last loaded

    // Counts the lines starting in [from, to) and sorts. Stops early when the
    // scan step says so ('s'), which also switches iTallyMonitor off.
    void Gather(int64_t from, int64_t to);
    // Re-measures the log (a smaller or replaced log resets the tally),
    // recomputes the paging fields for a screen of screenLines lines and
    // loads full names when the record count changed.
    void Refresh(int screenLines);
    // Fills the full names from the users file when iCount has changed
    // since the last load.
    void LoadFullNames();
    // Stable sort of vTally by iSort; equal records keep their order.
    void SortTally();
    // Moves the selection; the list does not grow at its ends.
    void Move(eMove move);
    // Zeroes the counters of the selected record; it keeps its place.
    void ZeroSelected();
    // Destroys every record; the fade period, view and sort stay.
    void Wipe();
    // Applies the fade for a line with time stamp t.
    void FadeStep(int64_t t);
    // Moves every offset kept to where the log's text went (a set of files
    // found again after a rotation), so counting goes on where it was.
    void FollowMove(const std::function<int64_t(int64_t)>& move);

    // The screens (tallyscreen.cpp). True when the user asked to quit.
    bool Run();

private:
    void CountLine(int64_t pos);
    TallyRecord& RecordOf(const std::string& user);
    void RebuildIndex();
    void Reset();
    // The once-a-second sort of a gathering, skipped while the sorts
    // already took more than a small share of the gathering's time.
    void SortWhileGathering(double gatherStart);

    // User -> index in vTally; follows every sort.
    NameIndex userIndex;
    // Seconds the sorts of the current gathering took so far.
    double sortSeconds = 0;
    std::string userScratch;
};

// The tally of the whole run.
TallyMode& SharedTally();

// Name of a sort method; "unsorted" for any other value.
const char* SortName(int sort);
// Age of time stamp t at time now: "!" when in the future, else seconds,
// minutes, hours (up to 59) or days with their unit letter.
std::string IdleText(int64_t t, int64_t now);
