#include "browse/opensource.h"

#include <sys/stat.h>
#include <unistd.h>

#include "browse/plainsource.h"
#include "browse/setsource.h"
#include "frame/safefile.h"

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
    return std::make_unique<PlainSource>(path, fd);
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
