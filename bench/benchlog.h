// The log a core benchmark works on: the one file named on its command line,
// made the current log in slot 1 with monitor mode off.
#pragma once

#include <cstdio>

#include "browse/logreader.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

// False, after printing the usage, unless exactly one file was named.
inline bool UseBenchLog(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s LOGFILE\n", argv[0]);
        return false;
    }
    sLogPath1 = argv[1];
    iMonitorMode = 0;
    SwitchLog(1);
    return true;
}
