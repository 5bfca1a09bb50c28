#include "entries/fields.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "browse/logreader.h"
#include "entries/aliases.h"
#include "entries/texts.h"
#include "frame/settings.h"
#include "temphome.h"

namespace {

// A plain native log line with the given client, bytes and user.
std::string PlainLine(const std::string& client, const std::string& bytes, const std::string& user)
{
    return "1286536308.779    245 " + client + " TCP_MISS/200 " + bytes +
           " GET http://host7/index.html " + user + " DIRECT/10.1.1.1 text/html";
}

class FieldsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettings();
        DetectLayout("1286536308.779 245 10.0.0.7 TCP_MISS/200 4512 GET http://a/ u D/1 t/h");
        iLogSize = 1000;
    }
    void TearDown() override { iLogSize = 0; }

    static std::string Field(const char* line, int n)
    {
        std::string out = "junk";
        GetField(line, n, out);
        return out;
    }
    // GetUser(line, false), checked against UserView of the split line,
    // which must find the same user without copying it.
    static std::string User(const std::string& line)
    {
        std::string user = GetUser(line.c_str(), false);
        LineFields fields;
        SplitLine(line.c_str(), fields);
        std::string scratch = "junk";
        EXPECT_EQ(UserView(fields, scratch), user) << line;
        return user;
    }
};

TEST_F(FieldsTest, GetFieldSplitsOnBlanksOnly)
{
    const char* line = "a  b\tc";
    EXPECT_EQ(Field(line, 1), "a");
    EXPECT_EQ(Field(line, 2), "b\tc");
    EXPECT_EQ(Field(line, 3), "");

    const char* leading = " a b";
    EXPECT_EQ(Field(leading, 1), "");
    EXPECT_EQ(Field(leading, 2), "a");
    EXPECT_EQ(Field(leading, 3), "b");
    EXPECT_EQ(Field(leading, 0), "");
    EXPECT_EQ(Field(leading, -1), "");

    EXPECT_EQ(Field("x y\r\n", 2), "y");
    EXPECT_EQ(Field("x y\nz", 3), "");
    EXPECT_EQ(Field("x y   ", 2), "y");
    EXPECT_EQ(Field("", 1), "");
    EXPECT_EQ(FieldView(nullptr, 1), "");
}

TEST_F(FieldsTest, DetectLayoutFindsPrefixAndUserField)
{
    DetectLayout("1 2 3 4 x: 6");
    EXPECT_EQ(iTimeField, 1);
    EXPECT_EQ(iUserField, 8);

    DetectLayout("Oct 5 14:03:28 host squid[12]: 1286536308.779 245 10.0.0.7 TCP_MISS/200 1 GET u -");
    EXPECT_EQ(iTimeField, 6);
    EXPECT_EQ(iClientField, 8);
    EXPECT_EQ(iResultField, 9);
    EXPECT_EQ(iBytesField, 10);
    EXPECT_EQ(iUrlField, 12);
    EXPECT_EQ(iUserField, 13);

    DetectLayout("1 2 pc12.office TCP_MISS/200 5 GET u -");
    EXPECT_EQ(iUserField, 3);
    DetectLayout("1 2 10.0.0.7 TCP_MISS/200 5 GET u -");
    EXPECT_EQ(iUserField, 8);
    DetectLayout("1 2 \xc3\xa9host TCP_MISS/200 5 GET u -");
    EXPECT_EQ(iUserField, 8);
    DetectLayout("");
    EXPECT_EQ(iTimeField, 1);
    EXPECT_EQ(iUserField, 8);

    // The edges of both tests: a client from 'A' (just above '@') to 0x7F
    // is a name; a fifth field of three bytes ending in ':' is a prefix.
    struct Case {
        std::string line;
        int timeField;
        int userField;
    };
    const Case cases[] = {
        {"1 2 @host TCP_MISS/200 5 GET u -", 1, 8},
        {"1 2 Ahost TCP_MISS/200 5 GET u -", 1, 3},
        {"1 2 \x7fhost TCP_MISS/200 5 GET u -", 1, 3},
        {"1 2 \x80host TCP_MISS/200 5 GET u -", 1, 8},
        {"a b c d ab: 1 2 @host TCP_MISS/200 5 GET u -", 6, 13},
        {"a b c d ab: 1 2 Ahost TCP_MISS/200 5 GET u -", 6, 8},
        {"1 2 3 4 b: 1 2 Ahost TCP_MISS/200 5 GET u -", 1, 8},
    };
    for (const Case& c : cases) {
        DetectLayout(c.line.c_str());
        EXPECT_EQ(iTimeField, c.timeField) << c.line;
        EXPECT_EQ(iUserField, c.userField) << c.line;
    }
}

