// Opening files safely: only regular files are read or written, reads never
// block, and the log slots are never written.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>

int OpenRegularRead(const std::string& path);
bool ReadSmallFile(const std::string& path, std::string& out, size_t limit = 16 << 20);
int OpenRegularWrite(const std::string& path, int flags, std::string* why = nullptr);
bool IsLogSlotFile(const struct stat& st);
