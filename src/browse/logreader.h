// Reading the current log line by line by byte offset, the positions the
// browse window needs, and switching between the three log slots.
#pragma once

#include <cstdint>
#include <string>

// Longest piece of a line one step hands over.
constexpr int kLineMax = 2048;

// Path of the current slot; points at sLogPath1, 2 or 3 (null before the first switch).
extern const char* sCurrentLogPath;
// "Pri", "Sec" or "Tri" for the current slot.
extern const char* sCurrentLogName;
// Text of the line last read by NextLine or PrevLine, NUL-terminated.
extern const char* sCurrentLine;
// Size of the current log as last measured.
extern int64_t iLogSize;
// Offset of the start of the last line.
extern int64_t iLastLineStart;
// Offset of the line on the top row.
extern int64_t iTopOffset;
// Top offset of the last page.
extern int64_t iEndTop;
// Offset of the selected line, set by each draw.
extern int64_t iCursorOffset;
// Selected row, 0-based.
extern int iCursorRow;
// Last row the cursor may take.
extern int iMaxRow;
// Rows of log lines on the screen.
extern int iPageRows;
// COLS * 65536 + LINES as last seen; -1 at start.
extern int iScreenKey;
// Read-only descriptor of the current log; -1 when none is open.
extern int iLogDescriptor;

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
// Size of the file at the current slot's path, 0 when it cannot be opened.
int64_t LogFileSize();
// Size of the current log and the identity (device, inode) of the file
// behind its path; all 0 when it is missing or not a regular file. Nothing
// is opened, so a FIFO behind the link cannot block.
int64_t LogFileIdentity(uint64_t& device, uint64_t& inode);
// Re-measures the log: size, last line, last page, cursor limits.
void MeasureLog();
// Re-measures the log when its size changed, so that long scans can read
// lines appended since the last look (and a replaced file is reopened).
void CatchUpLog();
// Selects the last line on the last page, or the first line on the first.
void ViewEnd();
void ViewHome();
// What SwitchLog runs after making another slot current (the tally wipes
// itself); one hook, a later call replaces it.
void SetLogSwitchHook(void (*hook)());
// Makes slot n (1-3) current, or re-reads the current one for n = -1.
void SwitchLog(int n);
// Selects the line at offset p, mid-screen when possible.
void ShowOffset(int64_t p);
// Re-measures log and screen; true when the screen size changed and the
// view was reset.
bool RefreshLogState(int cols, int lines);
// Closes the log descriptor (at exit).
void CloseLog();
// Forgets the read-ahead window so the next step reads the file afresh.
void DropReadAhead();

// Time text of a line; empty for a missing or blank line or an empty log.
std::string LogTimeText(const char* line);
// Time text of the line at a log offset (read through NextLine).
std::string LogTimeTextAt(int64_t offset);
