// A throw-away home directory with its private directory, for tests that
// read or write the program's small text files. SetPaths points the
// program's paths into it.
#pragma once

#include <sys/stat.h>

#include <string>

#include "frame/privatedir.h"
#include "support/tempdir.h"

class TempHome {
public:
    TempHome() : sHome(MakeScratchDir("ferntrack-entries"))
    {
        SetPaths(sHome);
        mkdir(sPrivateDir.c_str(), 0700);
    }
    ~TempHome() { RemoveScratchDir(sHome); }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // Writes a file byte for byte; false when it cannot be written.
    static bool Write(const std::string& path, const std::string& content) { return WriteWholeFile(path, content); }
    static std::string Read(const std::string& path) { return ReadWholeFile(path); }

private:
    std::string sHome;
};
