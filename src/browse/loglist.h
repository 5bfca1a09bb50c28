// A list that follows the current log (the tally, a history): its page,
// and what it last saw of the log, so that a log that shrank or was
// replaced is noticed at the next refresh.
#pragma once

#include <cstdint>

#include "frame/listpage.h"

class LogList : public ListPage {
public:
    int64_t iSizeSeen = 0; // log size at the last refresh

protected:
    // The change test of both lists: looks at the log and gives its size;
    // true when it shrank below iSizeSeen or another file now stands
    // behind the path, so that the list's offsets mean nothing any more.
    bool LogStartedAgain(int64_t& size);
    // Forgets the log: the next look takes whatever log is there as new.
    void ForgetLog();

private:
    uint64_t logDevice = 0;
    uint64_t logInode = 0;
};
