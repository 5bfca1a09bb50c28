// The command line of `ferntrack report`: a report without the terminal,
// over a range of time, in text, CSV or HTML, for cron and pipes. Only
// reading and checking here; the run itself is in report/batch.h.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What --format asks for.
enum eBatchFormat {
    eFormatConfigured,  // as iRepWordHits says: normal text or CSV hit lines
    eFormatText,
    eFormatCsv,
    eFormatHtml,
};

struct BatchOptions {
    bool bHelp = false;
    // Why the command line makes no sense ("<what>: <why>"); empty when it does.
    std::string sError;
    // The range in local time, as seconds: lines from iFrom (inclusive) up
    // to iTo (not included).
    bool bFrom = false;
    bool bTo = false;
    int64_t iFrom = 0;
    int64_t iTo = 0;
    eBatchFormat eFormat = eFormatConfigured;
    // --output; empty writes to standard output.
    std::string sOutput;
    // --user; empty for the whole report.
    std::string sUser;
    bool bUser = false;
    // --set KEY=VALUE, in the order given (checked when they are set).
    std::vector<std::pair<std::string, std::string>> vSettings;
    // The LOG operands as given; several, or a directory, are one log.
    std::vector<std::string> vLogs;
};

// Reads the arguments after "report"; now is the time "today" and
// "yesterday" count from.
BatchOptions ParseBatchArguments(int argc, const char* const* argv, int64_t now);

// A time of --from (end false) or --to (end true) in local time:
// YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS] (or with T between), today, yesterday,
// @SECONDS. A date alone starts at the first second of that day, or for
// --to ends with its last (the result is then the next day's start).
// False with why set for a text that is no time or names no local time.
bool ParseBatchTime(const std::string& text, bool end, int64_t now, int64_t& out, std::string& why);

// Sets one --set for this run: a report setting by its configuration key,
// held to the bounds the options screens keep. Empty when it was taken,
// else why not (the setting then keeps its value).
std::string SetReportSetting(const std::string& key, const std::string& value);

// The text of `ferntrack report --help`.
std::string BatchHelpText();
// The usage line printed after a bad option or time.
std::string BatchUsageLine();
