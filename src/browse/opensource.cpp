#include "browse/opensource.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "browse/gzipsource.h"
#include "browse/plainsource.h"
#include "browse/setsource.h"
#include "frame/safefile.h"

namespace {

// A file that is compressed in a way not read in place: no text, and a
// message that says what it is.
class RefusedSource : public LogSource {
public:
    RefusedSource(std::string path, int fd, const char* kind)
        : path_(std::move(path)), held_(StampOfDescriptor(fd))
    {
        message_ = std::string("Log is compressed with ") + kind + ": only gzip is read in place";
        close(fd);
    }
    int64_t ReadAt(int64_t, char*, int64_t) override { return 0; }
    int64_t Size() const override { return 0; }
    LogStamp Look() const override { return StampOfPath(path_); }
    bool Take(const LogStamp& now) override { return now == held_; }
    std::string TakeMessage() override
    {
        std::string m;
        m.swap(message_);
        return m;
    }

private:
    std::string path_;
    LogStamp held_;
    std::string message_;
};

} // namespace

const char* CompressionOf(const unsigned char* head, size_t n)
{
    auto starts = [&](const char* magic, size_t len) {
        return n >= len && memcmp(head, magic, len) == 0;
    };
    if (starts("\x1f\x8b", 2))
        return "gzip";
    if (starts("\xfd" "7zXZ\0", 6))
        return "xz";
    if (starts("\x28\xb5\x2f\xfd", 4))
        return "zstd";
    if (starts("\x1f\x9d", 2))
        return "compress";
    // "BZh", the block size digit, then the magic of a block or of the end.
    if (n >= 10 && starts("BZh", 3) && head[3] >= '1' && head[3] <= '9' &&
        (memcmp(head + 4, "\x31\x41\x59\x26\x53\x59", 6) == 0 ||
         memcmp(head + 4, "\x17\x72\x45\x38\x50\x90", 6) == 0))
        return "bzip2";
    return nullptr;
}

namespace {

std::unique_ptr<LogSource> OpenFileSource(const std::string& path)
{
    // Only a regular file is a log: a FIFO or a device behind the link
    // reads as a log that cannot be opened, and the open never waits.
    int fd = path.empty() ? -1 : OpenRegularRead(path);
    if (fd == 0) {
        // Descriptor 0 is standard input's place: never taken for a log.
        close(fd);
        fd = -1;
    }
    if (fd < 0)
        return std::make_unique<PlainSource>(path, fd);
    // Found by the first bytes, never by the name.
    unsigned char head[10];
    ssize_t got;
    do {
        got = pread(fd, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    const char* kind = got > 0 ? CompressionOf(head, static_cast<size_t>(got)) : nullptr;
    if (kind == nullptr)
        return std::make_unique<PlainSource>(path, fd);
    if (strcmp(kind, "gzip") == 0)
        return std::make_unique<GzipSource>(path, fd);
    return std::make_unique<RefusedSource>(path, fd, kind);
}

} // namespace

std::unique_ptr<LogSource> OpenLogSource(const std::string& path)
{
    // Several files named together, or a directory (a slot link may lead
    // to one), are one log: the set of its rotation files.
    if (const std::vector<std::string>* files = FileSetNamed(path))
        return SetSource::OfFiles(*files, OpenFileSource);
    struct stat st;
    if (!path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return SetSource::OfDirectory(path, OpenFileSource);
    return OpenFileSource(path);
}

bool LogHasFiles(const std::string& path)
{
    std::unique_ptr<LogSource> source = OpenLogSource(path);
    const SetSource* set = dynamic_cast<const SetSource*>(source.get());
    return set == nullptr || !set->Members().empty();
}
