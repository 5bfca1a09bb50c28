// The report without a terminal, below its command line: the range found
// by bisection for times, the progress line, and the HTML page, whose
// figures must be the text report's and whose log texts stay text.
#include "report/batch.h"

#include <cstdio>
#include <regex>
#include <vector>

#include "report/html.h"
#include "reportfixture.h"
#include "support/tempdir.h"

namespace {

constexpr long long kT0 = 1796083200;  // 2026-12-01 00:00 UTC
constexpr int kLines = 3000;           // about 300 KB: past the linear scan's reach

class BatchRangeTest : public ReportTest {
protected:
    // Line k at kT0 + 600 k; lines 1500 to 1502 garbage, line 2000 empty.
    void SetUp() override
    {
        ReportTest::SetUp();
        std::string log;
        for (int k = 0; k < kLines; ++k) {
            offsets.push_back(static_cast<int64_t>(log.size()));
            if (k >= 1500 && k <= 1502)
                log += "garbage without a time\n";
            else if (k == 2000)
                log += "\n";
            else
                log += LogLine(kT0 + 600LL * k, "10.0.0.1", "TCP_MISS/200", "1000",
                               "http://host.example.com/" + std::to_string(k), "ann");
        }
        UseLog(log);
    }
    std::vector<int64_t> offsets;
};

TEST_F(BatchRangeTest, FirstLineAtOrAfterEachBound)
{
    struct Case {
        const char* name;
        bool haveFrom;
        long long from;
        bool haveTo;
        long long to;
        bool found;
        int start;   // line number, or -1 for offset 0 (the beginning)
        int finish;  // line number, or -1 for 0 (the end of the log)
    } cases[] = {
        {"whole log", false, 0, false, 0, true, -1, -1},
        {"from before the first line", true, kT0 - 5000, false, 0, true, -1, -1},
        {"from a line's own second", true, kT0 + 600 * 700, false, 0, true, 700, -1},
        {"from between two lines", true, kT0 + 600 * 700 + 1, false, 0, true, 701, -1},
        {"from the last line", true, kT0 + 600LL * (kLines - 1), false, 0, true, kLines - 1, -1},
        {"from after the last line", true, kT0 + 600LL * kLines, false, 0, false, 0, 0},
        {"to a line's own second leaves it out", false, 0, true, kT0 + 600 * 10, true, -1, 10},
        {"to after the last line", false, 0, true, kT0 + 600LL * kLines, true, -1, -1},
        {"to the first line", false, 0, true, kT0, false, 0, 0},
        {"to before the first line", false, 0, true, kT0 - 1, false, 0, 0},
        {"one hour", true, kT0 + 600 * 60, true, kT0 + 600 * 66, true, 60, 66},
        {"a range between two lines", true, kT0 + 600 * 60 + 1, true, kT0 + 600 * 60 + 2, false, 0, 0},
        // The garbage lines have no time: a bound behind them lands on the
        // next timed line.
        {"from just after the garbage", true, kT0 + 600 * 1500, false, 0, true, 1503, -1},
        {"to the garbage", true, kT0 + 600 * 1499, true, kT0 + 600 * 1501, true, 1499, 1503},
        {"from the empty line", true, kT0 + 600 * 2000, true, kT0 + 600 * 2002, true, 2001, 2002},
    };
    for (const Case& c : cases) {
        iRepStart = iRepFinish = 12345;
        bool found = FindTimeRange(c.haveFrom, c.from, c.haveTo, c.to);
        EXPECT_EQ(found, c.found) << c.name;
        if (!c.found)
            continue;
        EXPECT_EQ(iRepStart, c.start < 0 ? 0 : offsets[static_cast<size_t>(c.start)]) << c.name;
        EXPECT_EQ(iRepFinish, c.finish < 0 ? 0 : offsets[static_cast<size_t>(c.finish)]) << c.name;
    }
}

TEST_F(BatchRangeTest, AnEmptyLogHoldsNoRange)
{
    UseLog("");
    EXPECT_FALSE(FindTimeRange(false, 0, false, 0));
}

TEST(BatchProgress, BarPercentRateAndTimeLeft)
{
    struct Case {
        int64_t part, whole, lines;
        double seconds;
        int width;
        const char* text;
    } cases[] = {
        {50, 100, 1000, 2.0, 80,
         "[####################....................]  50% 500 lines/s 0:02 left"},
        {0, 100, 0, 0.0, 80, "[........................................]   0% 0 lines/s --:-- left"},
        {100, 100, 2500000, 1.0, 60, "[########################] 100% 2,500,000 lines/s 0:00 left"},
        {1, 100, 10, 36.0, 50, "[.....................]   1% 0 lines/s 59:24 left"},
        {1, 1000, 10, 10.0, 50, "[...................]   0% 1 lines/s 2:46:30 left"},
        // A whole of 0 (an empty range) is done at once.
        {0, 0, 5, 1.0, 50, "[######################] 100% 5 lines/s 0:00 left"},
        // No room for a bar: the figures alone, cut to the width.
        {50, 100, 1000, 2.0, 20, "50% 500 lines/s 0:0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressText(c.part, c.whole, c.lines, c.seconds, c.width), c.text) << c.text;
}

TEST(HtmlEscape, LogTextsStayText)
{
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"plain/path?a=1", "plain/path?a=1"},
        {"<script>alert(\"x\")</script>", "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"},
        {"a&b 'c'", "a&amp;b &#39;c&#39;"},
        {"J\xc3\xbcrgen", "J\xc3\xbcrgen"},
        {"bad \xff byte", "bad &#xFFFD; byte"},
        {"cut \xc3", "cut &#xFFFD;"},
        {"overlong \xc0\xaf", "overlong &#xFFFD;&#xFFFD;"},
        {"surrogate \xed\xa0\x80", "surrogate &#xFFFD;&#xFFFD;&#xFFFD;"},
        {std::string("nul\0bell\a", 9), "nul&#xFFFD;bell&#xFFFD;"},
        {"tab\tkept", "tab\tkept"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlEscape(c.in), c.out) << c.in;
}

// The text report's and the page's figures side by side.
class HtmlPageTest : public ReportTest {
protected:
    std::string RunPage()
    {
        FILE* page = tmpfile();
        report.pGivenFile = page;
        report.pPage = &HtmlPageOutput();
        EXPECT_EQ(report.Run(), GenerateReport::eRunDone);
        report.pGivenFile = nullptr;
        report.pPage = nullptr;
        std::string html;
        rewind(page);
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, page)) > 0;)
            html.append(buf, n);
        fclose(page);
        return html;
    }
};

