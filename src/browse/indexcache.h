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
// Set for a run that must leave the private directory as it found it (a
// report from the command line): kept indexes are read, but no index file
// is made, trimmed or marked as used; indexes built stay in memory.
extern bool bIndexCacheReadOnly;
// The key of the open gzip file fd: identity, size, time, and a
// fingerprint of its first and last 4 KiB.
GzipKey KeyOfFile(int fd);
// The file name an index for key is kept under.
std::string IndexFileName(const GzipKey& key);
// Reads a kept index for key; false (index empty) when there is none or it
// is not to be trusted. The windows stay in the file: windowFd is left open
// on it for reading them. A use makes it the most recently used (unless
// the cache is read-only).
bool LoadKeptIndex(const GzipKey& key, GzipIndex& index, int& windowFd);
// Removes the least recently used index files of dir until the rest fit
// in cap bytes, and temporary files left by a run that ended abruptly.
// Only regular files named like an index are touched.
void TrimIndexCache(const std::string& dir, int64_t cap);

// Removes the temporary file of an index being written, if any; safe in a
// signal handler (no memory is freed, only unlink is called).
void RemoveIndexTempNow();

// An index file written while its index is built: the head at once, each
// window as it comes (so that windows need not stay in memory), the table
// at the end. It goes to a temporary file in the folder that is renamed to
// the kept name when finished, and is removed when it is not.
class IndexWriter {
public:
    explicit IndexWriter(const GzipKey& key);
    ~IndexWriter();
    IndexWriter(const IndexWriter&) = delete;
    IndexWriter& operator=(const IndexWriter&) = delete;

    // False once the file cannot be written (or could not be made, or the
    // cache is read-only).
    bool Ok() const { return ok_; }
    // Writes the point's window to the file and drops it from memory;
    // false, the point left as it was, when the file cannot take it.
    bool Put(GzipPoint& point);
    // A new descriptor that reads the windows written; -1 when none.
    int ReadDescriptor() const;
    // Writes the table and renames the file to its kept name, then trims
    // the folder to the cap; false when the index could not be kept.
    bool Finish(const GzipIndex& index);

private:
    bool Write(const std::string& bytes);

    GzipKey key_;
    std::string temp_;
    int fd_ = -1;
    int64_t at_ = 0;
    uint32_t crc_ = 0;
    bool ok_ = false;
};
