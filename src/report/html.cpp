#include "report/html.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>

#include "entries/aliases.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/helptext.h"
#include "frame/screentext.h"
#include "frame/settings.h"
#include "report/output.h"

using namespace std::string_view_literals;

namespace {

constexpr int64_t kHour = 3600;
// Bars of the top users and top domains charts.
constexpr size_t kTopBars = 10;
// Size of the hour charts' drawing, in its own units.
constexpr int kChartWidth = 1000;
constexpr int kChartHeight = 160;

struct HourCount {
    int64_t iRequests = 0;
    int64_t iBytes = 0;
};

// The state of one page, from pBegin to pEnd.
struct Page {
    std::string sRange;
    // Requests and bytes by hour (seconds / 3600).
    std::map<int64_t, HourCount> vHours;
    // The hour of the last line counted, which the next line most likely
    // shares.
    std::map<int64_t, HourCount>::iterator pLastHour;
    bool bHaveLastHour = false;
    // Hit rows wait here until the tables before them are written.
    FILE* pHits = nullptr;
    int64_t iHitRows = 0;
    std::string sRow;
    std::string sUser;
    // Minute of the last time row among the hits.
    int64_t iLastMinute = -1;
    // Time of the line last counted, and its stamp's whole seconds.
    int64_t iLineTime = 0;
    std::string sLastSecond;
};

Page thePage;

const char* const kStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#222;background:#fff}"
    "h1{font-size:1.5em;margin:0 0 .2em}h2{font-size:1.15em;margin:1.4em 0 .4em;border-bottom:1px solid #ccc}"
    "p.range{margin:0 0 1em;color:#555}"
    "table{border-collapse:collapse;margin:.3em 0}"
    "th,td{padding:.15em .6em;border-bottom:1px solid #e4e4e4;text-align:left;vertical-align:top}"
    "td.n,th.n{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}"
    "#hits td:nth-child(1){text-align:right;white-space:nowrap}#hits td:nth-child(3){font-family:monospace;"
    "white-space:pre}#hits td:nth-child(4){word-break:break-all}#hits th[colspan]{padding-top:.6em;font-weight:normal;"
    "color:#555}"
    "p.head{font-family:monospace;white-space:pre;margin:.2em 0}"
    "svg.hours{width:100%;height:10em;background:#fafafa;border:1px solid #ddd}"
    "svg.hours rect{fill:#3b6ea5}svg.bytes rect{fill:#5a9b4c}"
    "div.bars{display:grid;grid-template-columns:minmax(8em,max-content) 1fr max-content;gap:.2em .6em;"
    "align-items:center;max-width:60em}"
    "div.bar{background:#3b6ea5;height:.9em;min-width:1px}div.dom div.bar{background:#5a9b4c}"
    "p.axis{display:flex;justify-content:space-between;margin:0;color:#555;font-size:.85em}"
    "footer{margin-top:2em;color:#777;font-size:.8em}"
    "@media print{@page{size:A4;margin:14mm}body{margin:0;font-size:9pt}"
    "h2{page-break-after:avoid}tr,div.bars{page-break-inside:avoid}svg.hours{height:7em}"
    "#hits td:nth-child(4){max-width:110mm}}";

void Put(GenerateReport& report, const std::string& text) { report.Emit(text); }

// A failed write of the page's own (the hit rows' file) fails the run as a
// failed write to the report does.
[[noreturn]] void Fail(GenerateReport& report)
{
    report.iWriteError = errno != 0 ? errno : EIO;
    throw GenerateReport::eWriteFailed;
}

std::string Num(int64_t n) { return NumToCommaStr(static_cast<uint64_t>(n < 0 ? 0 : n)); }

// The text report's percentage without the blanks that align it there.
std::string Percent(int64_t part, int64_t whole)
{
    std::string text = PercentText(part, whole);
    return text.substr(std::min(text.find_first_not_of(' '), text.size()));
}

// A text of the text report without its leading and trailing line ends
// and padding blanks, one paragraph per line.
std::string HeadLines(const std::string& text)
{
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string::npos ? text.size() : lf;
        std::string line = text.substr(start, end - start);
        size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos)
            out += "<p class=\"head\">" + HtmlEscape(line.substr(first)) + "</p>\n";
        start = end + 1;
    }
    return out;
}

std::string HourLabel(int64_t hour)
{
    time_t t = static_cast<time_t>(hour * kHour);
    struct tm tm;
    char buf[64];
    if (localtime_r(&t, &tm) == nullptr || strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm) == 0)
        return "?";
    return buf;
}

