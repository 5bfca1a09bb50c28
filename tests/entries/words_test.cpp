#include "entries/words.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <iostream>
#include <string>

#include "entries/aliases.h"
#include "entries/fields.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "support/tempdir.h"
#include "temphome.h"

namespace {

std::string Line(const std::string& client, const std::string& result, const std::string& bytes,
                 const std::string& url, const std::string& user)
{
    return "1286536308.779    245 " + client + " " + result + " " + bytes + " GET " + url + " " +
           user + " DIRECT/10.1.1.1 text/html\n";
}

class WordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettings();
        sWords.clear();
        DetectLayout("1 2 10.0.0.7 TCP_MISS/200 5 GET http://h/ -");
    }
    void TearDown() override
    {
        sWords.clear();
        ResetSettings();
    }

    static std::string Marks(const std::string& line)
    {
        std::string out;
        MatchWords(line.c_str(), out);
        return out;
    }
    static char WordMark(const std::string& line) { return Marks(line)[0]; }

    TempHome home;
};

const std::string kProxyLine =
    Line("10.0.0.7", "TCP_MISS/200", "512", "http://proxy.local/index.html", "jane");

TEST_F(WordsTest, FirstMatchingEntryDecides)
{
    sWords = "proxy\n!proxy.local\n";
    EXPECT_EQ(WordMark(kProxyLine), 'w');
    sWords = "!proxy.local\nproxy\n";
    EXPECT_EQ(WordMark(kProxyLine), '-');
    sWords = "nothing\n!else\n";
    EXPECT_EQ(WordMark(kProxyLine), ' ');
    // Words match inside words, and a blank lets a word span two fields.
    sWords = "ex\n";
    EXPECT_EQ(WordMark(kProxyLine), 'w');
    sWords = "200 512\n";
    EXPECT_EQ(WordMark(kProxyLine), 'w');
    // An entry with an empty word never matches; the next one still can.
    sWords = "\n!\nlocal\n";
    EXPECT_EQ(WordMark(kProxyLine), 'w');
    sWords = "\n!\n";
    EXPECT_EQ(WordMark(kProxyLine), ' ');
    // Case matters on the raw line.
    sWords = "PROXY\n";
    EXPECT_EQ(WordMark(kProxyLine), ' ');
}

TEST_F(WordsTest, ListChangesAreSeenAtOnce)
{
    sWords = "abc\n";
    std::string line = Line("10.0.0.7", "TCP_MISS/200", "1", "http://h/abd", "u");
    EXPECT_EQ(WordMark(line), ' ');
    sWords = "abd\n";  // same length, different text
    EXPECT_EQ(WordMark(line), 'w');
    sWords = "!h/a\n" + sWords;
    EXPECT_EQ(WordMark(line), '-');
    sWords = "zz";
    EXPECT_EQ(WordMark(line), ' ');
    sWords = "GET";  // an entry without its LF still counts
    EXPECT_EQ(WordMark(line), 'w');
    sWords.clear();
    EXPECT_EQ(WordMark(line), ' ');
}

TEST_F(WordsTest, MatchesHighBytesButStopsAtLineEnd)
{
    std::string line = Line("10.0.0.7", "TCP_MISS/200", "1", "http://h/caf\xc3\xa9\xff.html", "u");
    sWords = "caf\xc3\xa9\xff\n";
    EXPECT_EQ(WordMark(line), 'w');
    sWords = "\xc3\xa9\n";
    EXPECT_EQ(WordMark(line), 'w');
    // Nothing after the line's end takes part.
    sWords = "after\n";
    EXPECT_EQ(WordMark("a b\nafter"), ' ');
    EXPECT_EQ(WordMark("a b\rafter"), ' ');
    EXPECT_EQ(WordMark("a b after\r\n"), 'w');
}

TEST_F(WordsTest, SecondTestUsesUserOnlyWithAliases)
{
    std::string upper = Line("10.0.0.7", "TCP_MISS/200", "1", "http://h/", "JOHN");
    sWords = "john\n";
    EXPECT_EQ(WordMark(upper), ' ');
    bAliases = true;
    EXPECT_EQ(WordMark(upper), 'w');
    sWords = "!john\n";
    EXPECT_EQ(WordMark(upper), '-');

    ASSERT_TRUE(TempHome::Write(sAliasesPath, "boss 10.0.0.7\n"));
    LoadAliases();
    sWords = "boss\n";
    std::string anonymous = Line("10.0.0.7", "TCP_MISS/200", "1", "http://h/", "-");
    EXPECT_EQ(WordMark(anonymous), 'w');
    EXPECT_EQ(WordMark(Line("10.0.0.7", "TCP_MISS/200", "1", "http://h/", "jane")), ' ');
    bAliases = false;
    EXPECT_EQ(WordMark(anonymous), ' ');
    ASSERT_TRUE(TempHome::Write(sAliasesPath, ""));
    LoadAliases();
}

