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

// Fault code of the program's own sort of the totals (and of the count
// sorts a run makes with it), printed by the fault handler.
constexpr int kFaultOwnSort = 824;

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
