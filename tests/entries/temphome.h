// A throw-away home directory with its private directory, for tests that
// read or write the program's small text files.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "frame/privatedir.h"

class TempHome {
public:
    TempHome()
    {
        char pattern[] = "/tmp/ferntrack-entries-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            sHome = pattern;
        SetPaths(sHome);
        mkdir(sPrivateDir.c_str(), 0700);
    }
    ~TempHome()
    {
        std::error_code ignored;
        if (!sHome.empty())
            std::filesystem::remove_all(sHome, ignored);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // Writes a file byte for byte; false when it cannot be written.
    static bool Write(const std::string& path, const std::string& content)
    {
        FILE* file = fopen(path.c_str(), "wb");
        if (file == nullptr)
            return false;
        bool ok = fwrite(content.data(), 1, content.size(), file) == content.size();
        return fclose(file) == 0 && ok;
    }

    static std::string Read(const std::string& path)
    {
        std::string content;
        FILE* file = fopen(path.c_str(), "rb");
        if (file == nullptr)
            return content;
        char block[4096];
        size_t got;
        while ((got = fread(block, 1, sizeof block, file)) > 0)
            content.append(block, got);
        fclose(file);
        return content;
    }

private:
    std::string sHome;
};
