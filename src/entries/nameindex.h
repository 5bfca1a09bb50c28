// A table that finds names without a search: the report's user and domain
// totals and the tally's records are looked up through it for every line.
// The names come from the log, so anyone whose requests reach the proxy
// chooses them; the hash is keyed with a secret drawn once per run, so
// nobody can pick names that pile up in a few slots.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Open addressing over name indexes (positions in a sequence of names kept
// by the caller), growing with the number of names.
struct NameIndex {
    // Per slot: the hash's top 32 bits above the name index + 1, so that
    // a probe rarely looks further than the slot; 0 is an empty slot.
    std::vector<uint64_t> vSlots;
    // Hash of each name, by name index.
    std::vector<uint64_t> vHashes;
};

// SipHash-1-3 of the name under the run's secret key.
uint64_t NameHash(std::string_view name);
// Forgets every name.
void ClearNames(NameIndex& index);
// Notes the next name index (the number of names so far) with its hash.
void AddName(NameIndex& index, uint64_t hash);
// The names were moved: the name now at index i was at order[i] before.
// order must be a permutation of 0 .. number of names - 1.
void ReorderNames(NameIndex& index, const std::vector<uint32_t>& order);

// Index of the name, or -1 when it is not there; nameAt(i) is the name of
// index i.
template <typename NameAt>
int32_t FindName(const NameIndex& index, std::string_view name, uint64_t hash, NameAt nameAt)
{
    if (index.vSlots.empty())
        return -1;
    size_t mask = index.vSlots.size() - 1;
    const uint64_t tag = hash >> 32;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        uint64_t word = index.vSlots[slot];
        if (word == 0)
            return -1;
        int32_t entry = static_cast<int32_t>(word & 0xffffffffu) - 1;
        if (word >> 32 == tag && nameAt(entry) == name)
            return entry;
    }
}
