// Every setting, once: SETTING(type, name, default, bounds), in the order
// the configuration file lists them. The name is the variable and the
// configuration key. bounds (kAnyValue or Bounds(low, high)) says which
// whole numbers a value set by key may take: the option screens' limits.
// The file itself is read without bounds, as it always was.
//
// No include guard: each includer defines SETTING, includes this list and
// undefines SETTING again (see frame/settings.h, frame/settings.cpp and
// frame/config.cpp). To add a setting, add one line here.

// Report file name in the private directory; empty writes no file.
SETTING(std::string, sRepFileName, "temp.txt", kAnyValue)
// File name of the filtered report.
SETTING(std::string, sRepFilter, "", kAnyValue)
// Title line of a report.
SETTING(std::string, sRepTitle, "", kAnyValue)
// URL shortening keeps the host and the tail of the URL.
SETTING(bool, bRepKeepExt, true, kAnyValue)
// Normal-text report: width of a line.
SETTING(int, iRepColumns, 80, Bounds(45, 256))
// Normal-text report: continue long URLs on further lines.
SETTING(bool, bRepSplit, false, kAnyValue)
// Normal-text report: show the request size on each hit line.
SETTING(bool, bRepShowSize, false, kAnyValue)
// Write the cache hit statistics section.
SETTING(bool, bRepCacheReport, true, kAnyValue)
// CSV: text between fields.
SETTING(std::string, sRepSeperator, "|", kAnyValue)
// CSV: width the URL field is shortened to.
SETTING(int, iRepCSVcols, 100, Bounds(11, 599))
// Word hit action: 0 nothing, 1 normal-text line, 2 CSV line.
SETTING(int, iRepWordHits, 1, Bounds(0, 2))
// User bandwidth totals: 0 none, 1 requests not skipped, 2 all.
SETTING(int, iRepBUT, 1, Bounds(0, 2))
// Domain bandwidth totals: 0 none, 1 all users, 2 only sRepBDTuser.
SETTING(int, iRepBDT, 1, Bounds(0, 2))
// Domain totals include: 0 requests not skipped, 1 all.
SETTING(int, iRepBDI, 0, Bounds(0, 1))
// 1: only the focused user's requests are hits.
SETTING(int, iRepFocus, 0, Bounds(0, 1))
// The focused user.
SETTING(std::string, sRepFocus, "", kAnyValue)
// The one user of iRepBDT = 2.
SETTING(std::string, sRepBDTuser, "", kAnyValue)
// Pager command for reports and the howto file.
SETTING(std::string, sViewer, "less", kAnyValue)
// Name of the last report made with content.
SETTING(std::string, sCurrentReport, "", kAnyValue)
// Address the last report was mailed to.
SETTING(std::string, sCurrentEmail, "", kAnyValue)
// Current hit size grade; 0 turns size hits off.
SETTING(int, iSizeHitGrade, 0, kAnyValue)
// Byte size belonging to the current hit grade.
SETTING(int, iSizeHitBytes, 0, kAnyValue)
// Hit sizes: blank-separated ascending byte counts.
SETTING(std::string, sSizeHits, "50000 250000 1000000 10000000", kAnyValue)
// Current log slot, 1 to 3.
SETTING(int, iCurrentLog, 1, Bounds(1, 3))
// Monitor mode is on when not 0.
SETTING(int, iMonitorMode, 1, kAnyValue)
// Show the client address as the user of requests without a user.
SETTING(bool, bLookupIP, true, kAnyValue)
// Use the aliases file to name client addresses.
SETTING(bool, bAliases, false, kAnyValue)
// Width of the user column.
SETTING(int, iUserNameLen, 8, Bounds(1, 64))
// Re-sort report totals every this many lines; 0 never.
SETTING(int, iRepFast, 10000, Bounds(0, INT_MAX))
// Sort report totals with the program's own routine.
SETTING(bool, bRepMySort, true, kAnyValue)
// Tally fade period in seconds.
SETTING(int, iTallyHP, 3600, kAnyValue)
// Tally points factor per elapsed fade period.
SETTING(float, iTallyFade, 0.75f, kAnyValue)
// Tally points per byte of a request.
SETTING(float, iTallyEntry, 1.0f, kAnyValue)
// The tally follows the growing log.
SETTING(bool, iTallyMonitor, true, kAnyValue)
// The tally counts denied requests too.
SETTING(bool, iTallyDenies, true, kAnyValue)
