#include "frame/safefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "frame/privatedir.h"

namespace {

// Links followed before a chain counts as a loop (the kernel's own limit).
constexpr int kMaxLinkHops = 40;

// The temporary file a signal exit must remove. A fixed buffer, so that
// the handler touches no heap.
char tempFilePath[4096];
volatile sig_atomic_t tempFileNoted = 0;

std::string DirectoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SetWhy(std::string* why, const std::string& text)
{
    if (why != nullptr)
        *why = text;
}

// A file that may be written must be a regular file that no log slot
// leads to.
bool RegularAndNoLog(const struct stat& st, std::string* why)
{
    if (!S_ISREG(st.st_mode)) {
        SetWhy(why, "not a regular file");
        return false;
    }
    if (IsLogSlotFile(st)) {
        SetWhy(why, "it is a log");
        return false;
    }
    return true;
}

// Checks an open descriptor of a file about to be written.
bool DescriptorMayBeWritten(int fd, std::string* why)
{
    struct stat st;
    if (fstat(fd, &st) != 0) {
        SetWhy(why, strerror(errno));
        return false;
    }
    return RegularAndNoLog(st, why);
}

} // namespace

int OpenRegularRead(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool ReadSmallFile(const std::string& path, std::string& out, size_t limit)
{
    out.clear();
    int fd = OpenRegularRead(path);
    if (fd < 0)
        return false;
    char block[65536];
    bool ok = true;
    while (out.size() < limit) {
        size_t want = std::min(sizeof block, limit - out.size());
        ssize_t got = read(fd, block, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ok = false;
        if (got <= 0)
            break;
        out.append(block, static_cast<size_t>(got));
    }
    close(fd);
    if (!ok)
        out.clear();
    return ok;
}

namespace {

// Files of the sets of logs now read, by the set that reads them. Never
// destroyed: a set still open at exit forgets its files from its own
// destructor, which may run after this one would have.
std::map<const void*, std::set<std::pair<uint64_t, uint64_t>>>& LogMembers()
{
    static auto* members = new std::map<const void*, std::set<std::pair<uint64_t, uint64_t>>>;
    return *members;
}

} // namespace

void NoteLogMembers(const void* owner, const std::vector<std::pair<uint64_t, uint64_t>>& files)
{
    LogMembers()[owner] = std::set<std::pair<uint64_t, uint64_t>>(files.begin(), files.end());
}

void ForgetLogMembers(const void* owner) { LogMembers().erase(owner); }

bool IsLogSlotFile(const struct stat& st)
{
    std::pair<uint64_t, uint64_t> file(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino));
    for (const auto& set : LogMembers())
        if (set.second.count(file) != 0)
            return true;
    for (const std::string* slot : {&sLogPath1, &sLogPath2, &sLogPath3}) {
        struct stat log;
        if (!slot->empty() && stat(slot->c_str(), &log) == 0 && log.st_dev == st.st_dev &&
            log.st_ino == st.st_ino)
            return true;
    }
    return false;
}

bool IsProgramPath(const std::string& target)
{
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && IsProgramFile(st))
        return true;
    for (const std::string* own : {&sConfigPath, &sWordsPath, &sUsersPath, &sAliasesPath, &sHowtoPath})
        if (!own->empty() && FollowLinks(*own) == target)
            return true;
    return false;
}

bool IsProgramFile(const struct stat& st)
{
    for (const std::string* own : {&sConfigPath, &sWordsPath, &sUsersPath, &sAliasesPath, &sHowtoPath}) {
        struct stat file;
        if (!own->empty() && stat(own->c_str(), &file) == 0 && file.st_dev == st.st_dev &&
            file.st_ino == st.st_ino)
            return true;
    }
    return false;
}

