#include "report/nametotals.h"

#include <sys/mman.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "entries/nameindex.h"
#include "frame/settings.h"

namespace {

// A slot: the hash's top 24 bits above the block's word offset + 1, so a
// probe rarely reads a block that is not the name's; 0 is an empty slot.
constexpr int kTagShift = 40;
constexpr uint64_t kOffsetMask = (uint64_t{1} << kTagShift) - 1;

// Labels carry the number of their sort in the upper half; before that
// number could overflow, the blocks are labelled anew.
constexpr int64_t kSortLimit = int64_t{1} << 30;

constexpr uint64_t kLow = 0xffffffffu;

uint32_t CountOf(const uint64_t* block) { return static_cast<uint32_t>(block[1] & kLow); }
uint32_t LastCountOf(const uint64_t* block) { return static_cast<uint32_t>(block[1] >> 32); }
size_t LengthOf(const uint64_t* block) { return static_cast<size_t>(block[3] & kLow); }
int64_t LabelOf(const uint64_t* block) { return static_cast<int64_t>(block[2]); }
void SetLabel(uint64_t* block, int64_t label) { block[2] = static_cast<uint64_t>(label); }
// The count becomes the count at the last sort.
void SettleCount(uint64_t* block) { block[1] = (block[1] & kLow) | (block[1] & kLow) << 32; }
size_t WordsOf(size_t length) { return (length + 7) / 8; }

} // namespace

void* AllocateLarge(size_t bytes)
{
    constexpr size_t kHuge = size_t{2} << 20;
    if (bytes < kHuge)
        return std::malloc(bytes == 0 ? 1 : bytes);
    size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
    void* p = std::aligned_alloc(kHuge, rounded);
#ifdef MADV_HUGEPAGE
    // Only a wish: without huge pages the memory works the same.
    if (p != nullptr)
        madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return p;
}

int64_t NameTotals::Lookup(std::string_view name, uint64_t hash) const
{
    const size_t mask = vSlots.size() - 1;
    const uint64_t tag = hash >> kTagShift;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        uint64_t word = vSlots[slot];
        if (word == 0)
            return ~static_cast<int64_t>(slot);
        if (word >> kTagShift != tag)
            continue;
        uint64_t at = (word & kOffsetMask) - 1;
        const uint64_t* block = Block(at);
        if (LengthOf(block) == name.size() &&
            std::memcmp(block + kHeaderWords, name.data(), name.size()) == 0)
            return static_cast<int64_t>(at);
    }
}

const uint64_t* NameTotals::BlockIfAny(uint64_t at) const
{
    uint64_t chunk = at >> kChunkBits;
    uint64_t word = at & ((uint64_t{1} << kChunkBits) - 1);
    if (chunk >= vChunks.size() || word >= vChunks[chunk].size())
        return nullptr;
    return &vChunks[chunk][word];
}

uint64_t NameTotals::NextBlock(uint64_t at) const
{
    uint64_t chunk = 0;
    uint64_t word = 0;
    if (at != kNoBlock) {
        chunk = at >> kChunkBits;
        word = (at & ((uint64_t{1} << kChunkBits) - 1)) + kHeaderWords + WordsOf(LengthOf(Block(at)));
    }
    for (; chunk < vChunks.size(); ++chunk, word = 0)
        if (word < vChunks[chunk].size())
            return chunk << kChunkBits | word;
    return kNoBlock;
}

uint64_t NameTotals::NewBlock(std::string_view name, uint64_t hash, size_t slot)
{
    const size_t words = kHeaderWords + WordsOf(name.size());
    constexpr size_t kLargest = size_t{1} << kChunkBits;
    // A block starts in the first 1 << kChunkBits words of its chunk, so its
    // offset always fits; only a chunk's first block may run past them.
    if (vChunks.empty() || vChunks.back().size() + words > vChunks.back().capacity() ||
        (!vChunks.back().empty() && vChunks.back().size() + words > kLargest)) {
        // Chunks start small, for the few names of a small log, and grow.
        size_t room = vChunks.empty() ? 4096 : std::min(kLargest, vChunks.back().capacity() * 2);
        vChunks.emplace_back();
        vChunks.back().reserve(std::max(room, words));
    }
    Chunk& chunk = vChunks.back();
    uint64_t at = (vChunks.size() - 1) << kChunkBits | chunk.size();
    chunk.resize(chunk.size() + words, 0);
    uint64_t* block = Block(at);
    block[3] = name.size();
    if (!name.empty())
        std::memcpy(block + kHeaderWords, name.data(), name.size());
    vSlots[slot] = (hash >> kTagShift) << kTagShift | (at + 1);
    vHashes.push_back(hash);
    ++iNames;
    // At most half full, so that probes stay short.
    if (iNames * 2 > vSlots.size())
        Grow();
    return at;
}

