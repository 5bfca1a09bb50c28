// The access points of a gzip file: where inflating may start again without
// reading from the beginning, each with the 32 KiB of text before it kept
// deflated. Also the file form of an index, as kept under ~/.ferntrack/.
#pragma once

#include <cstdint>
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
    std::string window;
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

// The file form of an index for key: checked by a trailing checksum.
std::string IndexFileBytes(const GzipIndex& index, const GzipKey& key);
// Reads the file form back; false (index left empty) for anything that is
// not a whole, consistent index of this version for exactly this key.
bool ParseIndexFile(const std::string& bytes, const GzipKey& key, GzipIndex& index);

// The window of a point, deflated for keeping, and back.
std::string PackWindow(const unsigned char* text, size_t len);
bool UnpackWindow(const std::string& packed, std::string& text);