// One bar chart of the hours, the first and last hour under it.
void HourChart(GenerateReport& report, const char* cls, const char* what, bool bytes)
{
    const auto& hours = thePage.vHours;
    int64_t first = hours.begin()->first;
    int64_t last = hours.rbegin()->first;
    int64_t span = last - first + 1;
    int64_t top = 1;
    for (const auto& h : hours)
        top = std::max(top, bytes ? h.second.iBytes : h.second.iRequests);
    double width = static_cast<double>(kChartWidth) / static_cast<double>(span);
    std::string svg = "<svg class=\"hours " + std::string(cls) + "\" viewBox=\"0 0 " + std::to_string(kChartWidth) +
                      " " + std::to_string(kChartHeight) +
                      "\" preserveAspectRatio=\"none\" role=\"img\" xmlns=\"http://www.w3.org/2000/svg\"><title>" +
                      what + " per hour, at most " + Num(top) + "</title>\n";
    char rect[160];
    for (const auto& h : hours) {
        int64_t value = bytes ? h.second.iBytes : h.second.iRequests;
        double height = static_cast<double>(kChartHeight) * static_cast<double>(value) / static_cast<double>(top);
        snprintf(rect, sizeof rect, "<rect x=\"%.3f\" y=\"%.3f\" width=\"%.3f\" height=\"%.3f\"><title>",
                 static_cast<double>(h.first - first) * width, kChartHeight - height, width * 0.9, height);
        svg += rect + HourLabel(h.first) + ": " + Num(value) + " " + what + "</title></rect>\n";
    }
    svg += "</svg>\n<p class=\"axis\"><span>" + HourLabel(first) + "</span><span>" + what + ", at most " +
           Num(top) + " an hour</span><span>" + HourLabel(last) + "</span></p>\n";
    Put(report, svg);
}

// Bars of the largest totals; cls tells the users' chart from the domains'.
template <typename NameOf>
void TopBars(GenerateReport& report, const std::vector<TotalEntry>& totals, const char* cls, NameOf nameOf)
{
    if (totals.empty())
        return;
    double top = std::max<double>(1, static_cast<double>(totals.front().iBytes));
    std::string out = "<div class=\"bars " + std::string(cls) + "\">\n";
    char width[48];
    for (size_t i = 0; i < totals.size() && i < kTopBars; ++i) {
        double share = 100.0 * static_cast<double>(totals[i].iBytes) / top;
        snprintf(width, sizeof width, "%.2f", share);
        out += "<span>" + HtmlEscape(nameOf(totals[i])) + "</span><div class=\"bar\" style=\"width:" + width +
               "%\"></div><span class=\"n\">" + NumToCommaStr(totals[i].iBytes) + "</span>\n";
    }
    Put(report, out + "</div>\n");
}

void SummarySection(GenerateReport& report)
{
    Put(report, "<h2>Summary</h2>\n<table id=\"summary\">\n"
                "<tr><th>Scanned bytes</th><td class=\"n\">" + Num(report.iScannedBytes) + "</td></tr>\n"
                "<tr><th>Requests</th><td class=\"n\">" + Num(report.iRequests) + "</td></tr>\n"
                "<tr><th>Hits</th><td class=\"n\">" + Num(report.iHits) + "</td></tr>\n"
                "<tr><th>Hit bytes</th><td class=\"n\">" + Num(report.iHitBytes) + "</td></tr>\n"
                "<tr><th>Bytes attributed to &quot;-&quot; user</th><td class=\"n\">" + Num(report.iDashBytes) +
                "</td></tr>\n</table>\n");
    if (!bRepCacheReport)
        return;
    Put(report, "<h2>Cache hit statistics</h2>\n<table id=\"cache\">\n"
                "<tr><th></th><th class=\"n\">from the cache</th><th class=\"n\">out of</th><th class=\"n\">share</th></tr>\n"
                "<tr><th>Requests</th><td class=\"n\">" + Num(report.iCacheRequests) + "</td><td class=\"n\">" +
                Num(report.iRequests) + "</td><td class=\"n\">" + Percent(report.iCacheRequests, report.iRequests) +
                "</td></tr>\n<tr><th>Bytes</th><td class=\"n\">" + Num(report.iCacheBytes) + "</td><td class=\"n\">" +
                Num(report.iScannedBytes) + "</td><td class=\"n\">" +
                Percent(report.iCacheBytes, report.iScannedBytes) + "</td></tr>\n</table>\n");
}

