// Reading the current log line by line by byte offset, through the log's
// source (browse/logsource.h), with a read-ahead window so that consecutive
// steps cost no system call each.
#pragma once

#include <cstdint>
#include <string>

// Longest piece of a line one step hands over.
constexpr int kLineMax = 2048;

// Path of the current slot; points at sLogPath1, 2 or 3 (null before the first switch).
extern const char* sCurrentLogPath;
// Text of the line last read by NextLine or PrevLine, NUL-terminated.
extern const char* sCurrentLine;
// Size of the current log's text as last measured.
extern int64_t iLogSize;

// Start of the following line (0 when none); the line lands in sCurrentLine.
int64_t NextLine(int64_t offset);
// Start of the preceding line (its text, line feed included, lands in
// sCurrentLine); the offset itself when the log cannot be read there. A line
// longer than the step is met in pieces: the step then goes back kLineMax
// bytes and leaves sCurrentLine empty.
int64_t PrevLine(int64_t offset);
// Start of the line that holds the offset (the offset itself when a line
// starts there); sCurrentLine is left alone.
int64_t LineStartOf(int64_t offset);

// Size of the current log's text now, 0 when it cannot be read. The source
// looks at the path again and takes in a change (a replaced file gets a
// fresh source); the read-ahead stays until the log is measured.
int64_t LogSizeNow();
// The same, with the identity (device, inode) of the file behind the path;
// all 0 when it is missing or not a regular file.
int64_t LogIdentityNow(uint64_t& device, uint64_t& inode);
// True when the log differs from what MeasureText last found: another size
// or another state of the file(s) behind the path.
bool LogChanged();
// Takes the log's present state as the measured one: iLogSize, and the
// read-ahead dropped when the state changed.
void MeasureText();
// False while only the first part of the log's text is known (a compressed
// log whose reading the user stopped); iLogSize then counts that part.
bool LogIsWhole();
// Reads the rest of a log that is not whole (with the progress line of a
// scan, which 's' stops) and measures it; true when it grew.
bool CompleteText();
// A message about the current log the user has not seen yet (how it was
// opened, where its readable part ends); empty when none. Taking it clears it.
std::string TakeLogMessage();
// Forgets the current log's source (at exit, and before another slot).
void CloseLog();
// What a signal exit does instead: frees nothing, only removes the
// temporary file of an index being written.
void CloseLogOnSignal();
// Forgets the read-ahead window so the next step reads the file afresh.
void DropReadAhead();

// Time text of a line; empty for a missing or blank line or an empty log.
std::string LogTimeText(const char* line);
// Time text of the line at a log offset (read through NextLine).
std::string LogTimeTextAt(int64_t offset);
