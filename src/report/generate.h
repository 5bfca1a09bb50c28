// The report run: one pass over the report range of the current log that
// writes every hit line into the report file, counts bytes, hits and cache
// hits, keeps bandwidth totals per user and per domain, and ends with the
// summary, cache and totals sections. Curses-free: the screen layer hands
// in what to show through the hooks, the scan hook polls the keyboard.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "entries/fields.h"
#include "report/nametotals.h"
#include "report/totals.h"

class GenerateReport;

// A third output beside text and CSV (the HTML page): the run hands it the
// range, every counted line and every hit, and at the end lets it write the
// whole file from the same counters and sorted totals. Each hook writes
// through Emit.
struct PageOutput {
    void (*pBegin)(GenerateReport& report, const std::string& startText, const std::string& endText);
    void (*pCount)(GenerateReport& report, const LineFields& fields);
    void (*pHit)(GenerateReport& report, const LineFields& fields);
    void (*pEnd)(GenerateReport& report);
};

class GenerateReport {
public:
    // Why a run ended; raised inside the run and caught by it.
    enum eDone {
        eEnded = 0,        // end of the range or of the log, or an empty range
        eWriteFailed = 1,  // a write to the report file failed
        eCanceled = 2,     // the user pressed 's'
    };
    // How a run ended, as Run hands it back.
    enum eRunEnd {
        eRunDone,         // the report was written whole (or, without a file, summed up)
        eRunNotOpened,    // the report file could not be opened
        eRunWriteFailed,  // a write or the close failed: the report is not whole
        eRunCanceled,     // stopped by the user
    };

    // The run writes a file (sRepFileName is not empty).
    bool bToFile = false;
    // The report received content: a hit line, the cache section or a totals line.
    bool bMadeContent = false;
    // The open report file while bToFile.
    FILE* pReportFile = nullptr;
    // Blank indent of time lines and continuation lines; set by the first hit.
    std::string sIndent;
    // Mark string of the line being counted.
    std::string sMarks = "    ";
    // Minute (seconds) of the last time line written; -1 at the start.
    int64_t iLastMinute = -1;
    // Byte count of the line being counted, never negative.
    int64_t iLineBytes = 0;
    // Emit also shows each text on the screen.
    bool bEcho = false;
    // Names in order of first appearance, and the totals that lead to them.
    std::vector<UserName> vUserNames;
    // The domain names stand in the counting's own memory, kept until the
    // totals are cleared.
    std::vector<std::string_view> vDomainNames;
    std::vector<TotalEntry> vUserTotals;
    std::vector<TotalEntry> vDomainTotals;

    // Counters of one run. Byte sums saturate instead of wrapping.
    int64_t iScannedBytes = 0;
    int64_t iRequests = 0;
    int64_t iHits = 0;
    int64_t iHitBytes = 0;
    int64_t iDashBytes = 0;
    int64_t iUsersBytes = 0;
    int64_t iDomainsBytes = 0;
    int64_t iCacheRequests = 0;
    int64_t iCacheBytes = 0;
    // Lines read, starting at 1, blank and denied lines included.
    int64_t iLineCount = 1;

    // What the screen shows while a run works; each may stay null.
    void (*pEchoHook)(const std::string& text) = nullptr;
    void (*pStatusHook)(const std::string& text) = nullptr;
    void (*pClearHook)() = nullptr;

    // Set by the caller: a stream the run writes instead of the report file
    // in the private directory. The run flushes it but does not close it.
    FILE* pGivenFile = nullptr;
    // The errno of a write or close that failed; 0 when none did.
    int iWriteError = 0;
    // Set by the caller for a page output instead of text or CSV lines.
    const PageOutput* pPage = nullptr;

    // Left by a run that made a report with content, for the view offer.
    bool bOfferView = false;
    // "<bytes> scanned bytes, <hits> hits - <n> seconds" of the last run.
    std::string sSummary;

    // Runs a report over iRepStart..iRepFinish of the current log. Leaves
    // its result in sStatusMessage, sCurrentReport and bOfferView, and
    // says how it ended.
    eRunEnd Run();
    // Empties the names and totals.
    void ClearTotals();

    // Writes a text to the report file (and shows it while bEcho); raises
    // eWriteFailed when the file takes fewer bytes than given.
    void Emit(const std::string& text);
    // Writes the current hit as normal text: a time line when the minute
    // changes, then the entry, split or shortened to iRepColumns.
    void WriteTextHit(const char* line);
    void WriteTextHit(const LineFields& fields);
    // Writes the current hit as one CSV line.
    void WriteCsvHit(const char* line);
    void WriteCsvHit(const LineFields& fields);

    // Counts one non-blank log line into the counters and totals.
    void CountLine(const LineFields& fields);
    // Adds the current line's bytes as one request under a name.
    void AddUserTotal(std::string_view name);
    void AddDomainTotal(std::string_view name);
    // Sorts both totals by request count, as the run does every iRepFast lines.
    void SortTotalsByCount();
    // Ends the counting: fills the names and totals vectors above.
    void CollectTotals();

private:
    // Opens the report file; false when it may not or cannot be written.
    bool OpenReportFile();
    // Closes the report file; false when buffered bytes could not be written.
    bool CloseReportFile();
    void ResetCounters();
    void WriteStart();
    void ScanRange();
    void WriteSections();
    void PrepareUserTotals();
    void PrepareDomainTotals();
    void WriteUserTotals();
    // The lines of the user (or domain) totals.
    void WriteTotalLines(const std::vector<TotalEntry>& totals, bool users);
    void WriteDomainTotals();
    void FindFullNames();
    eRunEnd Finish(int reason, int64_t startTime);
    void ShowStatus(const std::string& text);

    // The totals while the run counts; handed over to the vectors above
    // when the counting ends.
    NameTotals vUserCounts;
    NameTotals vDomainCounts;
    // User of the line being counted; a buffer reused for every line.
    std::string sLineUser;
    // User as a hit line shows it, and the hit line being written.
    std::string sShownUser;
    std::string sHitText;
    // The progress label, refreshed every few thousand lines.
    std::string sProgress;
};

// Adds to a byte sum without passing the largest value.
void AddBytes(int64_t& sum, int64_t bytes);
