#include "frame/terminal.h"

#include <poll.h>

#include <cerrno>

bool InputGone(int fd)
{
    struct pollfd input = {fd, POLLIN, 0};
    int ready = poll(&input, 1, 0);
    if (ready < 0)
        return errno != EINTR && errno != EAGAIN && errno != ENOMEM;
    return (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}