TEST_F(WordsTest, MarkStringCarriesGradeClassAndFocus)
{
    iSizeHitGrade = 1;
    std::string line = Line("10.0.0.7", "TCP_HIT/200", "60000", "http://h/", "JOHN%20");
    EXPECT_EQ(Marks(line), " 1H ");
    iRepFocus = 1;
    sRepFocus = "john";
    EXPECT_EQ(Marks(line), " 1Hf");
    sRepFocus = "JOHN";
    EXPECT_EQ(Marks(line), " 1H ");
    // Any value other than 1 is off.
    sRepFocus = "john";
    iRepFocus = 2;
    EXPECT_EQ(Marks(line), " 1H ");
    // An empty focused user matches a line without a user.
    iRepFocus = 1;
    sRepFocus.clear();
    EXPECT_EQ(Marks("1286536308.779 245 10.0.0.7 TCP_DENIED/403 0 GET http://h/\n"), "  df");

    char raw[5] = {'.', '.', '.', '.', '.'};
    MatchWords(line.c_str(), raw);
    EXPECT_EQ(std::string(raw, 5), " 1H .");
}

TEST_F(WordsTest, SizeGradeFromHitSizes)
{
    sSizeHits = "50000 250000 1000000 10000000";
    EXPECT_EQ(SizeGrade(50000), 0);
    EXPECT_EQ(SizeGrade(50001), 1);
    EXPECT_EQ(SizeGrade(10000001), 4);
    EXPECT_EQ(SizeGrade(3000000000LL), 4);
    EXPECT_EQ(SizeGrade(-1), 0);
    EXPECT_EQ(GradeMark(0), ' ');
    EXPECT_EQ(GradeMark(4), '4');

    sSizeHits = "50000  250000";
    EXPECT_EQ(SizeGrade(300000), 1);
    sSizeHits = "50000 25x000 1000000";
    EXPECT_EQ(SizeGrade(2000000), 1);
    sSizeHits = "50000 0 1000000";
    EXPECT_EQ(SizeGrade(2000000), 1);
    sSizeHits = "50000 ";
    EXPECT_EQ(SizeGrade(2000000), 1);
    sSizeHits = " 50000";
    EXPECT_EQ(SizeGrade(2000000), 0);
    sSizeHits = "";
    EXPECT_EQ(SizeGrade(2000000), 0);
    // Not ascending: the walk stops at the first size not exceeded.
    sSizeHits = "100 50 10";
    EXPECT_EQ(SizeGrade(75), 0);
    EXPECT_EQ(SizeGrade(101), 3);
    // Sizes beyond 2 GiB compare as 64-bit numbers.
    sSizeHits = "1000 3000000000";
    EXPECT_EQ(SizeGrade(2999999999LL), 1);
    EXPECT_EQ(SizeGrade(3000000001LL), 2);
    sSizeHits = "1000 99999999999999999999999";
    EXPECT_EQ(SizeGrade(INT64_MAX), 1);

    EXPECT_EQ(ParseHitSizes("50000 250000 x 9"), (std::vector<int64_t>{50000, 250000}));
    EXPECT_TRUE(ParseHitSizes("-5 10").empty());
}

TEST_F(WordsTest, SizeGradeMarkStaysPrintable)
{
    std::string many;
    for (int i = 1; i <= 120; ++i)
        many += (i == 1 ? "" : " ") + std::to_string(i);
    sSizeHits = many;
    char mark = GradeMark(SizeGrade(1000));
    EXPECT_GE(mark, '0');
    EXPECT_LE(mark, '~');
}

TEST_F(WordsTest, IsHitFollowsWordGradeAndFocus)
{
    iSizeHitGrade = 2;
    EXPECT_TRUE(IsHit("w   "));
    EXPECT_FALSE(IsHit(" 1  "));
    EXPECT_TRUE(IsHit(" 2  "));
    EXPECT_TRUE(IsHit(" 3  "));
    EXPECT_FALSE(IsHit("-3  "));
    EXPECT_FALSE(IsHit("    "));
    EXPECT_TRUE(IsHit(std::string("w H ")));
    EXPECT_FALSE(IsHit(std::string("w")));
    iSizeHitGrade = 0;
    EXPECT_FALSE(IsHit(" 9  "));
    EXPECT_TRUE(IsHit("w9  "));

    iRepFocus = 1;
    EXPECT_FALSE(IsHit("w   "));
    EXPECT_TRUE(IsHit("w  f"));
    EXPECT_FALSE(IsHit("-  f"));
    iSizeHitGrade = 1;
    EXPECT_TRUE(IsHit(" 1 f"));
    EXPECT_FALSE(IsHit(" 1  "));

    // Any focus value but 1 is off.
    iRepFocus = 2;
    EXPECT_TRUE(IsHit("w   "));
    EXPECT_TRUE(IsHit(" 1  "));
    // A grade beyond the last one matches no size, and no setting overflows
    // the comparison.
    iRepFocus = 0;
    iSizeHitGrade = INT_MAX;
    EXPECT_FALSE(IsHit(" 9  "));
    EXPECT_FALSE(IsHit(" ~  "));
    EXPECT_TRUE(IsHit("w   "));
    iSizeHitGrade = INT_MIN;
    EXPECT_TRUE(IsHit("    "));
    EXPECT_FALSE(IsHit("-9  "));
}

