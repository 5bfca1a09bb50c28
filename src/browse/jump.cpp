#include "browse/jump.h"

#include <ctime>

#include "browse/logreader.h"
#include "frame/message.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/numbers.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int kDatesTried = 101;
// Below this many bytes the bisection hands over to the linear scan.
constexpr int64_t kLinearBytes = 100000;

void Show(JumpStatus status, const char* text)
{
    if (status != nullptr)
        status(text);
}

// Local time of t with the clock set to hour:00:00. The zone decides
// whether daylight saving applies at that hour, not the hour t had: taking
// t's flag would put midnight an hour off on the days the clocks change.
int64_t AtHour(int64_t t, int hour, int* dayOfMonth)
{
    time_t tt = static_cast<time_t>(t);
    struct tm tm;
    if (localtime_r(&tt, &tm) == nullptr)
        return -1;
    tm.tm_sec = 0;
    tm.tm_min = 0;
    tm.tm_hour = hour;
    tm.tm_isdst = -1;
    time_t r = mktime(&tm);
    if (dayOfMonth != nullptr)
        *dayOfMonth = tm.tm_mday;
    return static_cast<int64_t>(r);
}

int DayOfMonth(int64_t t)
{
    time_t tt = static_cast<time_t>(t);
    struct tm tm;
    return localtime_r(&tt, &tm) == nullptr ? 0 : tm.tm_mday;
}

} // namespace

bool JumpStartTime(int64_t& t)
{
    if (iLogSize == 0)
        return false;
    NextLine(iCursorOffset);
    t = IsBlank(sCurrentLine) ? 0 : GetTime(sCurrentLine);
    if (t == 0) {
        sStatusMessage = "Bad day to start with.";
        return false;
    }
    return true;
}

int JumpDayAnswer(const std::string& answer)
{
    int n = LeadingInt(answer);
    return n >= 1 && n <= 31 ? n : 0;
}

int64_t DayTarget(int64_t t, int day, bool forward)
{
    // 04:00 keeps every step of whole days on the intended date, whatever
    // the clocks do in between.
    int64_t base = AtHour(t, 4, nullptr);
    int m = base == 0 ? 0 : DayOfMonth(base);
    int64_t step = forward ? kDay : -kDay;
    int64_t start = m == day ? base + step : base;
    for (int k = 0; k < kDatesTried; ++k) {
        int64_t e = start + k * step;
        if (DayOfMonth(e) == day)
            return AtHour(e, 0, nullptr);
    }
    return -1;
}

void JumpToDate(int64_t t, int day, bool forward, JumpStatus status)
{
    Show(status, "Finding day...");
    int64_t target = DayTarget(t, day, forward);
    if (target < 0) {
        sStatusMessage = "Couldn't find day";
        return;
    }
    SeekTime(target, status);
}

void SeekTime(int64_t target, JumpStatus status)
{
    if (!LogIsWhole())
        CompleteLog();
    int64_t lo = 0;
    int64_t hi = iLastLineStart;
    Show(status, "Splitting pointer...");
    while (hi > lo) {
        if (hi - lo < kLinearBytes) {
            ScanToTime(lo, hi, target, status);
            return;
        }
        int64_t p = NextLine((lo + hi) / 2);
        int64_t q = NextLine(p);
        int64_t t = GetTime(sCurrentLine);
        while (t == 0) {
            // A stretch without a timed line up to the top of the range (or
            // a read that made no progress) leaves the view where it was.
            if (q >= hi || q <= p) {
                sStatusMessage = "Problem in jump :(";
                return;
            }
            p = q;
            q = NextLine(p);
            t = GetTime(sCurrentLine);
        }
        if (t < target)
            lo = q;
        else
            hi = q;
    }
    ShowOffset(lo);
}

void ScanToTime(int64_t from, int64_t to, int64_t target, JumpStatus status)
{
    Show(status, "Sequencing...");
    int64_t a = from;
    for (;;) {
        int64_t n = NextLine(a);
        if (GetTime(sCurrentLine) >= target) {
            ShowOffset(a);
            return;
        }
        if (n >= to || n <= a) {
            ShowOffset(to);
            return;
        }
        a = n;
    }
}
