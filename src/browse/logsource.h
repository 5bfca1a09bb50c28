// Where the reader's bytes come from: the log behind one path, read by
// offset. A plain file is one kind of source, a compressed file another; the
// reader asks its source for bytes, for the size of the text and for what
// the path leads to now, and knows nothing else of it.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>

// The file(s) behind a log's path as one look found them, without reading
// the log: which file it is, how many bytes it holds on disk and when it was
// last written. Two looks that differ mean the log grew, shrank, was
// rewritten in place or was replaced by another file.
struct LogStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = -1; // -1: nothing there that can be read as a regular file
    int64_t mtimeSec = 0;
    long mtimeNsec = 0;
};

bool operator==(const LogStamp& a, const LogStamp& b);
inline bool operator!=(const LogStamp& a, const LogStamp& b) { return !(a == b); }

// Stamp of the regular file at path; nothing is opened that could block.
LogStamp StampOfPath(const std::string& path);
// Stamp of an open descriptor (size -1 when fstat fails).
LogStamp StampOfDescriptor(int fd);
// The same from a stat result already at hand.
LogStamp StampOfStat(const struct stat& st);

// Where each offset into a log's text went when the text moved under it
// (files of a set found again after a rotation).
using OffsetMove = std::function<int64_t(int64_t)>;

class LogSource {
public:
    virtual ~LogSource() = default;

    // Copies up to n bytes of text from offset on into buf. The count is
    // short only where the readable text ends, 0 at or past that end, -1
    // when the read failed.
    virtual int64_t ReadAt(int64_t offset, char* buf, int64_t n) = 0;

    // Bytes of text, as of the last look taken in.
    virtual int64_t Size() const = 0;

    // Looks at what the path leads to now. Cheap: no byte of the log is read.
    virtual LogStamp Look() const = 0;

    // Takes in a look: Size() then describes that state. False when this
    // source cannot follow it (another file behind the path, a compressed
    // file that changed); the reader then opens a fresh source for the path.
    virtual bool Take(const LogStamp& now) = 0;

    // False while only a first part of the text is known; Size() then
    // counts that part.
    virtual bool Whole() const { return true; }

    // Reads on until the whole text is known, through the scan hook, so the
    // user sees progress and may stop it ('s'); Whole() tells which.
    virtual void Complete() {}

    // What the user is to be told once about this log (how it was opened,
    // where its readable part ends); empty when nothing. Taking it clears it.
    virtual std::string TakeMessage() { return {}; }

    // After a Take in which the text moved (a set's files rotated): where
    // each old offset is now; empty when nothing moved. Taking it clears it.
    virtual OffsetMove TakeOffsetMove() { return {}; }
};
