// The user's choices, one process-wide variable per configuration key, plus
// the other process-wide values that start from a fixed initial value.
#pragma once

#include <cstdint>
#include <string>

// Report file name in the private directory; empty writes no file.
extern std::string sRepFileName;
// File name of the filtered report.
extern std::string sRepFilter;
// Title line of a report.
extern std::string sRepTitle;
// URL shortening keeps the host and the tail of the URL.
extern bool bRepKeepExt;
// Normal-text report: width of a line.
extern int iRepColumns;
// Normal-text report: continue long URLs on further lines.
extern bool bRepSplit;
// Normal-text report: show the request size on each hit line.
extern bool bRepShowSize;
// Write the cache hit statistics section.
extern bool bRepCacheReport;
// CSV: text between fields.
extern std::string sRepSeperator;
// CSV: width the URL field is shortened to.
extern int iRepCSVcols;
// Word hit action: 0 nothing, 1 normal-text line, 2 CSV line.
extern int iRepWordHits;
// User bandwidth totals: 0 none, 1 requests not skipped, 2 all.
extern int iRepBUT;
// Domain bandwidth totals: 0 none, 1 all users, 2 only sRepBDTuser.
extern int iRepBDT;
// Domain totals include: 0 requests not skipped, 1 all.
extern int iRepBDI;
// 1: only the focused user's requests are hits.
extern int iRepFocus;
// The focused user.
extern std::string sRepFocus;
// The one user of iRepBDT = 2.
extern std::string sRepBDTuser;
// Pager command for reports and the howto file.
extern std::string sViewer;
// Name of the last report made with content.
extern std::string sCurrentReport;
// Address the last report was mailed to.
extern std::string sCurrentEmail;
// Current hit size grade; 0 turns size hits off.
extern int iSizeHitGrade;
// Byte size belonging to the current hit grade.
extern int iSizeHitBytes;
// Hit sizes: blank-separated ascending byte counts.
extern std::string sSizeHits;
// Current log slot, 1 to 3.
extern int iCurrentLog;
// Monitor mode is on when not 0.
extern int iMonitorMode;
// Show the client address as the user of requests without a user.
extern bool bLookupIP;
// Use the aliases file to name client addresses.
extern bool bAliases;
// Width of the user column.
extern int iUserNameLen;
// Re-sort report totals every this many lines; 0 never.
extern int iRepFast;
// Sort report totals with the program's own routine.
extern bool bRepMySort;
// Tally fade period in seconds.
extern int iTallyHP;
// Tally points factor per elapsed fade period.
extern float iTallyFade;
// Tally points per byte of a request.
extern float iTallyEntry;
// The tally follows the growing log.
extern bool iTallyMonitor;
// The tally counts denied requests too.
extern bool iTallyDenies;

// Extension given to report file names.
extern const char* const sReportExtension;
// Text shown by the 'd' key; nothing writes it.
extern std::string sDebugText;
// Code of the risky operation under way, printed by the fault handler.
extern int iFaultCode;

// Puts every setting back to its default (used at start and by tests).
void ResetSettings();