// Every common form a syslog daemon gives a gathered line: the request's
// fields are found behind the prefix, whatever its width, and a plain log
// keeps its layout.
TEST_F(FieldsTest, DetectLayoutOfLinesFindsTheRequestBehindAnyPrefix)
{
    const std::string request = "1286536308.779 245 10.0.0.7 TCP_MISS/200 4512 GET http://a/ JDoe D/1 t/h";
    const std::string byName = "1286536308.779 245 pc12.office TCP_MISS/200 4512 GET http://a/ - D/1 t/h";
    struct Case {
        std::vector<std::string> lines;
        int timeField;
        int userField;
    };
    const Case cases[] = {
        {{request}, 1, 8},
        {{"Dec 10 10:00:00 proxy1 squid[123]: " + request}, 6, 13},
        {{"Dec  1 10:00:00 proxy1 squid: " + request}, 6, 13},
        {{"2026-12-10T10:00:00.123+01:00 proxy1 squid: " + request}, 4, 11},
        {{"2026-12-10T10:00:00.123456+01:00 proxy1 squid[77]: " + byName}, 4, 6},
        {{"2026-12-10T10:00:00.123+01:00 proxy1 " + request}, 3, 10},
        {{"Dec 10 10:00:00 proxy1 local4.info squid[12]: " + request}, 7, 14},
        {{"<166>Dec 10 10:00:00 proxy1 squid[12]: " + request}, 6, 13},
        {{"Dec 10 10:00:00 proxy1 squid 4242 " + request}, 7, 14},
        {{"<166>1 2026-12-10T10:00:00.123+01:00 proxy1 squid 123 - - " + request}, 8, 15},
        // A host that reads like a stamp but is not followed by a result.
        {{"Dec 10 10:00:00 1.123 squid: " + request}, 6, 13},
        // The daemon's own lines before the first request do not decide.
        {{"Dec 10 10:00:00 loghost rsyslogd: [origin software=\"rsyslogd\"] start", "",
          "2026-12-10T10:00:01.000+00:00 proxy2 squid: " + request},
         4, 11},
        // No stamp on any line: the tag in field five still tells a prefix.
        {{"a b c d ab: 1 2 3 4 5 6 7 8", "x"}, 6, 13},
        {{"1286536308.77 245 10.0.0.7 TCP_MISS/200 4512 GET http://a/ JDoe"}, 1, 8},
        // Nine fields before the stamp are more than a prefix has (and a
        // third field with a letter is a client by name).
        {{"f1 f2 f3 f4 f5 f6 f7 f8 f9 " + request}, 1, 3},
        {{}, 1, 8},
    };
    for (const Case& c : cases) {
        DetectLayoutOfLines(c.lines.data(), c.lines.size());
        std::string all = c.lines.empty() ? "(none)" : c.lines.back();
        EXPECT_EQ(iTimeField, c.timeField) << all;
        EXPECT_EQ(iUserField, c.userField) << all;
        EXPECT_EQ(iUrlField, iTimeField + 6) << all;
        if (c.timeField > 1 && all.find("1286536308.779") != std::string::npos) {
            const char* line = c.lines.back().c_str();
            EXPECT_EQ(GetTime(line), 1286536308) << all;
            EXPECT_EQ(GetBytes(line), 4512) << all;
            EXPECT_EQ(User(line), c.userField == iClientField ? "pc12.office" : "jdoe") << all;
        }
    }
}

TEST_F(FieldsTest, GetTimeReadsWholeSeconds)
{
    EXPECT_EQ(GetTime("1286536308.779 x"), 1286536308);
    EXPECT_EQ(GetTime("12a4.5 x"), 0);
    EXPECT_EQ(GetTime(" x"), 0);
    EXPECT_EQ(GetTime("1286536308 x"), 1286536308);

    // Far beyond any representable time: saturated, not overflowed.
    EXPECT_EQ(GetTime("99999999999999999999999999999.5 x"), INT64_MAX);
}

