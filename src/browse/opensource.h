// Choosing the source for a log path by the file's first bytes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "browse/logsource.h"

// The source that reads the file at path. A file that cannot be opened
// gives a source that reads as an empty log.
std::unique_ptr<LogSource> OpenLogSource(const std::string& path);
// Whether the log at path has any file in it: false for an empty
// directory, or a set of files none of which is a readable log.
bool LogHasFiles(const std::string& path);

// What a file that starts with these bytes is compressed with ("gzip",
// "xz", "bzip2", "zstd", "compress"); null for anything else.
const char* CompressionOf(const unsigned char* head, size_t n);