void NameTotals::Grow()
{
    vSlots.assign(std::max<size_t>(16, vSlots.size() * 2), 0);
    const size_t mask = vSlots.size() - 1;
    uint64_t at = FirstBlock();
    for (uint64_t hash : vHashes) {
        size_t slot = hash & mask;
        while (vSlots[slot] != 0)
            slot = (slot + 1) & mask;
        vSlots[slot] = (hash >> kTagShift) << kTagShift | (at + 1);
        at = NextBlock(at);
    }
}

void NameTotals::Apply(std::string_view name, uint64_t hash, int64_t added)
{
    int64_t found = Lookup(name, hash);
    uint64_t at = found >= 0 ? static_cast<uint64_t>(found) : NewBlock(name, hash, static_cast<size_t>(~found));
    uint64_t* block = Block(at);
    uint64_t bytes = static_cast<uint64_t>(added);
    block[0] = block[0] > UINT64_MAX - bytes ? UINT64_MAX : block[0] + bytes;
    if (CountOf(block) < INT32_MAX)
        ++block[1];
    if ((block[3] >> 32) == 0) {
        block[3] |= uint64_t{1} << 32;
        vCounted.push_back(at);
    }
}

void NameTotals::Add(std::string_view name, int64_t bytes)
{
    if (vSlots.empty())
        Grow();
    // While the names are few, table and blocks stay in the cache and
    // the queue would only cost; once it is in use it stays, so the adds
    // keep their order.
    if (iNames < kDirectNames && iQueued == 0) {
        Apply(name, NameHash(name), bytes);
        return;
    }
    if (iQueued - iApplied == kQueue) {
        Apply(vQueue[iApplied % kQueue]);
        ++iApplied;
    }
    Pending& add = vQueue[iQueued++ % kQueue];
    add.sName.assign(name);
    add.iHash = NameHash(name);
    add.iBytes = bytes;
    const size_t mask = vSlots.size() - 1;
    __builtin_prefetch(&vSlots[add.iHash & mask]);
    // Halfway along the queue the slot has come in: fetch the block it
    // leads to. A hint only; the add itself looks again.
    if (iQueued - iApplied > kQueue / 2) {
        const Pending& half = vQueue[(iQueued - 1 - kQueue / 2) % kQueue];
        uint64_t word = vSlots[half.iHash & mask];
        if (word != 0 && word >> kTagShift == half.iHash >> kTagShift) {
            if (const uint64_t* block = BlockIfAny((word & kOffsetMask) - 1))
                __builtin_prefetch(block);
        }
    }
}

void NameTotals::Drain()
{
    for (; iApplied < iQueued; ++iApplied)
        Apply(vQueue[iApplied % kQueue]);
}

std::vector<uint64_t> NameTotals::Sequence() const
{
    // Names there at the last sort stand in its order; names met since
    // then follow in the order they were met. The keys are taken in one
    // walk, so the sort does not reach into the arena.
    struct Key {
        uint32_t lastCount;
        int64_t label;
        uint64_t at;
    };
    std::vector<Key> settled;
    std::vector<uint64_t> sequence;
    for (uint64_t at = FirstBlock(); at != kNoBlock; at = NextBlock(at)) {
        const uint64_t* block = Block(at);
        if (LastCountOf(block) != 0)
            settled.push_back({LastCountOf(block), LabelOf(block), at});
        else
            sequence.push_back(at);
    }
    std::sort(settled.begin(), settled.end(), [](const Key& a, const Key& b) {
        return a.lastCount != b.lastCount ? a.lastCount < b.lastCount : a.label < b.label;
    });
    std::vector<uint64_t> fresh;
    fresh.swap(sequence);
    sequence.reserve(settled.size() + fresh.size());
    for (const Key& key : settled)
        sequence.push_back(key.at);
    sequence.insert(sequence.end(), fresh.begin(), fresh.end());
    return sequence;
}

void NameTotals::Relabel(const std::vector<uint64_t>& sequence)
{
    for (size_t i = 0; i < sequence.size(); ++i)
        SetLabel(Block(sequence[i]), static_cast<int64_t>(i));
}

