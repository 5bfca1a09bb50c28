#include "browse/gzipsource.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "browse/indexcache.h"
#include "entries/texts.h"
#include "frame/scan.h"

namespace {

// Said once in a run: the folder of kept indexes cannot be written.
bool toldInMemory = false;

// Stretch buffers of sources that were closed, for the next source: a set
// opens its files' sources one after the other while a scan goes through
// them, and fresh memory for every file costs a page fault every 4 KiB.
std::vector<std::unique_ptr<unsigned char[]>>& SpareBuffers()
{
    static std::vector<std::unique_ptr<unsigned char[]>> spare;
    return spare;
}

} // namespace

GzipSource::GzipSource(std::string path, int fd) : path_(std::move(path)), fd_(fd)
{
    held_ = StampOfDescriptor(fd_);
    key_ = KeyOfFile(fd_);
    stretches_.reserve(kStretchesKept);
    if (LoadKeptIndex(key_, index_, windowFd_)) {
        whole_ = true;
        Finished();
        return;
    }
    index_ = GzipIndex{};
    build_ = std::make_unique<GzipIndexBuilder>(fd_, key_.size);
    writer_ = std::make_unique<IndexWriter>(key_);
    windowFd_ = writer_->ReadDescriptor();
}

GzipSource::~GzipSource()
{
    std::vector<std::unique_ptr<unsigned char[]>>& spare = SpareBuffers();
    for (Stretch& s : stretches_)
        if (spare.size() < kStretchesKept)
            spare.push_back(std::move(s.text));
    live_.reset();
    build_.reset();
    writer_.reset();
    if (windowFd_ >= 0)
        close(windowFd_);
    if (fd_ >= 0)
        close(fd_);
}

LogStamp GzipSource::Look() const { return StampOfPath(path_); }

bool GzipSource::Take(const LogStamp& now)
{
    // A compressed log is never followed as growing: any change means the
    // text is another, read by a fresh source with a fresh index.
    return now == held_;
}

void GzipSource::Complete()
{
    if (whole_ || build_ == nullptr)
        return;
    BeginScan();
    // Reads already served from the first part stay valid: the points and
    // text before the build's position do not change.
    for (;;) {
        size_t points = index_.points.size();
        bool going = build_->Step(index_);
        // A new point's window goes to the index file at once.
        if (index_.points.size() > points && points > 0 && writer_ != nullptr)
            writer_->Put(index_.points.back());
        if (!going) {
            whole_ = true;
            break;
        }
        if (ScanStep("Indexing the compressed log", build_->InPos(), key_.size))
            break;
    }
    // The last stretch may have been cut at the old end of the part known.
    for (Stretch& s : stretches_)
        s.start = -1;
    live_.reset();
    if (!whole_)
        return;
    build_.reset();
    bool kept = writer_ != nullptr && writer_->Finish(index_);
    writer_.reset();
    // A read-only cache keeps indexes in memory by design: nothing to tell.
    if (!kept && !toldInMemory && !bIndexCacheReadOnly) {
        toldInMemory = true;
        message_ = "Index of the compressed log kept in memory only: " + IndexCacheDir() +
                   " cannot be written";
    }
    Finished();
}

void GzipSource::Finished()
{
    if (index_.damaged)
        message_ = "Compressed log damaged: its text is readable up to byte " +
                   NumToCommaStr(static_cast<uint64_t>(index_.textSize));
}

std::string GzipSource::TakeMessage()
{
    std::string m;
    m.swap(message_);
    return m;
}

bool GzipSource::WindowOf(const GzipPoint& point, std::string& text) const
{
    if (point.windowAt < 0)
        return UnpackWindow(point.window, text);
    std::string packed(point.windowLen, '\0');
    size_t got = 0;
    while (got < packed.size()) {
        ssize_t r = pread(windowFd_, &packed[got], packed.size() - got,
                          static_cast<off_t>(point.windowAt + static_cast<int64_t>(got)));
        if (r <= 0)
            return false;
        got += static_cast<size_t>(r);
    }
    return UnpackWindow(packed, text);
}

GzipSource::Stretch& GzipSource::FreeStretch()
{
    if (stretches_.size() < kStretchesKept) {
        stretches_.emplace_back();
        std::vector<std::unique_ptr<unsigned char[]>>& spare = SpareBuffers();
        if (!spare.empty()) {
            stretches_.back().text = std::move(spare.back());
            spare.pop_back();
        } else {
            stretches_.back().text.reset(new unsigned char[static_cast<size_t>(kStretchSize)]);
        }
        return stretches_.back();
    }
    Stretch* oldest = &stretches_[0];
    for (Stretch& s : stretches_) {
        if (s.start < 0)
            return s;
        if (s.used < oldest->used)
            oldest = &s;
    }
    return *oldest;
}

// The stretch of text that holds offset: stretches start at an access point
// and every kStretchSize bytes after it, and end at the next point at the
// latest.
const GzipSource::Stretch* GzipSource::StretchAt(int64_t offset)
{
    const std::vector<GzipPoint>& points = index_.points;
    auto after = std::upper_bound(points.begin(), points.end(), offset,
                                  [](int64_t o, const GzipPoint& p) { return o < p.out; });
    if (after == points.begin())
        return nullptr;
    size_t i = static_cast<size_t>(after - points.begin()) - 1;
    int64_t spanEnd = after != points.end() ? after->out : index_.textSize;
    int64_t start = points[i].out + (offset - points[i].out) / kStretchSize * kStretchSize;
    for (Stretch& s : stretches_) {
        if (s.start == start) {
            s.used = ++clock_;
            return &s;
        }
    }
    // An inflater that stopped where the next point's span begins simply
    // goes on: the point lies where its data goes on anyway.
    if (live_ != nullptr && livePoint_ + 1 == i && liveOut_ == points[i].out)
        livePoint_ = i;
    if (live_ == nullptr || livePoint_ != i || liveOut_ > start) {
        std::string window;
        if (i > 0 && !WindowOf(points[i], window))
            return nullptr;
        live_ = std::make_unique<GzipInflater>(fd_, key_.size, false);
        if (!live_->Start(points[i], window)) {
            live_.reset();
            return nullptr;
        }
        livePoint_ = i;
        liveOut_ = points[i].out;
        liveInStart_ = points[i].in;
    }
    // Inflate on to the wanted stretch, keeping each stretch passed: they
    // are what stepping back wants next.
    for (;;) {
        Stretch& s = FreeStretch();
        s.start = -1;
        int64_t want = std::min(kStretchSize, spanEnd - liveOut_);
        int64_t got = want > 0 ? live_->Inflate(s.text.get(), want, false) : 0;
        readIn_ += live_->InPos() - liveInStart_;
        liveInStart_ = live_->InPos();
        if (got < want || want <= 0) {
            // The file no longer holds what the index says.
            live_.reset();
            return nullptr;
        }
        s.start = liveOut_;
        s.len = got;
        s.used = ++clock_;
        liveOut_ += got;
        if (s.start == start)
            return &s;
    }
}

int64_t GzipSource::ReadAt(int64_t offset, char* buf, int64_t n)
{
    if (offset < 0)
        return -1;
    int64_t done = 0;
    while (done < n && offset + done < index_.textSize) {
        const Stretch* s = StretchAt(offset + done);
        if (s == nullptr)
            return done > 0 ? done : -1;
        int64_t from = offset + done - s->start;
        int64_t take = std::min(n - done, s->len - from);
        memcpy(buf + done, s->text.get() + from, static_cast<size_t>(take));
        done += take;
    }
    return done;
}
