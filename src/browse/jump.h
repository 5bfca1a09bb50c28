// Jumping to the first request of a date: the date arithmetic and the
// bisection over byte offsets, which relies on the log being in time order.
#pragma once

#include <cstdint>
#include <string>

// Shows a short status text while a jump works (may be null).
using JumpStatus = void (*)(const char* text);

// Time of the selected line, the date a jump counts from. False (with
// "Bad day to start with." when there is a log) when it has no time.
bool JumpStartTime(int64_t& t);
// Day of the month typed at the jump prompt; 0 when it is not 1 to 31.
int JumpDayAnswer(const std::string& answer);
// Local midnight of the next (forward) or previous date after the date of
// t whose day of the month is day, trying at most 101 dates; -1 when none.
int64_t DayTarget(int64_t t, int day, bool forward);
// Moves to the first request of that date, or says "Couldn't find day".
void JumpToDate(int64_t t, int day, bool forward, JumpStatus status);
// Offset of the first line whose time is not before the target, by
// bisection and a short linear scan; lines without a time are passed over.
// When every line is before the target, the last line (whose time the
// caller may check); -1 when a stretch without any timed line leaves no
// answer.
int64_t OffsetOfTime(int64_t target, JumpStatus status);
// Selects the line OffsetOfTime finds, or says "Problem in jump :(".
void SeekTime(int64_t target, JumpStatus status);
// The linear part over the lines from `from` up to `to`: the first line
// there not before the target, else `to`.
int64_t ScanToTime(int64_t from, int64_t to, int64_t target, JumpStatus status);