void NameTotals::LibrarySort()
{
    std::vector<uint64_t> sequence = Sequence();
    std::vector<TotalEntry> entries(sequence.size());
    for (size_t i = 0; i < sequence.size(); ++i) {
        const uint64_t* block = Block(sequence[i]);
        entries[i] = {block[0], static_cast<int32_t>(CountOf(block)), static_cast<int32_t>(i)};
    }
    // The library's order is whatever its sort makes of this sequence.
    SortTotals(entries, eSortByCount);
    for (size_t i = 0; i < entries.size(); ++i) {
        uint64_t* block = Block(sequence[static_cast<size_t>(entries[i].iNameIndex)]);
        SettleCount(block);
        SetLabel(block, static_cast<int64_t>(i));
    }
}

void NameTotals::OwnSort()
{
    iFaultCode = kFaultOwnSort;
    if (++iSorts >= kSortLimit) {
        Relabel(Sequence());
        iSorts = 1;
    }
    // A stable sort by count orders the totals by count, then by their
    // place before it. Only the names counted since the last sort moved:
    // each goes to the front of the names with its new count, before those
    // that were already there, after those it passed on its way; names new
    // since the last sort go to the back of theirs.
    // The keys are copied out first, packed so that one comparison of two
    // wide numbers orders them: count, then the place before this sort
    // (count at the last sort and label; for a new name, its offset). The
    // sort then never reaches into the arena. Old and new names get labels
    // of their own ranges below, so how the two mix here does not matter.
    struct Key {
        unsigned __int128 key;
        uint64_t at;
    };
    std::vector<Key> moved;
    moved.reserve(vCounted.size());
    for (uint64_t at : vCounted) {
        const uint64_t* block = Block(at);
        uint32_t count = CountOf(block);
        uint32_t last = LastCountOf(block);
        // A count held at its limit keeps its key and its place.
        if (count == last)
            continue;
        uint64_t order = last == 0 ? at : static_cast<uint64_t>(LabelOf(block)) ^ (uint64_t{1} << 63);
        uint64_t high = static_cast<uint64_t>(count) << 32 | last;
        moved.push_back({static_cast<unsigned __int128>(high) << 64 | order, at});
    }
    std::sort(moved.begin(), moved.end(), [](const Key& x, const Key& y) { return x.key < y.key; });
    const int64_t base = iSorts << 32;
    for (size_t i = 0; i < moved.size(); ++i) {
        uint64_t* block = Block(moved[i].at);
        int64_t rank = static_cast<int64_t>(i);
        SetLabel(block, LastCountOf(block) == 0 ? base + rank : rank - base);
        SettleCount(block);
    }
    iFaultCode = 0;
}

void NameTotals::SortByCount()
{
    Drain();
    if (bRepMySort)
        OwnSort();
    else if (iNames >= 2)
        LibrarySort();
    for (uint64_t at : vCounted)
        Block(at)[3] &= kLow;
    vCounted.clear();
}

void NameTotals::Collect(std::vector<TotalEntry>& totals, std::vector<std::string_view>& names)
{
    Drain();
    std::vector<uint64_t> sequence = Sequence();
    names.clear();
    names.reserve(iNames);
    for (uint64_t at = FirstBlock(); at != kNoBlock; at = NextBlock(at)) {
        uint64_t* block = Block(at);
        SetLabel(block, static_cast<int64_t>(names.size()));
        names.emplace_back(reinterpret_cast<const char*>(block + kHeaderWords), LengthOf(block));
    }
    totals.clear();
    totals.reserve(sequence.size());
    for (uint64_t at : sequence) {
        const uint64_t* block = Block(at);
        totals.push_back({block[0], static_cast<int32_t>(CountOf(block)), static_cast<int32_t>(LabelOf(block))});
    }
    bCollected = true;
}

int32_t NameTotals::Find(std::string_view name) const
{
    if (!bCollected || vSlots.empty())
        return -1;
    int64_t found = Lookup(name, NameHash(name));
    return found < 0 ? -1 : static_cast<int32_t>(LabelOf(Block(static_cast<uint64_t>(found))));
}

void NameTotals::Clear()
{
    std::vector<Chunk>().swap(vChunks);
    decltype(vSlots)().swap(vSlots);
    std::vector<uint64_t>().swap(vHashes);
    std::vector<uint64_t>().swap(vCounted);
    iQueued = iApplied = 0;
    iNames = 0;
    iSorts = 0;
    bCollected = false;
}