TEST_F(WordsTest, LoadWordsDropsControlBytesAndEmptyLines)
{
    sWords = "stale\n";
    ASSERT_TRUE(TempHome::Write(sWordsPath, "a\tb\r\nc\n\n\r\n  \n\xe9t\xc3\xa9\nlast"));
    EXPECT_TRUE(LoadWords());
    EXPECT_EQ(sWords, "ab\nc\n  \n\xe9t\xc3\xa9\nlast\n");
    // A line of blanks matches that many blanks in a row.
    EXPECT_EQ(WordMark("a  b"), 'w');
    EXPECT_EQ(WordMark("a b"), ' ');

    ASSERT_TRUE(TempHome::Write(sWordsPath, ""));
    EXPECT_TRUE(LoadWords());
    EXPECT_EQ(sWords, "");
    ASSERT_TRUE(TempHome::Write(sWordsPath, "\n\r\n\r\r\n\n"));
    EXPECT_TRUE(LoadWords());
    EXPECT_EQ(sWords, "");

    sWords = "stale\n";
    unlink(sWordsPath.c_str());
    EXPECT_FALSE(LoadWords());
    EXPECT_EQ(sWords, "");
}

TEST_F(WordsTest, SaveWordsRoundTripAndFailure)
{
    sWords = "proxy\n!proxy.local\n\xe9t\xc3\xa9\n";
    ASSERT_TRUE(SaveWords());
    EXPECT_EQ(TempHome::Read(sWordsPath), sWords);
    std::string saved = sWords;
    sWords.clear();
    EXPECT_TRUE(LoadWords());
    EXPECT_EQ(sWords, saved);

    sWordsPath = sPrivateDir + "/missing/words";
    EXPECT_FALSE(SaveWords());
    EXPECT_EQ(sWords, saved);

    // A device is never written, even one that takes every byte: a node
    // of the test's own, never the system's.
    std::string device = MakeFullDevice(sPrivateDir);
    if (!device.empty()) {
        sWordsPath = device;
        EXPECT_FALSE(SaveWords());
        EXPECT_EQ(sWords, saved);
    } else {
        std::cout << "[ SKIPPED part ] no device node can be made here: the device case is not run\n";
    }
}

} // namespace

TEST_F(WordsTest, TheHitTestOfAWholeLineAgreesWithTheMarks)
{
    sWords = "setup\n!logo\njane\n";
    const std::string lines[] = {
        Line("10.0.0.7", "TCP_MISS/200", "512", "http://a.example.com/setup.exe", "bob"),
        Line("10.0.0.7", "TCP_MISS/200", "512", "http://a.example.com/logo/setup.exe", "bob"),
        Line("10.0.0.7", "TCP_MISS/200", "90000000", "http://a.example.com/x?q=" + std::string(3000, 'z'), "bob"),
        Line("10.0.0.7", "TCP_DENIED/403", "512", "http://a.example.com/x", "jane"),
        Line("10.0.0.9", "TCP_MISS/200", "512", "http://a.example.com/x", "-"),
        "1286536308.779 5 10.0.0.7 TCP_MISS/200 512 GET http://a/x bob\rsetup\n",
        "1286536308.779 5 10.0.0.7 TCP_MISS/200 512 GET http://a/x CORP\\bob - -\n",
        "",
    };
    struct Setting {
        const char* what;
        int grade, focus;
        bool aliases;
    };
    const Setting settings[] = {
        {"words alone", 0, 0, false}, {"size hits", 2, 0, false}, {"focus", 0, 1, false}, {"aliases", 0, 0, true}};
    ASSERT_TRUE(TempHome::Write(sAliasesPath, "setup-desk 10.0.0.9\n"));
    for (const Setting& s : settings) {
        SCOPED_TRACE(s.what);
        iSizeHitGrade = s.grade;
        iRepFocus = s.focus;
        sRepFocus = "bob";
        bAliases = s.aliases;
        LoadAliases();
        for (const std::string& line : lines) {
            SCOPED_TRACE(line.substr(0, 60));
            EXPECT_EQ(IsHitLine(line.c_str()), IsHit(Marks(line)));
        }
    }
}
