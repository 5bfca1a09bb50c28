#include "report/totals.h"

#include <algorithm>
#include <cstring>

#include "frame/settings.h"

namespace {

// Fault codes of the sorts, printed by the fault handler.
constexpr int kFaultLibraryByBytes = 1014;
constexpr int kFaultLibraryByCount = 1015;
constexpr int kFaultOwnSort = 824;

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

namespace {

uint64_t Load8(const char* p)
{
    uint64_t word;
    memcpy(&word, p, 8);
    return word;
}

uint64_t Load4(const char* p)
{
    uint32_t word;
    memcpy(&word, p, 4);
    return word;
}

uint64_t Mix(uint64_t hash, uint64_t word)
{
    hash = (hash ^ word) * 0xff51afd7ed558ccdULL;
    return hash ^ (hash >> 32);
}

} // namespace

uint64_t NameHash(std::string_view name)
{
    // Whole words of eight bytes, the last one overlapping the one before:
    // names are short and looked up for every line.
    const char* p = name.data();
    size_t n = name.size();
    uint64_t hash = 0x9e3779b97f4a7c15ULL ^ n;
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8)
            hash = Mix(hash, Load8(p + i));
        return Mix(hash, Load8(p + n - 8));
    }
    if (n >= 4)
        return Mix(hash, Load4(p) | Load4(p + n - 4) << 32);
    if (n > 0) {
        uint64_t word = static_cast<unsigned char>(p[0]) | static_cast<uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
                        static_cast<uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
        return Mix(hash, word);
    }
    return Mix(hash, 0);
}

void ClearNames(NameIndex& index)
{
    index.vSlots.clear();
    index.vHashes.clear();
}

namespace {

void PlaceName(std::vector<int32_t>& slots, uint64_t hash, int32_t nameIndex)
{
    size_t mask = slots.size() - 1;
    size_t slot = hash & mask;
    while (slots[slot] != 0)
        slot = (slot + 1) & mask;
    slots[slot] = nameIndex + 1;
}

} // namespace

void AddName(NameIndex& index, uint64_t hash)
{
    index.vHashes.push_back(hash);
    // At most half full, so that probes stay short.
    if (index.vHashes.size() * 2 > index.vSlots.size()) {
        index.vSlots.assign(std::max<size_t>(16, index.vSlots.size() * 2), 0);
        for (size_t i = 0; i < index.vHashes.size(); ++i)
            PlaceName(index.vSlots, index.vHashes[i], static_cast<int32_t>(i));
        return;
    }
    PlaceName(index.vSlots, hash, static_cast<int32_t>(index.vHashes.size() - 1));
}
