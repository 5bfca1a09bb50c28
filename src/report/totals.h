// Per-user and per-domain bandwidth totals of a report run and the two
// orders they are sorted in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Bytes and requests counted under one name.
struct TotalEntry {
    // Sum of the byte counts; compared unsigned.
    uint64_t iBytes = 0;
    // Number of requests counted.
    int32_t iCount = 0;
    // Position of the name in the run's name table; sorting moves entries
    // but never names, so this keeps the link.
    int32_t iNameIndex = 0;
};

// A user met by a report run and the full name found for it.
struct UserName {
    std::string sName;
    std::string sFullName;
};

// The orders SortTotals knows.
enum eSortMode {
    eSortByCount = 0,  // ascending request count
    eSortByBytes = 1,  // descending bytes
};

// Sorts totals in place by mode. With bRepMySort the program's own stable
// sort is used (entries with equal keys keep their order), otherwise the
// library sort (equal keys in no particular order). iFaultCode names the
// sort while it runs and is 0 afterwards; fewer than two entries are left
// alone without touching it.
void SortTotals(std::vector<TotalEntry>& totals, int mode);

// Names found without a search: an open-addressing table of name indexes
// (positions in a names sequence kept by the caller), growing with the
// number of names.
struct NameIndex {
    // Name index + 1 per slot; 0 is an empty slot.
    std::vector<int32_t> vSlots;
    // Hash of each name, by name index.
    std::vector<uint64_t> vHashes;
};

uint64_t NameHash(std::string_view name);
// Forgets every name.
void ClearNames(NameIndex& index);
// Notes the next name index (the number of names so far) with its hash.
void AddName(NameIndex& index, uint64_t hash);

// Index of the name, or -1 when it is not there; nameAt(i) is the name of
// index i.
template <typename NameAt>
int32_t FindName(const NameIndex& index, std::string_view name, uint64_t hash, NameAt nameAt)
{
    if (index.vSlots.empty())
        return -1;
    size_t mask = index.vSlots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        int32_t entry = index.vSlots[slot];
        if (entry == 0)
            return -1;
        if (index.vHashes[static_cast<size_t>(entry - 1)] == hash && nameAt(entry - 1) == name)
            return entry - 1;
    }
}
