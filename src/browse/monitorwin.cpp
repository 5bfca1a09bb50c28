#include "browse/monitorwin.h"

#include <curses.h>
#include <sys/select.h>

#include <cerrno>

#include "browse/logreader.h"
#include "frame/screen.h"

namespace {

// A key curses has already read from the terminal is not seen by select.
int PendingKey()
{
    nodelay(stdscr, TRUE);
    int key = wgetch(stdscr);
    nodelay(stdscr, FALSE);
    return key;
}

} // namespace

int MonitorWait(int64_t known)
{
    for (;;) {
        int pending = PendingKey();
        if (pending != ERR)
            return pending;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(0, &readable);
        struct timeval timeout = {3, 0};
        int ready = select(1, &readable, nullptr, nullptr, &timeout);
        // A resize interrupts the wait; the next look at pending keys then
        // finds KEY_RESIZE, where a blocking read would wait for a real key.
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready != 0)
            return GetKeyOrResize();
        if (LogSizeNow() != known)
            return 0;
    }
}
