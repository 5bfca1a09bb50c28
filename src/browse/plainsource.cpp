#include "browse/plainsource.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "frame/safefile.h"

bool operator==(const LogStamp& a, const LogStamp& b)
{
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.mtimeSec == b.mtimeSec && a.mtimeNsec == b.mtimeNsec;
}

LogStamp StampOfStat(const struct stat& st)
{
    LogStamp stamp;
    stamp.device = static_cast<uint64_t>(st.st_dev);
    stamp.inode = static_cast<uint64_t>(st.st_ino);
    stamp.size = static_cast<int64_t>(st.st_size);
    stamp.mtimeSec = static_cast<int64_t>(st.st_mtim.tv_sec);
    stamp.mtimeNsec = st.st_mtim.tv_nsec;
    return stamp;
}

LogStamp StampOfDescriptor(int fd)
{
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0)
        return LogStamp{};
    return StampOfStat(st);
}

LogStamp StampOfPath(const std::string& path)
{
    // Opened rather than stat'ed: only a regular file that may be read
    // counts, and the open never waits on a FIFO behind a link.
    int fd = path.empty() ? -1 : OpenRegularRead(path);
    LogStamp stamp = fd > 0 ? StampOfDescriptor(fd) : LogStamp{};
    if (fd >= 0)
        close(fd);
    return stamp;
}

PlainSource::PlainSource(std::string path, int fd) : path_(std::move(path)), fd_(fd)
{
    held_ = StampOfDescriptor(fd_);
}

PlainSource::~PlainSource()
{
    if (fd_ >= 0)
        close(fd_);
}

int64_t PlainSource::ReadAt(int64_t offset, char* buf, int64_t n)
{
    if (fd_ < 0 || offset < 0)
        return -1;
    int64_t got = 0;
    while (got < n) {
        ssize_t r = pread(fd_, buf + got, static_cast<size_t>(n - got), static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return got > 0 ? got : -1;
        if (r == 0)
            break;
        got += r;
    }
    return got;
}

int64_t PlainSource::Size() const { return std::max<int64_t>(held_.size, 0); }

LogStamp PlainSource::Look() const { return StampOfPath(path_); }

bool PlainSource::Take(const LogStamp& now)
{
    // A file that grew, shrank or was rewritten is still read through the
    // open descriptor; another file behind the path needs a new one.
    if (now.device != held_.device || now.inode != held_.inode)
        return false;
    held_ = now;
    return true;
}
