#include "report/batchargs.h"

#include <algorithm>
#include <climits>
#include <ctime>

#include "entries/hitsizes.h"
#include "entries/words.h"
#include "frame/settings.h"
#include "report/options.h"

namespace {

// ---- Dates and local times ----

struct Civil {
    int year = 0;
    int month = 0;
    int day = 0;
};

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

Civil NextDate(Civil c)
{
    if (++c.day > DaysInMonth(c.year, c.month)) {
        c.day = 1;
        if (++c.month > 12) {
            c.month = 1;
            ++c.year;
        }
    }
    return c;
}

Civil PreviousDate(Civil c)
{
    if (--c.day < 1) {
        if (--c.month < 1) {
            c.month = 12;
            --c.year;
        }
        c.day = DaysInMonth(c.year, c.month);
    }
    return c;
}

Civil DateOf(int64_t t)
{
    time_t tt = static_cast<time_t>(t);
    struct tm tm;
    Civil c;
    if (localtime_r(&tt, &tm) != nullptr) {
        c.year = tm.tm_year + 1900;
        c.month = tm.tm_mon + 1;
        c.day = tm.tm_mday;
    }
    return c;
}

// The instant at which the local clock shows this date and time. Where
// the clocks go back and the time comes twice, the first; false where the
// clocks skip it.
bool LocalInstant(const Civil& c, int hour, int minute, int second, int64_t& out)
{
    bool found = false;
    for (int dst : {1, 0}) {
        struct tm tm = {};
        tm.tm_year = c.year - 1900;
        tm.tm_mon = c.month - 1;
        tm.tm_mday = c.day;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_sec = second;
        tm.tm_isdst = dst;
        time_t t = mktime(&tm);
        struct tm back;
        if (localtime_r(&t, &back) == nullptr)
            continue;
        // mktime moves a time the zone does not have: only a time that
        // reads back as asked is the one meant.
        if (back.tm_year != c.year - 1900 || back.tm_mon != c.month - 1 || back.tm_mday != c.day ||
            back.tm_hour != hour || back.tm_min != minute || back.tm_sec != second)
            continue;
        if (!found || static_cast<int64_t>(t) < out)
            out = static_cast<int64_t>(t);
        found = true;
    }
    return found;
}

// The first second of a date. Some zones change their clocks at midnight,
// so the day may begin later than 00:00.
bool StartOfDay(const Civil& c, int64_t& out)
{
    for (int minute = 0; minute < 24 * 60; minute += 15) {
        if (LocalInstant(c, minute / 60, minute % 60, 0, out))
            return true;
    }
    return false;
}

bool Digits(const std::string& text, size_t pos, size_t count, int& value)
{
    if (pos + count > text.size())
        return false;
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

const char* const kTimeForms = "not a time (YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS], today, yesterday or @SECONDS)";

bool ParseSeconds(const std::string& text, int64_t& out, std::string& why)
{
    // Up to 12 digits: far beyond any log, well inside every time type.
    if (text.size() < 2 || text.size() > 13) {
        why = kTimeForms;
        return false;
    }
    int64_t n = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            why = kTimeForms;
            return false;
        }
        n = n * 10 + (text[i] - '0');
    }
    out = n;
    return true;
}

// The start of a date, or with end the start of the day after it.
bool DayBound(Civil c, bool end, int64_t& out, std::string& why)
{
    if (end)
        c = NextDate(c);
    if (!StartOfDay(c, out)) {
        why = "no such local date";
        return false;
    }
    return true;
}

// ---- The settings --set may change ----

// The report's settings, as the report options, the common options and
// the search options screens keep them. Their types and bounds are the
// settings list's.
const char* const kReportKeys[] = {
    "sRepTitle",    "bRepCacheReport", "iRepBUT",       "iRepBDT",     "sRepBDTuser", "iRepBDI",   "iRepWordHits",
    "iRepColumns",  "bRepSplit",       "bRepShowSize",  "sRepSeperator", "iRepCSVcols", "bRepKeepExt", "bLookupIP",
    "bAliases",     "iUserNameLen",    "iRepFocus",     "sRepFocus",   "iSizeHitGrade", "iRepFast", "bRepMySort",
};

bool IsReportKey(const std::string& key)
{
    for (const char* k : kReportKeys)
        if (key == k)
            return true;
    return false;
}

bool IsTextKey(const std::string& key) { return !key.empty() && key[0] == 's'; }

// A plain decimal number (no sign, no blanks) in low..high.
bool NumberIn(const std::string& value, int64_t low, int64_t high)
{
    if (value.empty() || value.size() > 10)
        return false;
    int64_t n = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    return n >= low && n <= high;
}

