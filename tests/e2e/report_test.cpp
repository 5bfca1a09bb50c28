// Reports as the user makes them: options chosen on the 'l' screen, the
// run, the view offer, and the report file compared byte for byte with the
// file it must be.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "session.h"

namespace e2e {
namespace {

constexpr int kRows = 24;
constexpr int kStatusRow = kRows - 1;
const std::string kReport = ".ferntrack/temp.txt";

// Word hits, a skip, a tunnel of a request without user, a denied request,
// a download of more than 2 GiB, a long URL, a line of garbage, an empty
// line, and a hit in the next minute.
const std::string kLog = LogLine(0, "ann", "http://host7/index.html", "TCP_HIT/200", 1234) +
                         LogLine(1, "-", "host9:443", "TCP_MISS/200", 56789, "192.168.10.200") +
                         LogLine(2, "bob", "http://news.example.com/skip/a.gif", "TCP_MISS/200", 5000) +
                         LogLine(3, "Ann", "http://host7/big.iso", "TCP_MEM_HIT/200", 3000000000LL) +
                         LogLine(4, "carl", "http://host8.example.com/aaaaaaaaaabbbbbbbbbbcccccccc.gif",
                                 "TCP_MISS/200", 700) +
                         LogLine(5, "bob", "http://deny.example.com/index.html", "TCP_DENIED/403", 999) +
                         "garbage line\n\n" +
                         LogLine(13, "ann", "ftp://files.example.com/pub/index.txt", "TCP_REFRESH_HIT/200", 4321);
const char* const kWords = "index\nhost9\nhost8\n!skip\n";
const char* const kUsers = "ann Sales desk\nbob\n";

const std::string kHeader = "For Fri Oct  8 11:11 2010\n\n";
// The first hits with the size column, short enough never to be split.
const std::string kFirstHits =
    "                          Fri Oct  8 11:11 2010\n"
    "      1,234 ann      w H  host7/index.html\n"
    "     56,789 10.200   w1   host9:443\n";
const std::string kSummary =
    "\n3,000,068,044 scanned bytes, 4 hits total 63,044 bytes\n"
    "\nBytes attributed to \"-\" user: 56,789\n";
const std::string kCache =
    "\nCache hit statistics:\n"
    "3 requests out of 7:  42.85%\n"
    "3,000,005,555 bytes out of 3,000,068,044:  99.99%\n";

std::string Totals(const std::string& sep)
{
    return "\n3,000,063,044 bytes not skipped domains\n"
           "3,000,005,555" + sep + "ann : Sales desk\n"
           "     56,789" + sep + "192.168.10.200\n"
           "        700" + sep + "carl\n"
           "\n3,000,063,044 bytes all users bandwidth: domains not skipped\n"
           "3,000,001,234" + sep + "host7\n"
           "     56,789" + sep + "host9:443\n"
           "      4,321" + sep + "files.example.com\n"
           "        700" + sep + "host8.example.com\n";
}

struct Case {
    const char* name;     // of the test
    std::string conf;     // added to the configuration file
    std::string before;   // keys in the browse window before 'l'
    std::string options;  // keys on the options screen before Enter
    std::string expected; // the report file
    char view;            // answer to the view offer
};

const Case kCases[] = {
    {"TextWithSizesAndATitle", "", "", "ld" "Weekly\r",
     "Weekly\n\n" + kHeader + kFirstHits +
         "        700 carl     w    host8.example.com/aaaaaaaaaabbbbbbbbbbcccccccc.gif\n"
         "                          Fri Oct  8 11:12 2010\n"
         "      4,321 ann      w R  files.example.com/pub/index.txt\n" +
         kSummary + kCache + Totals(" "),
     'n'},
    {"CsvWithAThreeCharacterSeparator", "", "", "im:-:\rn30\r",
     kHeader +
         "1234:-:ann:-:w H :-:1286536308.123:-:Fri Oct  8 11:11 2010:-:http://host7/index.html\n"
         "56789:-:10.200:-:w1  :-:1286536309.123:-:Fri Oct  8 11:11 2010:-:host9:443\n"
         "700:-:carl:-:w   :-:1286536312.123:-:Fri Oct  8 11:11 2010:-:http:/aabbbbbbbbbbcccccccc.gif\n"
         "4321:-:ann:-:w R :-:1286536321.123:-:Fri Oct  8 11:12 2010:-:ftp:/example.com/pub/index.txt\n" +
         kSummary + kCache + Totals(":-:"),
     'n'},
    {"LongUrlsSplitAt45Columns", "", "", "lkj45\r",
     kHeader + kFirstHits +
         "        700 carl     w    host8.example.com/a\n"
         "                          aaaaaaaaabbbbbbbbbb\n"
         "                          cccccccc.gif\n"
         "                          Fri Oct  8 11:12 2010\n"
         "      4,321 ann      w R  files.example.com/p\n"
         "                          ub/index.txt\n" +
         kSummary + kCache + Totals(" "),
     'n'},
    {"DomainTotalsOfOneUserWithAFullName", "", "", "iiffeg5Ann\rh",
     kHeader + kSummary +
         "\nann is Sales desk\n"
         "3,000,005,555 bytes user ann bandwidth: all domains\n"
         "3,000,001,234 host7\n"
         "      4,321 files.example.com\n",
     'n'},
    {"AnEmptyRange", "", key::Down, "ab",
     kHeader +
         "\n          0 scanned bytes, 0 hits total 0 bytes\n"
         "\nBytes attributed to \"-\" user: 0\n"
         "\nCache hit statistics:\n"
         "0 requests out of 0:   0.00%\n"
         "0 bytes out of 0:   0.00%\n"
         "\n          0 bytes not skipped domains\n"
         "\n          0 bytes all users bandwidth: domains not skipped\n",
     'n'},
    {"ANameWithABlankAndAQuoteViewedThroughTheShell",
     "sRepFileName=it's mine.txt\nsViewer=sh -c 'cp \"$0\" \"$HOME/viewed\"'\n", "", "iiffg1",
     kHeader + kSummary + kCache, 'y'},
};

class Report : public Session {
protected:
    // The program on kLog, or on the log at logPath when one is given, with
    // the words and users files and the settings.
    void Open(const std::string& conf, const std::string& logPath = "", const std::string& words = kWords)
    {
        home_.MakePrivateDir(kLog);
        if (!logPath.empty())
            home_.Link("log1", logPath);
        home_.WriteFile(kWordsFile, words);
        home_.WriteFile(kUsersFile, kUsers);
        home_.WriteFile(kConfFile, "iMonitorMode=0\n" + conf);
        Launch(kRows, 80);
    }
    // Opens the options screen and types the keys on it.
    void Options(const std::string& keys)
    {
        term_->Send("l");
        ASSERT_TRUE(term_->WaitFor("Press <enter> to go or q to quit:")) << term_->Screen();
        term_->Send(keys);
    }
};

// Names the case in the test's output instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class ReportFile : public Report, public ::testing::WithParamInterface<Case> {};

TEST_P(ReportFile, IsWrittenByteForByte)
{
    const Case& c = GetParam();
    std::string name = c.conf.empty() ? "temp.txt" : "it's mine.txt";
    Open(c.conf);
    term_->Send(c.before);
    Options(c.options);
    term_->Send("\r");
    ASSERT_TRUE(term_->WaitFor("; View (y/n)?", 20)) << term_->Screen();
    EXPECT_EQ(StatusRow().rfind(name + " made: ", 0), 0u) << StatusRow();
    term_->Send(std::string(1, c.view));
    ASSERT_TRUE(term_->WaitForRow(kStatusRow, "Press 'n' for misc. operations you can do on " + name))
        << term_->Screen();
    ExitCleanly();
    EXPECT_EQ(home_.ReadFile(".ferntrack/" + name), c.expected);
    if (c.view == 'y') {
        EXPECT_EQ(home_.ReadFile("viewed"), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST_F(Report, OptionsScreenShowsAndKeepsEveryChange)
{
    Open("");
    term_->Send(key::Down);
    // 'j' and 'n' outside their ranges, 'g' '3' without a focus and a file
    // name with a dot change nothing.
    Options("aj300\rn11\rg3");
    ASSERT_TRUE(term_->WaitFor("No user there. Press any key. ")) << term_->Screen();
    term_->Send("xg5Alice\rffim ; \rca.b\r");
    ASSERT_TRUE(term_->WaitFor("Problem: Illegal character: '.'. Press any key.")) << term_->Screen();
    term_->Send("x");
    const std::vector<std::string> expected = {
        "Log A Report Options",
        "",
        "a. start from Fri Oct  8 11:11 2010",
        "b. finish at end of log",
        "c. report file name: temp.txt",
        "d. title of report: ",
        "e. cache hit report: yes",
        "f. user bandwidth totals: none",
        "g. domain bandwidth totals: only user alice",
        "h. domain bandwidth includes: domains not skipped",
        "i. word hit action: CSV",
        "j. normal text: total columns 80",
        "k. normal text: split long lines: no",
        "l. normal text: show request size: no",
        "m. CSV: field seperator: \" ; \"",
        "n. CSV: target columns 11",
        "",
        "Press <enter> to go or q to quit:",
    };
    auto shown = [&] {
        for (size_t row = 0; row < expected.size(); ++row)
            if (term_->Row(static_cast<int>(row)) != Fit(expected[row], 80))
                return false;
        return true;
    };
    EXPECT_TRUE(term_->WaitUntil(shown)) << term_->Screen();
    term_->Send("q");
    ASSERT_TRUE(term_->WaitForRow(kStatusRow, " | h = help")) << term_->Screen();
    ExitCleanly();
    std::string conf = home_.ReadFile(kConfFile);
    for (const char* kept : {"iRepBDT=2\n", "sRepBDTuser=alice\n", "iRepBUT=0\n", "iRepWordHits=2\n",
                             "sRepSeperator= ; \n", "iRepCSVcols=11\n", "iRepColumns=80\n"})
        EXPECT_NE(conf.find(kept), std::string::npos) << kept << " in\n" << conf;
}

TEST_F(Report, WithoutAFileNameOnlyTheSummaryIsShown)
{
    Open("");
    Options("c\r\r");
    ASSERT_TRUE(term_->WaitForRow(kStatusRow, "Summary: 3,000,068,044 scanned bytes, 4 hits - ")) << term_->Screen();
    EXPECT_NE(StatusRow().find(" seconds."), std::string::npos) << StatusRow();
    ExitCleanly();
    EXPECT_FALSE(home_.Exists(kReport));
    EXPECT_NE(home_.ReadFile(kConfFile).find("sRepFileName=\n"), std::string::npos);
}

// Keys typed while the report ran are not answers to the question asked
// after it: a 'y' hammered during the run must not open the pager.
TEST_F(Report, KeysTypedDuringTheRunDoNotAnswerTheViewQuestion)
{
    Open("sViewer=sh -c 'cp \"$0\" \"$HOME/viewed\"'\n");
    Options("\ryyyy");
    ASSERT_TRUE(term_->WaitFor("; View (y/n)?", 20)) << term_->Screen();
    term_->Pump(0.5);  // time for a queued 'y' to be taken, were it kept
    EXPECT_NE(StatusRow().find("; View (y/n)?"), std::string::npos) << term_->Screen();
    term_->Send("n");
    ASSERT_TRUE(term_->WaitForRow(kStatusRow, "Press 'n' for misc. operations")) << term_->Screen();
    ExitCleanly();
    EXPECT_FALSE(home_.Exists("viewed"));
}

TEST_F(Report, SCancelsARunAndKeepsWhatWasWritten)
{
    // No word occurs in the log and every line is tested against all of
    // them, so the run takes seconds: long enough for 's' to arrive.
    std::string log = KeptSampleLog(250000);
    ASSERT_FALSE(log.empty()) << "cannot write the log in " << FERNTRACK_BUILD_DIR;
    std::string words = UnmatchedWords(5000);
    Open("", log, words);
    Options("\r");
    ASSERT_TRUE(term_->WaitForRow(kStatusRow, " hits | <s> to stop", 30)) << term_->Screen();
    EXPECT_NE(StatusRow().find("% complete: "), std::string::npos) << StatusRow();
    term_->Send("s");
    ASSERT_TRUE(term_->WaitForRow(kStatusRow, "Report canceled.", 30)) << term_->Screen();
    ExitCleanly();
    EXPECT_EQ(home_.ReadFile(kReport), "For Fri Oct  8 11:11 2010 to Mon Oct 11 08:38 2010\n\n");
}

// A question longer than the row keeps its end in view: the summary gives
// way. A resize answers nothing: the question is asked again on the new
// bottom row, at the new width.
TEST_F(Report, TheViewQuestionFitsTheRowAndOutlivesAResize)
{
    const std::string name = "a_rather_long_name_for_the_weekly_report.txt";
    Open("sRepFileName=" + name + "\nsViewer=sh -c 'cp \"$0\" \"$HOME/viewed\"'\n");
    Options("\r");
    ASSERT_TRUE(term_->WaitFor("View (y/n)?", 20)) << term_->Screen();
    EXPECT_EQ(StatusRow(), Fit(name + " made: 3,000,068,044; View (y/n)? ", 80));
    term_->Resize(30, 100);
    ASSERT_TRUE(term_->WaitForRow(29, name + " made: 3,000,068,044 scanned bytes, 4; View (y/n)? "))
        << term_->Screen();
    EXPECT_FALSE(home_.Exists("viewed"));
    term_->Send("y");
    ASSERT_TRUE(term_->WaitFor("Press 'n' for misc. operations you can do on " + name)) << term_->Screen();
    ExitCleanly();
    EXPECT_EQ(home_.ReadFile("viewed"), home_.ReadFile(".ferntrack/" + name));
}

}  // namespace
}  // namespace e2e
