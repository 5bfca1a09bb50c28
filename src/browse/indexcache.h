// Keeping the indexes of compressed logs between runs, in a folder of the
// private directory, so that opening an indexed file again costs what
// opening a plain log costs.
#pragma once

#include <cstdint>
#include <string>

#include "browse/gzipindex.h"

// The folder holds at most this many bytes; the least recently used
// indexes go first.
constexpr int64_t kIndexCacheCap = int64_t{256} * 1024 * 1024;

// HOME/.ferntrack/gzindex
std::string IndexCacheDir();
// The key of the open gzip file fd: identity, size, time, and a
// fingerprint of its first and last 4 KiB.
GzipKey KeyOfFile(int fd);
// The file name an index for key is kept under.
std::string IndexFileName(const GzipKey& key);
// Reads a kept index for key; false (index empty) when there is none or it
// is not to be trusted. A use makes it the most recently used.
bool LoadKeptIndex(const GzipKey& key, GzipIndex& index);
// Keeps an index for key (through a temporary file, then trims the folder
// to the cap). False when the folder cannot be made or written.
bool KeepIndex(const GzipKey& key, const GzipIndex& index);
// Removes the least recently used index files of dir until the rest fit
// in cap bytes. Only regular files named like an index are touched.
void TrimIndexCache(const std::string& dir, int64_t cap);