TEST_F(FieldsTest, LogTimeTextDropsSeconds)
{
    const char* savedTz = getenv("TZ");
    std::string saved = savedTz ? savedTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(LogTimeText("1286287408.1 x\n"), "Tue Oct  5 14:03 2010");
    EXPECT_EQ(LogTimeText(" \t\r\n"), "");
    EXPECT_EQ(LogTimeText(nullptr), "");
    iLogSize = 0;
    EXPECT_EQ(LogTimeText("1286287408.1 x\n"), "");

    // The edges of the times shown (years far from now still read right)
    // and the absurd ones beyond them, which show no time at all.
    const std::pair<int64_t, const char*> times[] = {
        {0, "Thu Jan  1 00:00 1970"},
        {int64_t{INT32_MAX} * 1000, "Sun Jan 17 19:16 70021"},
        {int64_t{INT32_MIN} * 1000, "Sun Dec 15 04:26 -66082"},
        {int64_t{INT32_MAX} * 1000 + 1, ""},
        {67767976233316800, ""},
        {INT64_MAX, ""},
        {INT64_MIN, ""},
    };
    for (const auto& [t, text] : times)
        EXPECT_EQ(TimeText(t), text) << t;
    if (savedTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(FieldsTest, GetBytesReadsLeadingNumberIn64Bits)
{
    EXPECT_EQ(GetBytes(PlainLine("10.0.0.7", "4512", "u").c_str()), 4512);
    EXPECT_EQ(GetBytes(PlainLine("10.0.0.7", "3000000000", "u").c_str()), 3000000000LL);
    EXPECT_EQ(GetBytes(PlainLine("10.0.0.7", "-5", "u").c_str()), -5);
    EXPECT_EQ(GetBytes(PlainLine("10.0.0.7", "12abc", "u").c_str()), 12);
    EXPECT_EQ(GetBytes(PlainLine("10.0.0.7", "abc", "u").c_str()), 0);
    EXPECT_EQ(GetBytes("1 2 3 4"), 0);
    EXPECT_GT(GetBytes(PlainLine("1", "999999999999999999999999", "u").c_str()), 0);
}

TEST_F(FieldsTest, GetUserTrimsAndLowerCases)
{
    EXPECT_EQ(User(PlainLine("10.0.0.7", "1", "JOHN%20%20")), "john");
    EXPECT_EQ(User(PlainLine("10.0.0.7", "1", "Ann%20Lee")), "ann%20lee");
    EXPECT_EQ(User(PlainLine("10.0.0.7", "1", "Bob%20%20x")), "bob%20%20x");
    EXPECT_EQ(User(PlainLine("10.0.0.7", "1", "\xc3\x89VE")), "\xc3\x89ve");
    EXPECT_EQ(User(PlainLine("10.0.0.7", "1", "ann.lee%20 ")), "ann.lee");
    bLookupIP = false;
    EXPECT_EQ(User(PlainLine("10.0.0.7", "1", "-")), "-");
    bAliases = true;
    EXPECT_EQ(User(PlainLine("10.0.0.7", "1", "-")), "-");
}

TEST_F(FieldsTest, GetUserShowsClientAddressOrAlias)
{
    std::string line = PlainLine("192.168.10.200", "1", "-");
    bLookupIP = true;
    iUserNameLen = 8;
    EXPECT_EQ(GetUser(line.c_str(), true), "10.200");
    EXPECT_EQ(User(line), "192.168.10.200");
    EXPECT_EQ(GetUser(PlainLine("192.168.10.200", "1", "Jim").c_str(), true), "jim");

    TempHome home;
    ASSERT_TRUE(TempHome::Write(sAliasesPath, "Boss 192.168.10.200\n"));
    LoadAliases();
    bAliases = true;
    EXPECT_EQ(GetUser(line.c_str(), true), "Boss");
    EXPECT_EQ(User(line), "Boss");
    bAliases = false;
    EXPECT_EQ(GetUser(line.c_str(), true), "10.200");
    ASSERT_TRUE(TempHome::Write(sAliasesPath, ""));
    LoadAliases();
}

TEST_F(FieldsTest, SiteOfAndStripScheme)
{
    std::string out;
    SiteOf("1 2 3 4 5 GET http://host7:8080/a/b x", out);
    EXPECT_EQ(out, "host7:8080");
    SiteOf("1 2 3 4 5 CONNECT secure.example:443 x", out);
    EXPECT_EQ(out, "secure.example:443");
    std::string url = "ftp://f/x";
    StripScheme(url);
    EXPECT_EQ(url, "f/x");
    url = "HTTP://h/";
    StripScheme(url);
    EXPECT_EQ(url, "HTTP://h/");
    url = "http://http://h";
    StripScheme(url);
    EXPECT_EQ(url, "http://h");
}

TEST_F(FieldsTest, WidthHelpers)
{
    EXPECT_EQ(ShortenIp("192.168.10.200", 8), "10.200");
    EXPECT_EQ(ShortenIp("alpha.beta.gamma", 8), "gamma");
    EXPECT_EQ(ShortenIp("10.1.2.3", 8), "10.1.2.3");
    EXPECT_EQ(ShortenIp("averylonghostname", 4), "averylonghostname");
    EXPECT_EQ(ShortenIp("a.b", -3), "b");

    std::string text = "abc";
    FitWidth(text, 5);
    EXPECT_EQ(text, "abc  ");
    text = "abcdef";
    FitWidth(text, 3);
    EXPECT_EQ(text, "abc");
    FitWidth(text, 0);
    EXPECT_EQ(text, "");

    EXPECT_EQ(PadLeft("abcdef", 3), "abcdef");
    EXPECT_EQ(PadLeft("ab", 5), "   ab");
    EXPECT_EQ(PadLeft("ab", -1), "ab");

    EXPECT_TRUE(IsBlank(nullptr));
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank(" \t\n\v\f\r"));
    EXPECT_FALSE(IsBlank("  x "));
}

TEST_F(FieldsTest, ShortenUrlKeepsHostAndTail)
{
    const std::string row = "jdoe     w R  host7/images/2010/banner_large.gif";
    ASSERT_EQ(row.size(), 48u);
    std::string text = row;
    ShortenUrl(text, 34);
    EXPECT_EQ(text, "jdoe     w R  host7/nner_large.gif");
    bRepKeepExt = false;
    text = row;
    ShortenUrl(text, 34);
    EXPECT_EQ(text, "jdoe     w R  host7/images/2010/ba");
    bRepKeepExt = true;

    text = row;
    ShortenUrl(text, 48);
    EXPECT_EQ(text, row);
    text = "http://h/abcdefghij";
    ShortenUrl(text, 10);
    EXPECT_EQ(text, "http:/ghij");
    // No '/' after the last blank, and a trailing blank: a plain cut.
    text = "user nosuchslash";
    ShortenUrl(text, 8);
    EXPECT_EQ(text, "user nos");
    text = "user a/b ";
    ShortenUrl(text, 4);
    EXPECT_EQ(text, "user");
    text = "x";
    ShortenUrl(text, -2);
    EXPECT_EQ(text, "");
}

TEST_F(FieldsTest, NumbersAsText)
{
    EXPECT_EQ(NumToStr(0), "0");
    EXPECT_EQ(NumToStr(1286536308), "1286536308");
    EXPECT_EQ(NumToStr(static_cast<uint64_t>(int64_t{-1})), "18446744073709551615");
    EXPECT_EQ(NumToCommaStr(0), "0");
    EXPECT_EQ(NumToCommaStr(123), "123");
    EXPECT_EQ(NumToCommaStr(1234), "1,234");
    EXPECT_EQ(NumToCommaStr(123456), "123,456");
    EXPECT_EQ(NumToCommaStr(1234567), "1,234,567");
    EXPECT_EQ(NumToCommaStr(1000000000), "1,000,000,000");
    EXPECT_EQ(NumToCommaStr(UINT64_MAX), "18,446,744,073,709,551,615");
    // ASCII only: no locale is set, bytes above 0x7E stay as they are.
    EXPECT_EQ(AsciiLower("Alice B.\xC4Z@[`{"), "alice b.\xC4z@[`{");
}

} // namespace
