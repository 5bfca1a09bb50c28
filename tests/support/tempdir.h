// Scratch folders and whole-file reads and writes for tests. Header only and
// free of the program's code, so that the unit tests and the end-to-end tests
// (which do not link the program) share one copy.
#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <stdexcept>
#include <string>

// Makes a new, empty folder /tmp/<prefix>-XXXXXX and returns its path.
inline std::string MakeScratchDir(const std::string& prefix)
{
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a folder like " + pattern);
    return pattern;
}

// Removes the folder and everything below it. Links are removed, never
// followed, and folders a test made read-only are opened up first.
inline void RemoveScratchDir(const std::string& path)
{
    auto open = [](const char* entry, const struct stat* st, int type, struct FTW*) {
        if ((type == FTW_D || type == FTW_DNR) && (st->st_mode & 0700) != 0700)
            ::chmod(entry, st->st_mode | 0700);
        return 0;
    };
    auto remove = [](const char* entry, const struct stat*, int, struct FTW*) {
        std::remove(entry);
        return 0;
    };
    if (path.empty())
        return;
    ::nftw(path.c_str(), open, 16, FTW_PHYS);
    ::nftw(path.c_str(), remove, 16, FTW_DEPTH | FTW_PHYS);
}

// The file type bits of what is at the path, links not followed; 0 when
// there is nothing.
inline mode_t TypeAt(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// Writes the bytes as the whole file (or at its end); false when it cannot.
inline bool WriteWholeFile(const std::string& path, const std::string& bytes, bool append = false)
{
    FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
    if (file == nullptr)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// The whole file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.append(block, got);
    std::fclose(file);
    return bytes;
}

// Makes a device node like /dev/full (every write fails with ENOSPC) at
// dir/full and returns its path; empty where nodes cannot be made (not
// root). Tests write to their own node, never to the system's.
inline std::string MakeFullDevice(const std::string& dir)
{
    std::string path = dir + "/full";
    if (::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0)
        return "";
    return path;
}
