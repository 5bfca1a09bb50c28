// The browse window's view of the current log: the page, the cursor, the
// positions the window needs, and switching between the three log slots.
// Reading lines by offset is in browse/linereader.h, included here.
#pragma once

#include <cstdint>
#include <string>

#include "browse/linereader.h"

// "Pri", "Sec" or "Tri" for the current slot.
extern const char* sCurrentLogName;
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

// Re-measures the log: size, last line, last page, cursor limits.
void MeasureLog();
// Re-measures the log when it changed, so that long scans can read lines
// appended since the last look (and a replaced file is reopened).
void CatchUpLog();
// Reads the rest of a log of which only a first part is known (the user
// stopped its reading), then measures it; true when the log grew.
bool CompleteLog();
// Selects the last line on the last page, or the first line on the first.
void ViewEnd();
void ViewHome();
// Adds what SwitchLog runs, in the order added, once it has made a log
// current: what belongs to the log that was current before (the report
// range, the tally) lets go of it. The reader knows none of them.
void AddLogSwitchHook(void (*hook)());
// Makes slot n (1-3) current, or re-reads the current one for n = -1.
void SwitchLog(int n);
// Selects the line at offset p, mid-screen when possible.
void ShowOffset(int64_t p);
// Re-measures log and screen; true when the screen size changed and the
// view was reset.
bool RefreshLogState(int cols, int lines);
