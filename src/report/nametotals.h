// The bytes and requests a report run counts under each user or domain
// name. Every counted line adds to one or two of these, so a line's whole
// visit must cost little: a name's counters and its bytes sit together in
// one block of an arena, and the hash table's slot leads straight to it.
//
// The order of the totals is the run's own: new names at the end, and
// every iRepFast lines a stable sort by request count (the library sort
// without bRepMySort). That order decides the ties of the final sort by
// bytes, so it must come out exactly as sorting one sequence of all the
// totals again and again would leave it. Such a sequence is not kept: it
// would cost a walk over every name at each sort. Each block keeps its
// count at the last sort and a label, and the sequence is the blocks
// ordered by the two; a sort looks only at the names counted since the
// one before.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "report/totals.h"

// Memory for the table and the arena: large blocks are asked for in huge
// pages where the system gives them, since a run visits names all over
// them and with small pages would wait on the address translation of
// nearly every visit.
template <typename T>
struct HugePageAllocator {
    using value_type = T;
    HugePageAllocator() = default;
    template <typename U>
    HugePageAllocator(const HugePageAllocator<U>&) {}
    T* allocate(size_t n);
    void deallocate(T* p, size_t) { std::free(p); }
    template <typename U>
    bool operator==(const HugePageAllocator<U>&) const { return true; }
    template <typename U>
    bool operator!=(const HugePageAllocator<U>&) const { return false; }
};

// Allocates bytes, in huge pages when they are many; nullptr when no
// memory is left.
void* AllocateLarge(size_t bytes);

template <typename T>
T* HugePageAllocator<T>::allocate(size_t n)
{
    if (n > SIZE_MAX / sizeof(T))
        throw std::bad_alloc();
    void* p = AllocateLarge(n * sizeof(T));
    if (p == nullptr)
        throw std::bad_alloc();
    return static_cast<T*>(p);
}

class NameTotals {
public:
    // The labels are given anew once their range is wider than both
    // relabelFloor and relabelPerName labels for each name; the own sort
    // packs its keys into one word when they fit in keyBits (at most 64).
    // Only tests choose other values, to reach what long runs reach.
    explicit NameTotals(int64_t relabelFloor = int64_t{1} << 24, int64_t relabelPerName = 32, int keyBits = 64)
        : iRelabelFloor(relabelFloor), iRelabelPerName(relabelPerName), iKeyBits(keyBits)
    {
    }
    // Adds one request of bytes (not below zero) under the name. The add
    // may wait in a short queue (see below); every other call takes it in.
    void Add(std::string_view name, int64_t bytes);
    // The count sort a run does every iRepFast lines.
    void SortByCount();
    // The totals in the run's order and the names by name index (the
    // order of first appearance); each TotalEntry leads to its name.
    void Collect(std::vector<TotalEntry>& totals, std::vector<std::string_view>& names);
    // Name index of the name (as Collect numbered them), or -1. Only after
    // Collect.
    int32_t Find(std::string_view name) const;
    // Forgets every name and frees the memory.
    void Clear();

private:
    // Adds wait a few turns before they are made, so that the table slot
    // and then the block of each are fetched from memory while the lines
    // in between are counted: with many names most of them are far out of
    // the cache, and a run would otherwise stand still at every one.
    static constexpr size_t kQueue = 8;
    static constexpr size_t kDirectNames = 4096;
    struct Pending {
        std::string sName;
        uint64_t iHash = 0;
        int64_t iBytes = 0;
    };
    // Block of a name, in 8-byte words: bytes; count (low half) and the
    // count at the last sort (high half, 0 for a name new since then);
    // label; name length (low) and the counted-since-the-last-sort mark
    // (high); then the name's bytes.
    static constexpr size_t kHeaderWords = 4;

    // The arena is a row of chunks, so that it grows without moving what
    // it holds: an offset is the chunk's number above kChunkBits bits of
    // the word in it. Chunks grow to 1 << kChunkBits words; a block longer
    // than that has a chunk of its own.
    static constexpr int kChunkBits = 18;
    using Chunk = std::vector<uint64_t, HugePageAllocator<uint64_t>>;

    uint64_t* Block(uint64_t at) { return &vChunks[at >> kChunkBits][at & ((uint64_t{1} << kChunkBits) - 1)]; }
    const uint64_t* Block(uint64_t at) const
    {
        return &vChunks[at >> kChunkBits][at & ((uint64_t{1} << kChunkBits) - 1)];
    }
    // The block an offset would name, or nullptr when there is none there.
    const uint64_t* BlockIfAny(uint64_t at) const;
    // Offsets of the blocks in the order they were made: the first, and
    // the one after a block; kNoBlock after the last.
    static constexpr uint64_t kNoBlock = ~uint64_t{0};
    uint64_t FirstBlock() const { return NextBlock(kNoBlock); }
    uint64_t NextBlock(uint64_t at) const;
    // Word offset of the name's block, or the insertion point in the
    // table (as ~slot) when it is not there.
    int64_t Lookup(std::string_view name, uint64_t hash) const;
    uint64_t NewBlock(std::string_view name, uint64_t hash, size_t slot);
    void Apply(std::string_view name, uint64_t hash, int64_t bytes);
    void Apply(const Pending& add) { Apply(add.sName, add.iHash, add.iBytes); }
    // Makes every add still waiting.
    void Drain();
    void Grow();
    // Word offsets of all blocks in the run's order.
    std::vector<uint64_t> Sequence() const;
    void LibrarySort();
    void OwnSort();
    // Labels the blocks by their place in the sequence, so that labels of
    // later sorts keep their room.
    void Relabel(const std::vector<uint64_t>& sequence);

    std::vector<Chunk> vChunks;
    std::vector<uint64_t, HugePageAllocator<uint64_t>> vSlots;
    // Hash of each name in the order of the arena, for growing the table.
    std::vector<uint64_t> vHashes;
    // Blocks counted since the last sort, in the order first counted.
    std::vector<uint64_t> vCounted;
    // The own sort's keys, kept so that each sort reuses their memory: the
    // count sort's ordering key (count, count at the last sort, place
    // before the sort) and the block.
    struct SortKey {
        unsigned __int128 key;
        uint64_t at;
    };
    std::vector<SortKey> vKeys;
    // The same keys packed into one word, when they fit, for a radix sort.
    struct SmallKey {
        uint64_t key;
        uint64_t at;
    };
    std::vector<SmallKey> vSmallKeys;
    std::vector<SmallKey> vSmallScratch;
    Pending vQueue[kQueue];
    // Adds made into the queue so far; those from iApplied on still wait.
    uint64_t iQueued = 0;
    uint64_t iApplied = 0;
    size_t iNames = 0;
    // Every label lies in [iLowLabel, iHighLabel): the own sort gives the
    // names that moved labels below the range and new names labels above.
    int64_t iLowLabel = 0;
    int64_t iHighLabel = 0;
    int64_t iRelabelFloor;
    int64_t iRelabelPerName;
    int iKeyBits;
    // After Collect, the label word holds the name index.
    bool bCollected = false;
};