std::string Unescape(std::string s)
{
    for (auto [from, to] : {std::pair<const char*, const char*>{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""},
                            {"&#39;", "'"}, {"&amp;", "&"}}) {
        for (size_t at; (at = s.find(from)) != std::string::npos;)
            s.replace(at, strlen(from), to);
    }
    return s;
}

// Rows of one table of the page, each as its cells joined by '|'.
std::vector<std::string> TableRows(const std::string& html, const std::string& id)
{
    std::vector<std::string> rows;
    size_t start = html.find("<table id=\"" + id + "\">");
    size_t end = html.find("</table>", start);
    if (start == std::string::npos || end == std::string::npos)
        return rows;
    std::string table = html.substr(start, end - start);
    std::regex row("<tr>.*?</tr>");
    std::regex cell("<td[^>]*>(.*?)</td>");
    for (std::sregex_iterator r(table.begin(), table.end(), row), done; r != done; ++r) {
        std::string text = r->str(), joined;
        bool cells = false;
        for (std::sregex_iterator c(text.begin(), text.end(), cell); c != done; ++c, cells = true)
            joined += (cells ? "|" : "") + Unescape((*c)[1].str());
        if (cells)
            rows.push_back(joined);
    }
    return rows;
}

// The totals lines under a heading of the text report, as "bytes|name[|full name]".
std::vector<std::string> TextTotals(const std::string& text, const std::string& heading, bool fullNames)
{
    std::vector<std::string> rows;
    size_t at = text.find(heading);
    if (at == std::string::npos)
        return rows;
    at = text.find('\n', at) + 1;
    while (at < text.size() && text[at] != '\n') {
        size_t lf = text.find('\n', at);
        std::string line = text.substr(at, lf - at);
        size_t first = line.find_first_not_of(' ');
        size_t blank = line.find(' ', first);
        std::string name = line.substr(blank + 1), full;
        size_t colon = name.find(" : ");
        if (colon != std::string::npos) {
            full = name.substr(colon + 3);
            name.resize(colon);
        }
        rows.push_back(line.substr(first, blank - first) + "|" + name + (fullNames ? "|" + full : ""));
        at = lf + 1;
    }
    return rows;
}

