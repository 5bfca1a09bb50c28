// Moving the view to hits and to a percentage of the log. The scans run
// through the scan step, so they stop on 's' and show their progress.
#pragma once

#include <cstdint>

// Moves to the next hit down (+1) or up (-1, or 0), or to the end reached.
void SearchHits(int direction);
// percent of whole as an offset, cut toward zero and never outside
// [0, whole], however large the log.
int64_t PercentOffset(double percent, int64_t whole);
// The offset goto selects for a percentage: the start of the first line
// after that share of the log; -1 when the percentage is out of range.
int64_t GotoOffset(double percent);
