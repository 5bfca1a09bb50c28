#include "browse/opensource.h"

#include <unistd.h>

#include "browse/plainsource.h"
#include "frame/safefile.h"

std::unique_ptr<LogSource> OpenLogSource(const std::string& path)
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
