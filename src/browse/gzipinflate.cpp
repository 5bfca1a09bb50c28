#include "browse/gzipinflate.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

GzipInflater::GzipInflater(int fd, int64_t fileSize, bool verify) : fd_(fd), fileSize_(fileSize), verify_(verify) {}

GzipInflater::~GzipInflater()
{
    if (ready_)
        inflateEnd(&zs_);
}

// Turns the check value off, unless wanted; a reset turns it on again.
bool GzipInflater::Verify() { return verify_ || inflateValidate(&zs_, 0) == Z_OK; }

bool GzipInflater::Refill()
{
    size_t keep = zs_.avail_in;
    if (keep > 0 && zs_.next_in != in_)
        memmove(in_, zs_.next_in, keep);
    zs_.next_in = in_;
    int64_t want = std::min<int64_t>(static_cast<int64_t>(kInBuf - keep), fileSize_ - filePos_);
    if (want <= 0)
        return false;
    ssize_t got;
    do {
        got = pread(fd_, in_ + keep, static_cast<size_t>(want), static_cast<off_t>(filePos_));
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return false;
    filePos_ += got;
    zs_.avail_in = static_cast<uInt>(keep + static_cast<size_t>(got));
    return true;
}

bool GzipInflater::Ensure(size_t n)
{
    while (zs_.avail_in < n) {
        if (!Refill())
            return false;
    }
    return true;
}

bool GzipInflater::Start(const GzipPoint& point, const std::string& window)
{
    if (ready_)
        inflateEnd(&zs_);
    zs_ = z_stream{};
    ready_ = false;
    state_ = eDamaged;
    boundary_ = false;
    bool first = point.in == 0;
    raw_ = !first;
    if (inflateInit2(&zs_, first ? 15 + 16 : -15) != Z_OK)
        return false;
    ready_ = true;
    if (!Verify())
        return false;
    filePos_ = point.in - (point.bits != 0 ? 1 : 0);
    zs_.next_in = in_;
    zs_.avail_in = 0;
    if (point.bits != 0) {
        if (!Ensure(1))
            return false;
        int byte = *zs_.next_in;
        ++zs_.next_in;
        --zs_.avail_in;
        if (inflatePrime(&zs_, point.bits, byte >> (8 - point.bits)) != Z_OK)
            return false;
    }
    if (!first && !window.empty() &&
        inflateSetDictionary(&zs_, reinterpret_cast<const Bytef*>(window.data()),
                             static_cast<uInt>(window.size())) != Z_OK)
        return false;
    state_ = eGoing;
    return true;
}

// After the end of a member's deflate data: past its trailer, on to the
// next member when one follows. Anything else after the last member (zero
// padding, garbage) is not text and ends the data.
bool GzipInflater::NextMember()
{
    if (raw_) {
        if (!Ensure(8))
            return false;
        zs_.next_in += 8;
        zs_.avail_in -= 8;
    }
    if (!Ensure(2) || zs_.next_in[0] != 0x1f || zs_.next_in[1] != 0x8b)
        return false;
    raw_ = false;
    return inflateReset2(&zs_, 15 + 16) == Z_OK && Verify();
}

int64_t GzipInflater::Inflate(unsigned char* out, int64_t n, bool stopAtBlocks)
{
    int64_t made = 0;
    boundary_ = false;
    while (made < n && state_ == eGoing) {
        if (zs_.avail_in == 0 && !Refill()) {
            // The file ends inside a member: a truncated file.
            state_ = eDamaged;
            break;
        }
        int64_t room = std::min<int64_t>(n - made, int64_t{1} << 30);
        zs_.next_out = out + made;
        zs_.avail_out = static_cast<uInt>(room);
        int rc = inflate(&zs_, stopAtBlocks ? Z_BLOCK : Z_NO_FLUSH);
        made += room - static_cast<int64_t>(zs_.avail_out);
        if (rc == Z_STREAM_END) {
            if (!NextMember()) {
                state_ = eEnded;
                break;
            }
            // A point is made after the next member's header, where raw
            // inflating can start; not before it.
            continue;
        }
        if (rc == Z_BUF_ERROR && zs_.avail_in == 0)
            continue;
        if (rc != Z_OK) {
            state_ = eDamaged;
            break;
        }
        if (stopAtBlocks && (zs_.data_type & 128) != 0 && (zs_.data_type & 64) == 0) {
            boundary_ = true;
            break;
        }
    }
    return made;
}

GzipIndexBuilder::GzipIndexBuilder(int fd, int64_t fileSize) : inflater_(fd, fileSize), fileSize_(fileSize) {}

bool GzipIndexBuilder::Step(GzipIndex& index)
{
    if (!started_) {
        started_ = true;
        index = GzipIndex{};
        index.points.push_back(GzipPoint{});
        if (!inflater_.Start(index.points[0], std::string())) {
            index.damaged = true;
            return false;
        }
    }
    if (inflater_.State() != GzipInflater::eGoing)
        return false;
    int64_t got = inflater_.Inflate(ring_ + ringPos_, static_cast<int64_t>(kRing - ringPos_), true);
    out_ += got;
    ringPos_ += static_cast<size_t>(got);
    if (ringPos_ == kRing) {
        ringPos_ = 0;
        ringFull_ = true;
    }
    index.textSize = out_;
    if (inflater_.State() != GzipInflater::eGoing) {
        index.damaged = inflater_.State() == GzipInflater::eDamaged;
        return false;
    }
    int64_t in = inflater_.InPos();
    // Points lie closer together in the last part of the file, where
    // opening a log and End read.
    int64_t spacing = fileSize_ - in < kPointSpacingIn ? kPointSpacingIn / 8 : kPointSpacingIn;
    bool due = in - lastIn_ >= spacing || out_ - lastOut_ >= kPointSpacingOut;
    if (inflater_.AtBoundary() && due && out_ > lastOut_ && in > lastIn_) {
        // The window: the last 32 KiB of text in order (less at the start).
        unsigned char text[kRing];
        size_t len = 0;
        if (ringFull_) {
            memcpy(text, ring_ + ringPos_, kRing - ringPos_);
            memcpy(text + (kRing - ringPos_), ring_, ringPos_);
            len = kRing;
        } else {
            memcpy(text, ring_, ringPos_);
            len = ringPos_;
        }
        GzipPoint p;
        p.out = out_;
        p.in = in;
        p.bits = inflater_.Bits();
        p.window = len > 0 ? PackWindow(text, len) : std::string();
        if (!p.window.empty() || len == 0) {
            index.points.push_back(std::move(p));
            lastIn_ = in;
            lastOut_ = out_;
        }
    }
    return true;
}
