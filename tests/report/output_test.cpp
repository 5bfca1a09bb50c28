#include "report/output.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "entries/fields.h"
#include "reportfixture.h"

namespace {

class ReportOutputTest : public ReportTest {
protected:
    // Writes hits through a memory stream and returns what was written.
    template <typename Write>
    std::string Capture(Write write)
    {
        char* buffer = nullptr;
        size_t length = 0;
        report.pReportFile = open_memstream(&buffer, &length);
        report.bToFile = true;
        write();
        fclose(report.pReportFile);
        report.pReportFile = nullptr;
        std::string text(buffer, length);
        free(buffer);
        return text;
    }
    // One hit: its marks and bytes as the run would set them.
    void Hit(const std::string& line, const std::string& marks, bool csv = false)
    {
        DetectLayout(line.c_str());
        report.sMarks = marks;
        report.iLineBytes = GetBytes(line.c_str());
        if (csv)
            report.WriteCsvHit(line.c_str());
        else
            report.WriteTextHit(line.c_str());
    }
};

const std::string kUrl50 = "http://host7.example.com/aaaaaaaaaabbbbbbbbbbcccccccc.gif";  // 50 without scheme

// The end-to-end report files show the usual section texts; these are the
// values they do not reach.
TEST_F(ReportOutputTest, SectionTextsAtTheirEdges)
{
    iRepBUT = 2;
    iRepWordHits = 2;
    sRepSeperator = "::";
    EXPECT_EQ(SummaryText(0, 0, 0), "\n          0 scanned bytes, 0 hits total 0 bytes\n");
    EXPECT_EQ(UsersHeaderText(990000), "\n    990,000 bytes all domains\n");
    EXPECT_EQ(TotalLineText(UINT64_MAX, "bob", ""), "18,446,744,073,709,551,615::bob\n");
    iRepBUT = 7;
    EXPECT_EQ(UsersHeaderText(5), "\n          5\n");
    EXPECT_EQ(DomainsHeaderText(9, "ignored below 2"), "\n          9 bytes all users bandwidth: domains not skipped\n");
    iRepBDT = 2;
    iRepBDI = 3;
    sRepBDTuser = "ann";
    EXPECT_EQ(DomainsHeaderText(0, ""), "\n          0 bytes user ann bandwidth: \n");
}

TEST_F(ReportOutputTest, TextHitLines)
{
    struct Case {
        const char* name;
        bool showSize;
        bool split;
        int columns;
        std::vector<std::string> lines;
        std::string expected;
    } cases[] = {
        {"time line per minute, size column", true, false, 80,
         {LogLine(1286536308, "10.0.0.1", "TCP_HIT/200", "1234", "http://host7/index.html", "ann"),
          LogLine(1286536319, "192.168.10.200", "TCP_MISS/200", "56789", "host9:443", "-"),
          LogLine(1286536320, "10.0.0.1", "TCP_MISS/200", "3000000000", "https://host8/x", "Ann%20")},
         "                          Fri Oct  8 11:11 2010\n"
         "      1,234 ann      w H  host7/index.html\n"
         "     56,789 10.200   w H  host9:443\n"
         "                          Fri Oct  8 11:12 2010\n"
         "3,000,000,000 ann      w H  https://host8/x\n"},
        {"no size column: indent of 14", false, false, 45,
         {LogLine(1286536308, "10.0.0.1", "TCP_HIT/200", "1", kUrl50, "ann")},
         "              Fri Oct  8 11:11 2010\n"
         "ann      w H  host7.example.com/bcccccccc.gif\n"},
        {"split at 45 beside an indent of 26", true, false, 45, {}, ""},
        {"columns not above the indent: written whole", true, true, 26,
         {LogLine(1286536308, "10.0.0.1", "TCP_HIT/200", "1", kUrl50, "ann")},
         "                          Fri Oct  8 11:11 2010\n"
         "          1 ann      w H  host7.example.com/aaaaaaaaaabbbbbbbbbbcccccccc.gif\n"},
        {"unshowable time: no time line", false, true, 80,
         {LogLine(99999999999999999LL, "10.0.0.1", "TCP_HIT/200", "1", "ftp://f/", "ann")},
         "ann      w H  f/\n"},
    };
    cases[2].split = true;
    cases[2].lines = {LogLine(1286536308, "10.0.0.1", "TCP_HIT/200", "1", kUrl50, "ann"),
                      LogLine(1286536309, "10.0.0.1", "TCP_HIT/200", "1", "http://", "ann")};
    cases[2].expected =
        "                          Fri Oct  8 11:11 2010\n"
        "          1 ann      w H  host7.example.com/a\n"
        "                          aaaaaaaaabbbbbbbbbb\n"
        "                          cccccccc.gif\n"
        "          1 ann      w H  \n";
    for (const Case& c : cases) {
        bRepShowSize = c.showSize;
        bRepSplit = c.split;
        iRepColumns = c.columns;
        report.sIndent.clear();
        report.iLastMinute = -1;
        std::string text = Capture([&] {
            for (const std::string& line : c.lines)
                Hit(line, "w H ");
        });
        EXPECT_EQ(text, c.expected) << c.name;
    }
    // A user column from a garbled configuration file stays bounded.
    iUserNameLen = INT_MAX;
    report.sIndent.clear();
    std::string text = Capture([&] { Hit(cases[1].lines[0], "w H "); });
    EXPECT_LT(text.size(), 3000u);
}

TEST_F(ReportOutputTest, CsvHitLines)
{
    iRepCSVcols = 20;
    std::string line = LogLine(1286536308, "10.0.0.1", "TCP_HIT/200", "1234", "http://host7/images/banner.gif", "Ann");
    sRepSeperator = "::";
    EXPECT_EQ(Capture([&] { Hit(line, "w H ", true); }),
              "1234::ann::w H ::1286536308.123::Fri Oct  8 11:11 2010::http:/ges/banner.gif\n");
    sRepSeperator = "";
    bRepKeepExt = false;
    iRepCSVcols = 100;
    // A separator inside a field stays as it is; a missing size stays empty.
    std::string odd = "1286536308.5 1 10.0.0.1 TCP_MISS/200";
    EXPECT_EQ(Capture([&] { Hit(odd + " 5|5 GET http://a|b/ u|v\n", "    ", true); }),
              "5|5u|v    1286536308.5Fri Oct  8 11:11 2010http://a|b/\n");
    EXPECT_EQ(Capture([&] { Hit(odd + "\n", "    ", true); }), "    1286536308.5Fri Oct  8 11:11 2010\n");
}

// The view question fits the row: the summary gives way a word at a time,
// then the file name from its start; "View (y/n)? " always ends it.
TEST(ViewQuestionTest, TheQuestionIsNeverCutOff)
{
    const std::string summary = "3,000,068,044 scanned bytes, 4 hits - 12 seconds";
    const struct {
        std::string name;
        int width;
        std::string question;
    } cases[] = {
        {"temp.txt", 0, "temp.txt made: " + summary + "; View (y/n)? "},
        {"temp.txt", 79, "temp.txt made: " + summary + "; View (y/n)? "},
        {"temp.txt", 77, "temp.txt made: " + summary + "; View (y/n)? "},
        {"temp.txt", 76, "temp.txt made: 3,000,068,044 scanned bytes, 4 hits - 12; View (y/n)? "},
        {"a_rather_long_name_for_the_weekly_report.txt", 79,
         "a_rather_long_name_for_the_weekly_report.txt made: 3,000,068,044; View (y/n)? "},
        {"a_rather_long_name_for_the_weekly_report.txt", 60,
         "her_long_name_for_the_weekly_report.txt made: ; View (y/n)? "},
        {"temp.txt", 30, "temp.txt made: ; View (y/n)? "},
        {"temp.txt", 20, "made: ; View (y/n)? "},
        {"temp.txt", 14, "; View (y/n)? "},
        {"temp.txt", 8, "; View ("},
    };
    for (const auto& c : cases) {
        std::string text = ViewQuestionText(c.name, summary, c.width);
        EXPECT_EQ(text, c.question) << c.width;
        if (c.width > 0) {
            EXPECT_LE(text.size(), static_cast<size_t>(c.width)) << c.width;
        }
    }
}

} // namespace