int OpenReportWrite(const std::string& path, std::string* why)
{
    // Checked before anything is made: a name that leads onto one of the
    // program's own files, even one not there yet (a dangling HOWTO link),
    // must not leave a file behind.
    std::string target = FollowLinks(path);
    struct stat st;
    bool existed = lstat(target.c_str(), &st) == 0;
    if (IsProgramPath(target)) {
        SetWhy(why, "it is one of the program's own files");
        return -1;
    }
    // Reports list every user's traffic: only the owner may read them.
    int fd = OpenRegularWrite(target, O_WRONLY | O_CREAT, why, 0600);
    if (fd < 0)
        return -1;
    // Truncation waits until the opened file is known not to be one of
    // ours; a path that reached one by another spelling is caught here, and
    // a file this open made is taken away again.
    if (fstat(fd, &st) != 0 || IsProgramFile(st)) {
        SetWhy(why, "it is one of the program's own files");
        close(fd);
        if (!existed)
            unlink(target.c_str());
        return -1;
    }
    if ((st.st_mode & 077) != 0)
        fchmod(fd, st.st_mode & 0700);
    if (ftruncate(fd, 0) != 0) {
        SetWhy(why, strerror(errno));
        close(fd);
        return -1;
    }
    return fd;
}

std::string FollowLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char target[4096];
        ssize_t n = readlink(current.c_str(), target, sizeof target - 1);
        if (n < 0)
            return current;
        std::string next(target, static_cast<size_t>(n));
        current = next[0] == '/' ? next : DirectoryOf(current) + "/" + next;
    }
    return current;
}

eWriteTarget CheckWriteTarget(const std::string& path, struct stat* stOut, std::string* why)
{
    std::string target = FollowLinks(path);
    struct stat st;
    if (lstat(target.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return eTargetAbsent;
        SetWhy(why, strerror(errno));
        return eTargetRefused;
    }
    if (stOut != nullptr)
        *stOut = st;
    if (S_ISLNK(st.st_mode)) {
        SetWhy(why, "too many levels of links");
        return eTargetRefused;
    }
    if (!RegularAndNoLog(st, why))
        return eTargetRefused;
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        SetWhy(why, strerror(errno));
        return eTargetRefused;
    }
    return eTargetFile;
}

int OpenRegularWrite(const std::string& path, int flags, std::string* why, mode_t mode)
{
    std::string target = FollowLinks(path);
    eWriteTarget kind = CheckWriteTarget(target, nullptr, why);
    if (kind == eTargetRefused)
        return -1;
    // The target is already resolved, so a link that appears there now is
    // refused; truncation waits until the opened file has been checked.
    int openFlags = (flags & ~O_TRUNC) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW;
    int fd = open(target.c_str(), openFlags, mode);
    if (fd < 0) {
        SetWhy(why, strerror(errno));
        return -1;
    }
    if (!DescriptorMayBeWritten(fd, why)) {
        close(fd);
        return -1;
    }
    if ((flags & O_TRUNC) != 0 && ftruncate(fd, 0) != 0) {
        SetWhy(why, strerror(errno));
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

void NoteTempFile(const std::string& path)
{
    tempFileNoted = 0;
    if (path.size() >= sizeof tempFilePath)
        return;
    memcpy(tempFilePath, path.c_str(), path.size() + 1);
    tempFileNoted = 1;
}

void ForgetTempFile()
{
    tempFileNoted = 0;
}

void RemoveTempFileNow()
{
    if (tempFileNoted != 0) {
        tempFileNoted = 0;
        unlink(tempFilePath);
    }
}

// The mode and owner the new file gets: the old file's, so a replaced
// file keeps its permissions (and, when root saves, its owner), or what a
// fresh file would get.
void TakeOverFile(int fd, const struct stat* old)
{
    if (old == nullptr) {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        return;
    }
    fchmod(fd, old->st_mode & 07777);
    if (geteuid() == 0 && fchown(fd, old->st_uid, old->st_gid) != 0) {
        // The file then belongs to root; its content is still saved.
    }
}

// Makes the temporary file beside the target. Signals that end the
// program are held off until the file is noted, so that no exit path can
// leave it behind.
int MakeTempFile(std::string& tempPath)
{
    sigset_t exits, before;
    sigemptyset(&exits);
    for (int signo : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        sigaddset(&exits, signo);
    sigprocmask(SIG_BLOCK, &exits, &before);
    int fd = mkstemp(&tempPath[0]);
    int error = errno;
    if (fd >= 0)
        NoteTempFile(tempPath);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return fd;
}

void SyncDirectoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
