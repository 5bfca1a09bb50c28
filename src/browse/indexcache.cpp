#include "browse/indexcache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "frame/privatedir.h"
#include "frame/safefile.h"

#include <zlib.h>

namespace {

constexpr int64_t kPrintSpan = 4096;

uint64_t Fnv(uint64_t h, const unsigned char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= 1099511628211ULL;
    }
    return h;
}

uint64_t FnvNumber(uint64_t h, uint64_t v)
{
    unsigned char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(v >> (8 * i));
    return Fnv(h, b, 8);
}

bool ReadAll(int fd, int64_t at, unsigned char* buf, int64_t n)
{
    int64_t got = 0;
    while (got < n) {
        ssize_t r = pread(fd, buf + got, static_cast<size_t>(n - got), static_cast<off_t>(at + got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        got += r;
    }
    return true;
}

bool IsIndexName(const std::string& name)
{
    return name.size() == 23 && name.compare(0, 3, "gz-") == 0 &&
           name.compare(name.size() - 4, 4, ".idx") == 0;
}

// A temporary file of an index being written (mkstemps' pattern).
bool IsTempName(const std::string& name)
{
    return name.size() == 13 && name.compare(0, 3, "gz-") == 0 &&
           name.compare(name.size() - 4, 4, ".tmp") == 0;
}

// A temporary file not written for this long was left by a run that ended
// without removing it.
constexpr time_t kTempLeftAfter = 6 * 3600;

// The folder, made when missing; false when it is not a real folder of the
// user's (a link or another kind of file there is not written through).
bool ReadyDir(const std::string& dir)
{
    struct stat st;
    if (lstat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || mkdir(dir.c_str(), 0700) != 0)
            return false;
        if (lstat(dir.c_str(), &st) != 0)
            return false;
    }
    return S_ISDIR(st.st_mode) && access(dir.c_str(), W_OK | X_OK) == 0;
}

// The temporary file of the index being written, for a signal exit.
char tempNow[4096];

void NoteTempNow(const std::string& path)
{
    size_t n = path.size() < sizeof tempNow ? path.size() : 0;
    memcpy(tempNow, path.data(), n);
    tempNow[n] = '\0';
}

} // namespace

bool bIndexCacheReadOnly = false;

void RemoveIndexTempNow()
{
    if (tempNow[0] != '\0')
        unlink(tempNow);
}

std::string IndexCacheDir()
{
    return sPrivateDir.empty() ? std::string() : sPrivateDir + "/gzindex";
}

GzipKey KeyOfFile(int fd)
{
    GzipKey key;
    struct stat st;
    if (fstat(fd, &st) != 0)
        return key;
    key.device = static_cast<uint64_t>(st.st_dev);
    key.inode = static_cast<uint64_t>(st.st_ino);
    key.size = static_cast<int64_t>(st.st_size);
    key.mtimeSec = static_cast<int64_t>(st.st_mtim.tv_sec);
    key.mtimeNsec = st.st_mtim.tv_nsec;
    unsigned char buf[kPrintSpan];
    uint64_t h = 14695981039346656037ULL;
    int64_t head = std::min(key.size, kPrintSpan);
    if (ReadAll(fd, 0, buf, head))
        h = Fnv(h, buf, static_cast<size_t>(head));
    int64_t tail = std::min(key.size, kPrintSpan);
    if (ReadAll(fd, key.size - tail, buf, tail))
        h = Fnv(h, buf, static_cast<size_t>(tail));
    key.fingerprint = h;
    return key;
}

std::string IndexFileName(const GzipKey& key)
{
    uint64_t h = 14695981039346656037ULL;
    for (uint64_t v : {key.device, key.inode, static_cast<uint64_t>(key.size),
                       static_cast<uint64_t>(key.mtimeSec), static_cast<uint64_t>(key.mtimeNsec),
                       key.fingerprint})
        h = FnvNumber(h, v);
    char name[32];
    snprintf(name, sizeof name, "gz-%016llx.idx", static_cast<unsigned long long>(h));
    return name;
}

