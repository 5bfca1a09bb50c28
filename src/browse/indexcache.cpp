#include "browse/indexcache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "frame/privatedir.h"
#include "frame/safefile.h"

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

} // namespace

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

bool LoadKeptIndex(const GzipKey& key, GzipIndex& index)
{
    index = GzipIndex{};
    std::string dir = IndexCacheDir();
    if (dir.empty())
        return false;
    std::string path = dir + "/" + IndexFileName(key);
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
              st.st_size <= kIndexCacheCap;
    std::string bytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(st.st_size));
        ok = ReadAll(fd, 0, reinterpret_cast<unsigned char*>(&bytes[0]), st.st_size);
    }
    ok = ok && ParseIndexFile(bytes, key, index);
    if (ok)
        futimens(fd, nullptr); // the most recently used now
    close(fd);
    return ok;
}

bool KeepIndex(const GzipKey& key, const GzipIndex& index)
{
    std::string dir = IndexCacheDir();
    if (dir.empty() || !ReadyDir(dir))
        return false;
    std::string bytes = IndexFileBytes(index, key);
    std::string temp = dir + "/gz-XXXXXX.tmp";
    int fd = mkstemps(&temp[0], 4);
    if (fd < 0)
        return false;
    NoteTempFile(temp);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            break;
        done += static_cast<size_t>(w);
    }
    bool ok = close(fd) == 0 && done == bytes.size();
    std::string target = dir + "/" + IndexFileName(key);
    // rename replaces whatever has the name, a link too, and never writes
    // through it.
    ok = ok && rename(temp.c_str(), target.c_str()) == 0;
    if (!ok)
        unlink(temp.c_str());
    ForgetTempFile();
    if (ok)
        TrimIndexCache(dir, kIndexCacheCap);
    return ok;
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
        if (!IsIndexName(name) || lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
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
