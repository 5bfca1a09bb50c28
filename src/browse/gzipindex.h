// The access points of a gzip file: where inflating may start again without
// reading from the beginning, each with the 32 KiB of text before it kept
// deflated. Also the file form of an index, as kept under ~/.ferntrack/.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One place to start inflating: text offset out is produced from the
// compressed byte at in on (bits > 0: the last bits of the byte before in
// come first), with window (deflated) as the text before it. The first
// point (out 0, in 0) starts at the gzip header and has no window.
struct GzipPoint {
    int64_t out = 0;
    int64_t in = 0;
    int bits = 0;
    std::string window;     // the deflated window, when it is held in memory
    int64_t windowAt = -1;  // otherwise where it lies in the index file
    uint32_t windowLen = 0;
};

// What an index belongs to: the file's identity, size and time, and a
// fingerprint of its first and last bytes.
struct GzipKey {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t mtimeSec = 0;
    int64_t mtimeNsec = 0;
    uint64_t fingerprint = 0;
};

bool operator==(const GzipKey& a, const GzipKey& b);

struct GzipIndex {
    std::vector<GzipPoint> points;
    int64_t textSize = 0;  // bytes of text that can be read
    bool damaged = false;  // the text ends where the compressed data broke off
};

// The file form of an index: a head (magic, version, key), the windows one
// after another, a table of the points, a trailer, and a checksum of all
// before it. It is written as the index is built, windows first, so that
// they need not stay in memory.
constexpr int64_t kIndexHeadSize = 60;
std::string IndexFileHead(const GzipKey& key);
// The table and the trailer (without the checksum), for a table at tableAt.
std::string IndexFileTable(const GzipIndex& index, int64_t tableAt);
// The whole file form of an index whose windows are all in memory.
std::string IndexFileBytes(const GzipIndex& index, const GzipKey& key);

// Reads n bytes at an offset of an index file; false when it cannot.
using IndexBytesAt = std::function<bool(int64_t at, size_t n, char* out)>;
// Reads the file form back, windows left in the file (windowAt); false
// (index left empty) for anything that is not a whole, consistent index of
// this version for exactly this key.
bool ParseIndexFile(int64_t size, const IndexBytesAt& read, const GzipKey& key, GzipIndex& index);
bool ParseIndexFile(const std::string& bytes, const GzipKey& key, GzipIndex& index);

// The window of a point, deflated for keeping, and back.
std::string PackWindow(const unsigned char* text, size_t len);
bool UnpackWindow(const std::string& packed, std::string& text);
