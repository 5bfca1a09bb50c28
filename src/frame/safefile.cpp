// Interim version until the shared one is merged; same contract.
#include "frame/safefile.h"

#include <fcntl.h>
#include <unistd.h>

#include "frame/privatedir.h"

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
    char buf[65536];
    while (out.size() < limit) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    if (out.size() > limit)
        out.resize(limit);
    close(fd);
    return true;
}

bool IsLogSlotFile(const struct stat& st)
{
    for (const std::string* p : {&sLogPath1, &sLogPath2, &sLogPath3}) {
        struct stat slot;
        if (stat(p->c_str(), &slot) == 0 && slot.st_dev == st.st_dev && slot.st_ino == st.st_ino)
            return true;
    }
    return false;
}

int OpenRegularWrite(const std::string& path, int flags, std::string* why)
{
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || IsLogSlotFile(st) || access(path.c_str(), W_OK) != 0) {
            if (why != nullptr)
                *why = "not a writable regular file";
            return -1;
        }
        // Truncating happens only after the checks.
    }
    int fd = open(path.c_str(), (flags & ~O_TRUNC) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || IsLogSlotFile(st)) {
        close(fd);
        return -1;
    }
    if ((flags & O_TRUNC) != 0 && ftruncate(fd, 0) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}
