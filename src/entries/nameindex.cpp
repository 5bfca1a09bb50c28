#include "entries/nameindex.h"

#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

uint64_t Rotate(uint64_t x, int bits)
{
    return (x << bits) | (x >> (64 - bits));
}

uint64_t Load8(const unsigned char* p)
{
    uint64_t word = 0;
    for (int i = 7; i >= 0; --i)
        word = word << 8 | p[i];
    return word;
}

struct SipState {
    uint64_t v0, v1, v2, v3;

    void Round()
    {
        v0 += v1;
        v1 = Rotate(v1, 13);
        v1 ^= v0;
        v0 = Rotate(v0, 32);
        v2 += v3;
        v3 = Rotate(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = Rotate(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = Rotate(v1, 17);
        v1 ^= v2;
        v2 = Rotate(v2, 32);
    }

    void Absorb(uint64_t word)
    {
        v3 ^= word;
        Round();
        v0 ^= word;
    }
};

// Mixes a weak seed into a well spread word (splitmix64's finaliser).
uint64_t Spread(uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

struct HashKey {
    uint64_t k0, k1;
};

// The secret of this run: from the kernel's random source, or, where it
// gives nothing, from the clock, the process and the stack's place.
HashKey MakeKey()
{
    uint64_t words[2] = {0, 0};
    if (getrandom(words, sizeof words, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof words)) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        uint64_t mixed = static_cast<uint64_t>(now.tv_nsec) ^ static_cast<uint64_t>(now.tv_sec) << 30 ^
                         static_cast<uint64_t>(getpid()) << 48 ^ reinterpret_cast<uintptr_t>(&now);
        words[0] ^= Spread(mixed);
        words[1] ^= Spread(words[0] ^ static_cast<uint64_t>(time(nullptr)));
    }
    return {words[0], words[1]};
}

const HashKey& RunKey()
{
    static const HashKey key = MakeKey();
    return key;
}

void PlaceName(std::vector<uint64_t>& slots, uint64_t hash, int32_t nameIndex)
{
    size_t mask = slots.size() - 1;
    size_t slot = hash & mask;
    while (slots[slot] != 0)
        slot = (slot + 1) & mask;
    slots[slot] = (hash >> 32) << 32 | static_cast<uint32_t>(nameIndex + 1);
}

void PlaceAll(NameIndex& index)
{
    std::fill(index.vSlots.begin(), index.vSlots.end(), 0);
    for (size_t i = 0; i < index.vHashes.size(); ++i)
        PlaceName(index.vSlots, index.vHashes[i], static_cast<int32_t>(i));
}

} // namespace

uint64_t NameHash(std::string_view name)
{
    const HashKey& key = RunKey();
    SipState s{key.k0 ^ 0x736f6d6570736575ULL, key.k1 ^ 0x646f72616e646f6dULL, key.k0 ^ 0x6c7967656e657261ULL,
               key.k1 ^ 0x7465646279746573ULL};
    const unsigned char* p = reinterpret_cast<const unsigned char*>(name.data());
    size_t n = name.size();
    size_t whole = n & ~static_cast<size_t>(7);
    for (size_t i = 0; i < whole; i += 8)
        s.Absorb(Load8(p + i));
    // The last bytes, with the length in the top byte.
    uint64_t last = static_cast<uint64_t>(n) << 56;
    for (size_t i = whole; i < n; ++i)
        last |= static_cast<uint64_t>(p[i]) << (8 * (i - whole));
    s.Absorb(last);
    s.v2 ^= 0xff;
    s.Round();
    s.Round();
    s.Round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

void ClearNames(NameIndex& index)
{
    index.vSlots.clear();
    index.vHashes.clear();
}

void AddName(NameIndex& index, uint64_t hash)
{
    index.vHashes.push_back(hash);
    // At most half full, so that probes stay short.
    if (index.vHashes.size() * 2 > index.vSlots.size()) {
        index.vSlots.assign(std::max<size_t>(16, index.vSlots.size() * 2), 0);
        PlaceAll(index);
        return;
    }
    PlaceName(index.vSlots, hash, static_cast<int32_t>(index.vHashes.size() - 1));
}

void ReorderNames(NameIndex& index, const std::vector<uint32_t>& order)
{
    std::vector<uint64_t> hashes(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        hashes[i] = index.vHashes[order[i]];
    index.vHashes.swap(hashes);
    PlaceAll(index);
}