bool LoadKeptIndex(const GzipKey& key, GzipIndex& index, int& windowFd)
{
    index = GzipIndex{};
    windowFd = -1;
    std::string dir = IndexCacheDir();
    if (dir.empty())
        return false;
    std::string path = dir + "/" + IndexFileName(key);
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kIndexCacheCap;
    auto read = [fd](int64_t at, size_t n, char* out) {
        return ReadAll(fd, at, reinterpret_cast<unsigned char*>(out), static_cast<int64_t>(n));
    };
    ok = ok && ParseIndexFile(static_cast<int64_t>(st.st_size), read, key, index);
    if (!ok) {
        close(fd);
        return false;
    }
    if (!bIndexCacheReadOnly)
        futimens(fd, nullptr); // the most recently used now
    windowFd = fd;
    return true;
}

IndexWriter::IndexWriter(const GzipKey& key) : key_(key)
{
    std::string dir = IndexCacheDir();
    if (bIndexCacheReadOnly || dir.empty() || !ReadyDir(dir))
        return;
    temp_ = dir + "/gz-XXXXXX.tmp";
    fd_ = mkstemps(&temp_[0], 4);
    if (fd_ < 0) {
        temp_.clear();
        return;
    }
    NoteTempNow(temp_);
    ok_ = true;
    Write(IndexFileHead(key_));
}

IndexWriter::~IndexWriter()
{
    if (fd_ >= 0)
        close(fd_);
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        NoteTempNow(std::string());
    }
}

bool IndexWriter::Write(const std::string& bytes)
{
    size_t done = 0;
    while (ok_ && done < bytes.size()) {
        ssize_t w = pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at_ + done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            ok_ = false;
        else
            done += static_cast<size_t>(w);
    }
    if (!ok_)
        return false;
    crc_ = static_cast<uint32_t>(crc32(crc_, reinterpret_cast<const Bytef*>(bytes.data()),
                                       static_cast<uInt>(bytes.size())));
    at_ += static_cast<int64_t>(bytes.size());
    return true;
}

bool IndexWriter::Put(GzipPoint& point)
{
    int64_t at = at_;
    if (point.window.empty() || !Write(point.window))
        return false;
    point.windowAt = at;
    point.windowLen = static_cast<uint32_t>(point.window.size());
    std::string().swap(point.window);
    return true;
}

int IndexWriter::ReadDescriptor() const
{
    return fd_ >= 0 ? fcntl(fd_, F_DUPFD_CLOEXEC, 0) : -1;
}

bool IndexWriter::Finish(const GzipIndex& index)
{
    // Windows still in memory (written after a failure) make the file
    // incomplete: it is not kept.
    for (const GzipPoint& p : index.points)
        if (!p.window.empty())
            ok_ = false;
    if (!ok_ || !Write(IndexFileTable(index, at_)))
        return false;
    std::string sum;
    for (int i = 0; i < 4; ++i)
        sum.push_back(static_cast<char>((crc_ >> (8 * i)) & 0xff));
    if (!Write(sum) || close(fd_) != 0) {
        fd_ = -1;
        return false;
    }
    fd_ = -1;
    std::string dir = IndexCacheDir();
    std::string target = dir + "/" + IndexFileName(key_);
    // rename replaces whatever has the name, a link too, and never writes
    // through it.
    if (rename(temp_.c_str(), target.c_str()) != 0)
        return false;
    temp_.clear();
    NoteTempNow(std::string());
    TrimIndexCache(dir, kIndexCacheCap);
    return true;
}

void TrimIndexCache(const std::string& dir, int64_t cap)
{
    struct Entry {
        std::string path;
        int64_t size;
        int64_t used;
    };
    std::vector<Entry> entries;
    int64_t total = 0;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr)
        return;
    while (struct dirent* e = readdir(d)) {
        std::string name = e->d_name;
        struct stat st;
        std::string path = dir + "/" + name;
        if ((!IsIndexName(name) && !IsTempName(name)) || lstat(path.c_str(), &st) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        if (IsTempName(name)) {
            if (st.st_mtim.tv_sec + kTempLeftAfter < time(nullptr))
                unlink(path.c_str());
            continue;
        }
        int64_t used = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        entries.push_back({path, static_cast<int64_t>(st.st_size), used});
        total += static_cast<int64_t>(st.st_size);
    }
    closedir(d);
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.used < b.used; });
    for (const Entry& e : entries) {
        if (total <= cap)
            break;
        if (unlink(e.path.c_str()) == 0)
            total -= e.size;
    }
}