// ---- Options ----

// The value of an option: "--name=value", or the next argument.
bool TakeValue(const std::string& arg, const std::string& name, int argc, const char* const* argv, int& i,
               std::string& value, std::string& error)
{
    if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= argc || argv[i + 1] == nullptr) {
        error = name + ": needs a value";
        return false;
    }
    value = argv[++i];
    return true;
}

bool Named(const std::string& arg, const std::string& name)
{
    return arg == name || arg.compare(0, name.size() + 1, name + "=") == 0;
}

// One option at argv[i]; false with error set when it makes no sense.
bool TakeOption(BatchOptions& options, int argc, const char* const* argv, int& i, int64_t now)
{
    std::string arg = argv[i];
    std::string& error = options.sError;
    std::string value;
    if (arg == "-h" || arg == "--help") {
        options.bHelp = true;
        return true;
    }
    for (const char* name : {"--from", "--to"}) {
        if (!Named(arg, name))
            continue;
        bool end = name[2] == 't';
        if (!TakeValue(arg, name, argc, argv, i, value, error))
            return false;
        std::string why;
        int64_t& when = end ? options.iTo : options.iFrom;
        if (!ParseBatchTime(value, end, now, when, why)) {
            error = std::string(name) + " " + value + ": " + why;
            return false;
        }
        (end ? options.bTo : options.bFrom) = true;
        return true;
    }
    if (Named(arg, "--format")) {
        if (!TakeValue(arg, "--format", argc, argv, i, value, error))
            return false;
        if (value == "text")
            options.eFormat = eFormatText;
        else if (value == "csv")
            options.eFormat = eFormatCsv;
        else if (value == "html")
            options.eFormat = eFormatHtml;
        else {
            error = "--format " + value + ": not text, csv or html";
            return false;
        }
        return true;
    }
    if (Named(arg, "--output") || arg == "-o") {
        if (!TakeValue(arg, arg == "-o" ? "-o" : "--output", argc, argv, i, value, error))
            return false;
        if (value.empty()) {
            error = "--output: needs a file name";
            return false;
        }
        options.sOutput = value;
        return true;
    }
    if (Named(arg, "--user")) {
        if (!TakeValue(arg, "--user", argc, argv, i, value, error))
            return false;
        if (value.empty()) {
            error = "--user: needs a user name";
            return false;
        }
        options.sUser = value;
        options.bUser = true;
        return true;
    }
    if (Named(arg, "--set")) {
        if (!TakeValue(arg, "--set", argc, argv, i, value, error))
            return false;
        size_t eq = value.find('=');
        if (eq == std::string::npos || eq == 0) {
            error = "--set " + value + ": not KEY=VALUE";
            return false;
        }
        options.vSettings.emplace_back(value.substr(0, eq), value.substr(eq + 1));
        return true;
    }
    error = arg + ": unknown option";
    return false;
}

} // namespace

bool ParseBatchTime(const std::string& text, bool end, int64_t now, int64_t& out, std::string& why)
{
    if (text == "today" || text == "yesterday") {
        Civil c = DateOf(now);
        if (text == "yesterday")
            c = PreviousDate(c);
        return c.year != 0 && DayBound(c, end, out, why);
    }
    if (!text.empty() && text[0] == '@')
        return ParseSeconds(text, out, why);
    Civil c;
    if (text.size() < 10 || !Digits(text, 0, 4, c.year) || text[4] != '-' || !Digits(text, 5, 2, c.month) ||
        text[7] != '-' || !Digits(text, 8, 2, c.day)) {
        why = kTimeForms;
        return false;
    }
    if (c.year < 1970 || c.month < 1 || c.month > 12 || c.day < 1 || c.day > DaysInMonth(c.year, c.month)) {
        why = "no such date";
        return false;
    }
    if (text.size() == 10)
        return DayBound(c, end, out, why);
    int hour = 0, minute = 0, second = 0;
    bool form = (text[10] == ' ' || text[10] == 'T') && Digits(text, 11, 2, hour) && text.size() >= 16 &&
                text[13] == ':' && Digits(text, 14, 2, minute);
    if (form && text.size() != 16)
        form = text.size() == 19 && text[16] == ':' && Digits(text, 17, 2, second);
    if (!form) {
        why = kTimeForms;
        return false;
    }
    if (hour > 23 || minute > 59 || second > 59) {
        why = "no such time of day";
        return false;
    }
    if (!LocalInstant(c, hour, minute, second, out)) {
        why = "the clocks skip this local time";
        return false;
    }
    return true;
}