void ChartsSection(GenerateReport& report)
{
    if (!thePage.vHours.empty()) {
        Put(report, "<h2>Requests and bytes per hour</h2>\n");
        HourChart(report, "requests", "requests", false);
        HourChart(report, "bytes", "bytes", true);
    }
    if (iRepBUT != 0 && !report.vUserTotals.empty()) {
        Put(report, "<h2>Top users by bytes</h2>\n");
        TopBars(report, report.vUserTotals, "usr", [&report](const TotalEntry& e) {
            return report.vUserNames[static_cast<size_t>(e.iNameIndex)].sName;
        });
    }
    if (iRepBDT != 0 && !report.vDomainTotals.empty()) {
        Put(report, "<h2>Top domains by bytes</h2>\n");
        TopBars(report, report.vDomainTotals, "dom", [&report](const TotalEntry& e) {
            return report.vDomainNames[static_cast<size_t>(e.iNameIndex)];
        });
    }
}

void TablesSection(GenerateReport& report)
{
    if (iRepBUT != 0) {
        Put(report, "<h2>Users</h2>\n" + HeadLines(UsersHeaderText(report.iUsersBytes)) +
                        "<table id=\"users\">\n<tr><th class=\"n\">Bytes</th><th>User</th><th>Full name</th></tr>\n");
        for (const TotalEntry& entry : report.vUserTotals) {
            const UserName& user = report.vUserNames[static_cast<size_t>(entry.iNameIndex)];
            Put(report, "<tr><td class=\"n\">" + NumToCommaStr(entry.iBytes) + "</td><td>" + HtmlEscape(user.sName) +
                            "</td><td>" + HtmlEscape(user.sFullName) + "</td></tr>\n");
        }
        Put(report, "</table>\n");
    }
    if (iRepBDT != 0) {
        std::string fullName = iRepBDT >= 2 ? FullNameOf(sRepBDTuser) : std::string();
        Put(report, "<h2>Domains</h2>\n" + HeadLines(DomainsHeaderText(report.iDomainsBytes, fullName)) +
                        "<table id=\"domains\">\n<tr><th class=\"n\">Bytes</th><th>Domain</th></tr>\n");
        for (const TotalEntry& entry : report.vDomainTotals)
            Put(report, "<tr><td class=\"n\">" + NumToCommaStr(entry.iBytes) + "</td><td>" +
                            HtmlEscape(report.vDomainNames[static_cast<size_t>(entry.iNameIndex)]) + "</td></tr>\n");
        Put(report, "</table>\n");
    }
}

void HitsSection(GenerateReport& report)
{
    if (thePage.iHitRows == 0 || thePage.pHits == nullptr)
        return;
    Put(report, "<h2>Hits</h2>\n<table id=\"hits\">\n<tr><th class=\"n\">Bytes</th><th>User</th>"
                "<th>Marks</th><th>URL</th></tr>\n");
    if (fflush(thePage.pHits) != 0 || fseek(thePage.pHits, 0, SEEK_SET) != 0)
        Fail(report);
    constexpr size_t kBlock = size_t{1} << 16;
    std::string block;
    for (;;) {
        block.resize(kBlock);
        size_t n = fread(&block[0], 1, kBlock, thePage.pHits);
        block.resize(n);
        if (n > 0)
            Put(report, block);
        if (n < kBlock)
            break;
    }
    if (ferror(thePage.pHits))
        Fail(report);
    Put(report, "</table>\n");
}

void CloseHits()
{
    if (thePage.pHits != nullptr)
        fclose(thePage.pHits);
    thePage.pHits = nullptr;
}

void Begin(GenerateReport& report, const std::string& startText, const std::string& endText)
{
    CloseHits();
    thePage = Page();
    thePage.sRange = RangeHeaderText(startText, endText);
    thePage.sRange.resize(thePage.sRange.size() - 2);  // its blank line
    // The hit rows go to an unnamed file that vanishes with the process.
    thePage.pHits = tmpfile();
    if (thePage.pHits == nullptr)
        Fail(report);
    setvbuf(thePage.pHits, nullptr, _IOFBF, size_t{1} << 18);
    std::string title = sRepTitle.empty() ? std::string("Proxy usage report") : sRepTitle;
    Put(report, "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                    HtmlEscape(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
                    HtmlEscape(title) + "</h1>\n<p class=\"range\">" + HtmlEscape(thePage.sRange) + "</p>\n");
}

