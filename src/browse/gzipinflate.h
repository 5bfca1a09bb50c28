// Inflating a gzip file from any of its access points, across the members
// that follow one another in it, and building the access points.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

#include "browse/gzipindex.h"

class GzipInflater {
public:
    enum eState { eGoing, eEnded, eDamaged };

    // With verify off the members' check values are not computed: for
    // reads of text the index was built over (the build checked them).
    GzipInflater(int fd, int64_t fileSize, bool verify = true);
    ~GzipInflater();
    GzipInflater(const GzipInflater&) = delete;
    GzipInflater& operator=(const GzipInflater&) = delete;

    // Starts at a point; window is the point's text before it, unpacked
    // (empty for the first point). False when the point cannot be used.
    bool Start(const GzipPoint& point, const std::string& window);
    // Inflates up to n bytes of text into out and returns how many came.
    // Fewer come at the end of the data (State() eEnded or eDamaged) and,
    // with stopAtBlocks, at the end of every deflate block.
    int64_t Inflate(unsigned char* out, int64_t n, bool stopAtBlocks);
    eState State() const { return state_; }
    // After Inflate with stopAtBlocks: the data stopped at a place where a
    // new access point may start (a block boundary, or a member's start).
    bool AtBoundary() const { return boundary_; }
    // Offset of the next compressed byte inflate takes, and the bits of
    // the byte before it still to come.
    int64_t InPos() const { return filePos_ - static_cast<int64_t>(zs_.avail_in); }
    int Bits() const { return zs_.data_type & 7; }

private:
    bool Refill();
    bool Ensure(size_t n);
    bool NextMember();
    bool Verify();

    int fd_;
    int64_t fileSize_;
    z_stream zs_{};
    bool verify_ = true;
    bool ready_ = false;
    bool raw_ = false;
    bool boundary_ = false;
    eState state_ = eDamaged;
    int64_t filePos_ = 0; // file offset just past the bytes in the buffer
    static constexpr size_t kInBuf = 65536;
    unsigned char in_[kInBuf];
};

// Builds the access points of a file by inflating it once, in steps that a
// scan can interleave with its progress line and stop between.
class GzipIndexBuilder {
public:
    GzipIndexBuilder(int fd, int64_t fileSize);
    // Inflates on to the next block boundary (about 32 KiB of text at most)
    // and adds a point to index when one is due; false once the data ended
    // (index.damaged tells how).
    bool Step(GzipIndex& index);
    int64_t InPos() const { return inflater_.InPos(); }

private:
    GzipInflater inflater_;
    int64_t fileSize_;
    static constexpr size_t kRing = 32768;
    unsigned char ring_[kRing];
    size_t ringPos_ = 0;
    bool ringFull_ = false;
    int64_t out_ = 0;
    int64_t lastIn_ = 0;
    int64_t lastOut_ = 0;
    bool started_ = false;
};

// Compressed bytes between access points, and the most text between them
// (for data that inflates a great deal: the cost of reaching an offset
// stays bounded either way).
constexpr int64_t kPointSpacingIn = int64_t{512} * 1024;
constexpr int64_t kPointSpacingOut = int64_t{16} * 1024 * 1024;