TEST_F(HtmlPageTest, SameFiguresAsTheTextReportAndNoMarkupFromTheLog)
{
    sWords = "index\n!skip\n";
    ASSERT_TRUE(TempHome::Write(sUsersPath, "ann Ann & <Co>\n"));
    std::string log;
    const char* users[] = {"ann", "b<o>b", "o'neil", "-"};
    for (int k = 0; k < 400; ++k)
        log += LogLine(kT0 + 37LL * k, "10.0.0." + std::to_string(k % 9 + 1), k % 5 == 0 ? "TCP_HIT/200" : "TCP_MISS/200",
                       std::to_string(100 + 13 * k),
                       k % 7 == 0 ? "http://h" + std::to_string(k % 4) + ".example.com/skip/" + std::to_string(k)
                                  : "http://h" + std::to_string(k % 6) + ".example.com/index" + std::to_string(k),
                       users[k % 4]);
    log += LogLine(kT0 + 20000, "10.0.0.1", "TCP_MISS/200", "777",
                   "http://x.example.com/index<script>document.title=\"owned\"</script>", "ann");
    UseLog(log);
    std::string text = RunReport();
    std::string html = RunPage();

    EXPECT_EQ(TableRows(html, "users"), TextTotals(text, "bytes not skipped domains", true));
    EXPECT_EQ(TableRows(html, "domains"), TextTotals(text, "bytes all users bandwidth", false));
    EXPECT_EQ(TableRows(html, "users").size(), 12u);  // three users, nine addresses

    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, std::regex(" *([0-9,]+) scanned bytes, ([0-9,]+) hits total ([0-9,]+) bytes")));
    std::vector<std::string> summary = TableRows(html, "summary");
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_EQ(summary[0], m[1].str());
    EXPECT_EQ(summary[2], m[2].str());
    EXPECT_EQ(summary[3], m[3].str());
    ASSERT_TRUE(std::regex_search(text, m, std::regex("\n([0-9,]+) requests out of ([0-9,]+): +([0-9.]+%)")));
    EXPECT_EQ(TableRows(html, "cache")[0], m[1].str() + "|" + m[2].str() + "|" + m[3].str());
    EXPECT_EQ(summary[1], m[2].str());

    // One bar per hour, together every request.
    std::regex bar(": ([0-9,]+) requests</title></rect>");
    long long requests = 0;
    for (std::sregex_iterator r(html.begin(), html.end(), bar), done; r != done; ++r) {
        std::string n = (*r)[1].str();
        n.erase(std::remove(n.begin(), n.end(), ','), n.end());
        requests += std::stoll(n);
    }
    EXPECT_EQ(requests, report.iRequests);

    EXPECT_EQ(TableRows(html, "hits").size(), static_cast<size_t>(report.iHits));
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_NE(html.find("index&lt;script&gt;document.title=&quot;owned&quot;&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(html.find("Ann &amp; &lt;Co&gt;"), std::string::npos);
}

TEST_F(HtmlPageTest, AFailedWriteIsAFailedRun)
{
    UseLog(LogLine(kT0, "10.0.0.1", "TCP_MISS/200", "100", "http://h/index", "ann"));
    const std::string dir = MakeScratchDir("ferntrack-full");
    const std::string device = MakeFullDevice(dir);
    if (device.empty()) {
        RemoveScratchDir(dir);
        GTEST_SKIP() << "cannot make a full device node in the test's folder (needs root)";
    }
    FILE* full = fopen(device.c_str(), "w");
    ASSERT_NE(full, nullptr);
    report.pGivenFile = full;
    report.pPage = &HtmlPageOutput();
    EXPECT_EQ(report.Run(), GenerateReport::eRunWriteFailed);
    EXPECT_EQ(report.iWriteError, ENOSPC);
    report.pGivenFile = nullptr;
    report.pPage = nullptr;
    fclose(full);
    RemoveScratchDir(dir);
}

}  // namespace