void Count(GenerateReport& report, const LineFields& fields)
{
    // Lines of one second follow each other: their stamps' whole seconds
    // are the same text, and the time need not be read again.
    std::string_view stamp = FieldOf(fields, iTimeField);
    std::string_view second = stamp.substr(0, stamp.find('.'));
    int64_t t = thePage.iLineTime;
    if (second != thePage.sLastSecond || thePage.sLastSecond.empty()) {
        t = TimeOfField(stamp);
        thePage.sLastSecond.assign(second);
    }
    // A hit is counted first: its row takes the time from here.
    thePage.iLineTime = t;
    if (t <= 0)
        return;
    int64_t hour = t / kHour;
    if (!thePage.bHaveLastHour || thePage.pLastHour->first != hour) {
        thePage.pLastHour = thePage.vHours.emplace(hour, HourCount()).first;
        thePage.bHaveLastHour = true;
    }
    HourCount& count = thePage.pLastHour->second;
    ++count.iRequests;
    AddBytes(count.iBytes, report.iLineBytes);
}

void Hit(GenerateReport& report, const LineFields& fields)
{
    std::string& row = thePage.sRow;
    row.clear();
    // Hits under a row of their minute, as the text report groups them.
    int64_t minute = thePage.iLineTime / 60 * 60;
    if (minute != thePage.iLastMinute) {
        thePage.iLastMinute = minute;
        row += "<tr><th colspan=\"4\">";
        row += TimeText(minute);
        row += "</th></tr>\n";
    }
    GetUser(fields, false, thePage.sUser);
    row += "<tr><td>"sv;
    row += Num(report.iLineBytes);
    row += "</td><td>"sv;
    AppendEscaped(row, thePage.sUser);
    row += "</td><td>"sv;
    AppendEscaped(row, report.sMarks);
    row += "</td><td>"sv;
    AppendEscaped(row, FieldOf(fields, iUrlField));
    row += "</td></tr>\n"sv;
    if (fwrite(row.data(), 1, row.size(), thePage.pHits) != row.size())
        Fail(report);
    ++thePage.iHitRows;
}

void End(GenerateReport& report)
{
    try {
        SummarySection(report);
        ChartsSection(report);
        TablesSection(report);
        HitsSection(report);
        Put(report, "<footer>" + HtmlEscape(VersionText()) + "</footer>\n</body>\n</html>\n");
    } catch (...) {
        CloseHits();
        throw;
    }
    CloseHits();
}

const PageOutput kHtml = {Begin, Count, Hit, End};

// Bytes that are not written as they are, or that start a sequence to check.
struct SpecialBytes {
    bool is[256] = {};
    SpecialBytes()
    {
        for (int c = 0; c < 256; ++c)
            is[c] = c < 0x20 || c >= 0x7F || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'';
        is[static_cast<int>('\t')] = false;
    }
    bool operator[](unsigned char c) const { return is[c]; }
};
const SpecialBytes kSpecial;

// Length of the UTF-8 sequence at s[i], or 0 when it is not one.
size_t Utf8Length(std::string_view s, size_t i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0xC2 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    unsigned char c1 = static_cast<unsigned char>(s[i + 1]);
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 > 0x8F))
        return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 0;
    return n;
}

} // namespace

const PageOutput& HtmlPageOutput() { return kHtml; }

void AppendEscaped(std::string& out, std::string_view text)
{
    size_t plain = 0;
    size_t i = 0;
    while (i < text.size()) {
        // Most bytes of a log are plain ASCII: pass over them at once.
        while (i < text.size() && !kSpecial[static_cast<unsigned char>(text[i])])
            ++i;
        if (i == text.size())
            break;
        unsigned char c = static_cast<unsigned char>(text[i]);
        const char* reference = "&#xFFFD;";
        if (c == '&')
            reference = "&amp;";
        else if (c == '<')
            reference = "&lt;";
        else if (c == '>')
            reference = "&gt;";
        else if (c == '"')
            reference = "&quot;";
        else if (c == '\'')
            reference = "&#39;";
        else if (c >= 0x80) {
            size_t n = Utf8Length(text, i);
            if (n > 0) {
                i += n;
                continue;
            }
        }
        out.append(text.data() + plain, i - plain);
        out += reference;
        plain = ++i;
    }
    out.append(text.data() + plain, text.size() - plain);
}

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 16);
    AppendEscaped(out, text);
    return out;
}
