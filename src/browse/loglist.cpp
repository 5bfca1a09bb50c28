#include "browse/loglist.h"

#include "browse/linereader.h"

bool LogList::LogStartedAgain(int64_t& size)
{
    uint64_t device = 0, inode = 0;
    size = LogIdentityNow(device, inode);
    bool replaced = logInode != 0 && inode != 0 && (device != logDevice || inode != logInode);
    logDevice = device;
    logInode = inode;
    return size < iSizeSeen || replaced;
}

void LogList::ForgetLog()
{
    iSizeSeen = 0;
    logDevice = logInode = 0;
}
