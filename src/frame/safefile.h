// The one place that opens files: what the program reads is opened without
// blocking and used only when it is a regular file; what it writes is only
// ever a regular file the user may write, never a log and never a device,
// a FIFO or a socket reached through a link.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Opens a file for reading without blocking (a FIFO or a device behind the
// path must not hang the program). Returns the descriptor, or -1 (nothing
// left open) when the path cannot be opened or is not a regular file.
int OpenRegularRead(const std::string& path);

// How much of a small text file (settings, words, aliases, users) is read.
constexpr size_t kSmallFileLimit = size_t{16} << 20;

// Reads a whole regular file, at most limit bytes of it (the rest is
// ignored), into out. False, with out empty, when the file is absent,
// unreadable or not a regular file.
bool ReadSmallFile(const std::string& path, std::string& out, size_t limit = kSmallFileLimit);

// What lies at the end of a path that is to be written.
enum eWriteTarget {
    eTargetRefused,  // must not be written (see why)
    eTargetAbsent,   // nothing there yet: a new regular file may be made
    eTargetFile,     // a regular file the user may write
};

// Checks the path a write would reach (after following links): a regular
// file the user may write that is none of the log slots, or nothing at all.
// st receives the file's status when it exists; why a short reason when refused.
eWriteTarget CheckWriteTarget(const std::string& path, struct stat* st = nullptr,
                              std::string* why = nullptr);

// Opens a file for writing with flags such as O_WRONLY | O_CREAT | O_TRUNC
// or O_WRONLY | O_CREAT | O_APPEND, following a link to its target. Refuses
// (-1) a target that exists and is not a regular file, that is one of the
// log slots, or that the user may not write; why then holds a short reason.
// A file is truncated only after it has been checked; a new one is made
// with mode (less the umask).
int OpenRegularWrite(const std::string& path, int flags, std::string* why = nullptr, mode_t mode = 0666);

// True when st is the file that one of the log slots (log1, log2, log3)
// leads to.
bool IsLogSlotFile(const struct stat& st);
// The files (device, inode) read as a set of logs (a directory or files
// named together) by owner: IsLogSlotFile counts them too, until the owner
// notes others or forgets them.
void NoteLogMembers(const void* owner, const std::vector<std::pair<uint64_t, uint64_t>>& files);
void ForgetLogMembers(const void* owner);

// True when st is one of the files the program keeps its own data in: the
// settings, words, users and aliases files and the howto.
bool IsProgramFile(const struct stat& st);
// The same for a path already followed through its links (FollowLinks),
// also when nothing is there yet but one of those files' names leads there.
bool IsProgramPath(const std::string& target);

// True when the path (its links already followed) is, or would make, one of
// those files: the same file, or the name one of their links leads to.
bool IsProgramPath(const std::string& target);

// Opens a report (or filtered report) for writing, created or truncated, as
// OpenRegularWrite does, readable by the owner only; also refuses the
// program's own files, which a report written over them would wipe out,
// before anything is made.
int OpenReportWrite(const std::string& path, std::string* why = nullptr);

// The path a link chain leads to, followed even when its end does not exist
// (a dangling link names the file that writing would create). A path that
// is not a link is returned as it is.
std::string FollowLinks(const std::string& path);

// A temporary file that must not outlive the process: a signal exit removes
// it (RemoveTempFileNow is safe inside a signal handler).
void NoteTempFile(const std::string& path);
void ForgetTempFile();
void RemoveTempFileNow();

// Makes a temporary file from a mkstemp pattern (a path ending in
// "XXXXXX"), noted with NoteTempFile before any signal that ends the
// program can come in. The descriptor, or -1 with errno set.
int MakeTempFile(std::string& tempPath);
// Gives a new file that replaces old the old file's mode (and, when root
// writes, its owner); with no old file, the mode a fresh file gets.
void TakeOverFile(int fd, const struct stat* old);
// Flushes the directory entry of a file just renamed into place.
void SyncDirectoryOf(const std::string& path);