BatchOptions ParseBatchArguments(int argc, const char* const* argv, int64_t now)
{
    BatchOptions options;
    bool optionsOver = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i] == nullptr ? std::string() : argv[i];
        if (!optionsOver && arg == "--") {
            optionsOver = true;
        } else if (!optionsOver && arg.size() > 1 && arg[0] == '-') {
            if (!TakeOption(options, argc, argv, i, now))
                return options;
        } else {
            options.vLogs.push_back(arg);
        }
    }
    if (options.bHelp)
        return options;
    if (options.bFrom && options.bTo && options.iFrom >= options.iTo)
        options.sError = "--from: not before --to";
    else if (options.bUser && (options.eFormat == eFormatCsv || options.eFormat == eFormatHtml))
        options.sError = "--user: one user's part is made from the normal-text report only";
    return options;
}

std::string SetReportSetting(const std::string& key, const std::string& value)
{
    if (!IsReportKey(key))
        return "--set " + key + ": not a report setting";
    std::string what = "--set " + key + "=" + value + ": ";
    if (key == "iSizeHitGrade") {
        // A grade names an entry of the hit sizes; the hit sizes screen
        // reads a number of 10 or more as a new size.
        int64_t sizes = std::min<int64_t>(static_cast<int64_t>(ParseHitSizes(sSizeHits).size()), kMaxHitSizes);
        if (!NumberIn(value, 0, sizes))
            return what + "not a hit grade from 0 to " + std::to_string(sizes);
        // Also sets the grade's byte size, as that screen does.
        HitSizesCommand(std::to_string(std::stoi(value)));
        return "";
    }
    // The prompts take no more than this.
    if (IsTextKey(key) && value.size() > kTypedMax)
        return what + "longer than " + std::to_string(kTypedMax) + " characters";
    std::string why;
    if (SetSettingFromText(key, value, &why) != eSettingTaken)
        return what + "not " + why;
    return "";
}

std::string BatchUsageLine()
{
    return "usage: ferntrack report [--from TIME] [--to TIME] [--format text|csv|html] [--output FILE]\n"
           "                        [--user NAME] [--set KEY=VALUE]... [LOG...]\n";
}

std::string BatchHelpText()
{
    return "Usage: ferntrack report [OPTIONS] [LOG...]\n"
           "\n"
           "Writes the report the 'l' screen writes, with no terminal: from cron, over\n"
           "ssh, in a pipe. LOG is what `ferntrack LOG` reads: a file (plain or gzip),\n"
           "several files (access.log*) or a DIRECTORY of rotated logs, read as one\n"
           "log, oldest first; without it, the log of the configured slot. Settings,\n"
           "words, hit sizes, aliases and full names come from ~/.ferntrack/, which is\n"
           "left as it is (a kept index of a gzip log is used, none is written).\n"
           "\n"
           "  --from TIME         start at the first request at or after TIME\n"
           "  --to TIME           stop before the first request at or after TIME; a date\n"
           "                      alone means the end of that day\n"
           "                      TIME, in local time (TZ): YYYY-MM-DD, YYYY-MM-DD HH:MM,\n"
           "                      YYYY-MM-DD HH:MM:SS, today, yesterday or @SECONDS\n"
           "  --format FORMAT     text, csv or html (default: the word hit action set on\n"
           "                      the report options screen)\n"
           "  -o, --output FILE   write FILE (default: standard output), through a\n"
           "                      temporary file beside it, renamed when complete\n"
           "  --user NAME         only that user's part of the normal-text report\n"
           "  --set KEY=VALUE     a report setting for this run only, by its key in\n"
           "                      ferntrack.conf, within the options screens' bounds;\n"
           "                      may be repeated\n"
           "  -h, --help          show this help and exit\n"
           "\n"
           "Settings --set takes: sRepTitle, bRepCacheReport, iRepBUT, iRepBDT,\n"
           "sRepBDTuser, iRepBDI, iRepWordHits, iRepColumns, bRepSplit, bRepShowSize,\n"
           "sRepSeperator, iRepCSVcols, bRepKeepExt, bLookupIP, bAliases, iUserNameLen,\n"
           "iRepFocus, sRepFocus, iSizeHitGrade, iRepFast, bRepMySort.\n"
           "\n"
           "Exit status: 0 the report was written; 1 the log could not be read, the\n"
           "range holds no line or the output could not be written (nothing is left\n"
           "under its name); 2 a bad option, time or setting; 130 interrupted.\n"
           "\n"
           "Example, yesterday's report mailed every morning at 6:\n"
           "  0 6 * * * ferntrack report --from yesterday --to yesterday | mail -s \"Proxy report\" root\n";
}
