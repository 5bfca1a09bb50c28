// The log as a gzip file read in place: text offsets are served by
// inflating from the nearest access point before them (browse/gzipindex.h),
// with a few recently inflated stretches kept for stepping back.
#pragma once

#include <memory>
#include <vector>

#include "browse/gzipindex.h"
#include "browse/gzipinflate.h"
#include "browse/indexcache.h"
#include "browse/logsource.h"

class GzipSource : public LogSource {
public:
    // Takes over fd, a regular file that starts with the gzip magic.
    GzipSource(std::string path, int fd);
    ~GzipSource() override;
    GzipSource(const GzipSource&) = delete;
    GzipSource& operator=(const GzipSource&) = delete;

    int64_t ReadAt(int64_t offset, char* buf, int64_t n) override;
    int64_t Size() const override { return index_.textSize; }
    LogStamp Look() const override;
    bool Take(const LogStamp& now) override;
    bool Whole() const override { return whole_; }
    void Complete() override;
    std::string TakeMessage() override;

    // For tests and the benchmark: compressed bytes inflated for reads
    // since the source was opened (the index build not counted).
    int64_t BytesInflatedFrom() const { return readIn_; }
    const GzipIndex& Index() const { return index_; }

private:
    struct Stretch {
        int64_t start = -1;
        int64_t len = 0;
        uint64_t used = 0;
        std::unique_ptr<unsigned char[]> text; // kStretchSize bytes, not cleared
    };
    const Stretch* StretchAt(int64_t offset);
    bool WindowOf(const GzipPoint& point, std::string& text) const;
    Stretch& FreeStretch();
    void Finished();

    std::string path_;
    int fd_ = -1;
    LogStamp held_;
    GzipKey key_;
    GzipIndex index_;
    bool whole_ = false;
    std::string message_;
    std::unique_ptr<GzipIndexBuilder> build_;
    std::unique_ptr<IndexWriter> writer_;
    int windowFd_ = -1; // reads the windows that are in the index file

    // The inflater of the last read, where it stopped: a read that goes on
    // from there does not start again at the access point.
    std::unique_ptr<GzipInflater> live_;
    size_t livePoint_ = 0;
    int64_t liveOut_ = -1;
    int64_t liveInStart_ = 0;
    std::vector<Stretch> stretches_;
    uint64_t clock_ = 0;
    int64_t readIn_ = 0;
};

// Text inflated and kept at a time, and how many such stretches are kept.
constexpr int64_t kStretchSize = int64_t{128} * 1024;
constexpr size_t kStretchesKept = 40;
