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
    iLowLabel = 0;
    iHighLabel = static_cast<int64_t>(sequence.size());
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
    iLowLabel = 0;
    iHighLabel = static_cast<int64_t>(entries.size());
}

namespace {

// Bits needed to write v.
int BitsOf(uint64_t v) { return v == 0 ? 0 : 64 - __builtin_clzll(v); }

// Sorts the keys by their 64-bit key, keeping the order of equal keys, in
// passes of eleven bits over the bits keys can differ in. A comparison sort
// of keys that come in no order guesses wrong at every other step.
template <typename Item>
void RadixSort(std::vector<Item>& items, std::vector<Item>& scratch, int bits)
{
    constexpr int kDigit = 11;
    constexpr size_t kBuckets = size_t{1} << kDigit;
    const int passes = (bits + kDigit - 1) / kDigit;
    if (passes == 0 || items.size() < 2)
        return;
    std::vector<uint32_t> counts(kBuckets * static_cast<size_t>(passes), 0);
    for (const Item& item : items)
        for (int p = 0; p < passes; ++p)
            ++counts[static_cast<size_t>(p) * kBuckets + ((item.key >> (p * kDigit)) & (kBuckets - 1))];
    scratch.resize(items.size());
    for (int p = 0; p < passes; ++p) {
        uint32_t* count = &counts[static_cast<size_t>(p) * kBuckets];
        // A digit every key shares moves nothing.
        if (count[(items[0].key >> (p * kDigit)) & (kBuckets - 1)] == items.size())
            continue;
        uint32_t sum = 0;
        for (size_t b = 0; b < kBuckets; ++b) {
            uint32_t here = count[b];
            count[b] = sum;
            sum += here;
        }
        for (const Item& item : items)
            scratch[count[(item.key >> (p * kDigit)) & (kBuckets - 1)]++] = item;
        items.swap(scratch);
    }
}

} // namespace

void NameTotals::OwnSort()
{
    iFaultCode = kFaultOwnSort;
    // A stable sort by count orders the totals by count, then by their
    // place before it. Only the names counted since the last sort moved:
    // each goes to the front of the names with its new count, before those
    // that were already there, after those it passed on its way; names new
    // since the last sort go to the back of theirs.
    // The keys are copied out first so that the sort never reaches into the
    // arena: count, then the place before this sort, which is the count at
    // the last sort and the label (for a name new since then, the order it
    // was met in, the order of the arena). Old and new names never share a
    // count at the last sort, so how their places compare does not matter.
    // Blocks lie all over the arena: each is asked for a few turns before
    // it is read, so that the walk does not wait on every one.
    constexpr size_t kAhead = 8;
    vKeys.clear();
    uint64_t topCount = 0;
    uint64_t topPlace = 0;
    for (size_t i = 0; i < vCounted.size(); ++i) {
        if (i + kAhead < vCounted.size())
            __builtin_prefetch(Block(vCounted[i + kAhead]), 1);
        uint64_t at = vCounted[i];
        uint64_t* block = Block(at);
        block[3] &= kLow;
        uint32_t count = CountOf(block);
        uint32_t last = LastCountOf(block);
        // A count held at its limit keeps its key and its place.
        if (count == last)
            continue;
        uint64_t place = last == 0 ? i : static_cast<uint64_t>(LabelOf(block) - iLowLabel);
        topCount = std::max<uint64_t>(topCount, count);
        topPlace = std::max(topPlace, place);
        vKeys.push_back({static_cast<unsigned __int128>(static_cast<uint64_t>(count) << 32 | last) << 64 | place, at});
    }
    vCounted.clear();
    const int countBits = BitsOf(topCount);
    const int placeBits = BitsOf(topPlace);
    if (2 * countBits + placeBits <= iKeyBits) {
        // The usual case: the whole key fits one word (the count at the
        // last sort is never above the count).
        vSmallKeys.resize(vKeys.size());
        for (size_t i = 0; i < vKeys.size(); ++i) {
            uint64_t high = static_cast<uint64_t>(vKeys[i].key >> 64);
            uint64_t place = static_cast<uint64_t>(vKeys[i].key);
            vSmallKeys[i] = {((high >> 32) << countBits | (high & kLow)) << placeBits | place, vKeys[i].at};
        }
        RadixSort(vSmallKeys, vSmallScratch, 2 * countBits + placeBits);
        for (size_t i = 0; i < vKeys.size(); ++i)
            vKeys[i].at = vSmallKeys[i].at;
    } else {
        std::sort(vKeys.begin(), vKeys.end(), [](const SortKey& x, const SortKey& y) { return x.key < y.key; });
    }
    // Names that moved take labels below every label there is, names new
    // since the last sort labels above them, each in the order just sorted.
    const int64_t n = static_cast<int64_t>(vKeys.size());
    for (size_t i = 0; i < vKeys.size(); ++i) {
        if (i + kAhead < vKeys.size())
            __builtin_prefetch(Block(vKeys[i + kAhead].at), 1);
        uint64_t* block = Block(vKeys[i].at);
        int64_t rank = static_cast<int64_t>(i);
        SetLabel(block, LastCountOf(block) == 0 ? iHighLabel + rank : iLowLabel - n + rank);
        SettleCount(block);
    }
    iLowLabel -= n;
    iHighLabel += n;
    // Labels are given from both ends of a range that widens at every
    // sort; once it is much wider than the names need, they are given anew
    // from their places, so that the keys stay short. Rarely: that walks
    // every name.
    if (iHighLabel - iLowLabel > std::max(iRelabelFloor, iRelabelPerName * static_cast<int64_t>(iNames)))
        Relabel(Sequence());
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
    std::vector<SortKey>().swap(vKeys);
    iQueued = iApplied = 0;
    iNames = 0;
    std::vector<SmallKey>().swap(vSmallKeys);
    std::vector<SmallKey>().swap(vSmallScratch);
    iLowLabel = iHighLabel = 0;
    bCollected = false;
}
