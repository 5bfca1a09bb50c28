#include "report/totals.h"

#include <algorithm>

#include "frame/settings.h"

namespace {

// Fault codes of the sorts, printed by the fault handler.
constexpr int kFaultLibraryByBytes = 1014;
constexpr int kFaultLibraryByCount = 1015;

// True when a must stand before b and the two differ in key.
bool Before(const TotalEntry& a, const TotalEntry& b, int mode)
{
    if (mode == eSortByBytes)
        return a.iBytes > b.iBytes;
    return a.iCount < b.iCount;
}

// Merges the sorted runs [from, mid) and [mid, to) through the buffer,
// taking from the left run on equal keys so the merge stays stable.
void MergeRuns(std::vector<TotalEntry>& v, size_t from, size_t mid, size_t to,
               std::vector<TotalEntry>& buffer, int mode)
{
    // Already in order: the common case between two count sorts.
    if (!Before(v[mid], v[mid - 1], mode))
        return;
    buffer.assign(v.begin() + static_cast<std::ptrdiff_t>(from), v.begin() + static_cast<std::ptrdiff_t>(mid));
    size_t left = 0;
    size_t right = mid;
    size_t out = from;
    while (left < buffer.size() && right < to) {
        if (Before(v[right], buffer[left], mode))
            v[out++] = v[right++];
        else
            v[out++] = buffer[left++];
    }
    while (left < buffer.size())
        v[out++] = buffer[left++];
}

// A natural merge sort: the runs already in order are found first and then
// merged pairwise, so a nearly sorted sequence costs little more than one
// walk, and any sequence at most n log n steps. Stable, so the order is the
// same as that of any exchange sort that swaps only neighbours out of order.
void OwnSort(std::vector<TotalEntry>& v, int mode)
{
    std::vector<size_t> bounds{0};
    for (size_t i = 1; i < v.size(); ++i)
        if (Before(v[i], v[i - 1], mode))
            bounds.push_back(i);
    bounds.push_back(v.size());
    std::vector<TotalEntry> buffer;
    while (bounds.size() > 2) {
        std::vector<size_t> merged{0};
        for (size_t r = 0; r + 2 < bounds.size(); r += 2) {
            MergeRuns(v, bounds[r], bounds[r + 1], bounds[r + 2], buffer, mode);
            merged.push_back(bounds[r + 2]);
        }
        // An odd run out stays as it is for the next round.
        if (merged.back() != v.size())
            merged.push_back(v.size());
        bounds.swap(merged);
    }
}

} // namespace

void SortTotals(std::vector<TotalEntry>& totals, int mode)
{
    if (totals.size() < 2)
        return;
    if (bRepMySort) {
        iFaultCode = kFaultOwnSort;
        OwnSort(totals, mode);
    } else {
        iFaultCode = mode == eSortByBytes ? kFaultLibraryByBytes : kFaultLibraryByCount;
        std::sort(totals.begin(), totals.end(),
                  [mode](const TotalEntry& a, const TotalEntry& b) { return Before(a, b, mode); });
    }
    iFaultCode = 0;
}
