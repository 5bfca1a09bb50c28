// The command line of `ferntrack report`: every form of a time in two zones
// (UTC and Europe/Berlin, across both of its clock changes), the options and
// their mistakes, and the settings --set may change within the screens'
// bounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "frame/settings.h"
#include "report/batchargs.h"

namespace {

// Thursday 2026-12-10 11:33:20 UTC, 12:33:20 in Berlin.
constexpr int64_t kNow = 1796900000;

class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        const char* tz = getenv("TZ");
        had_ = tz != nullptr;
        saved_ = had_ ? tz : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope()
    {
        if (had_)
            setenv("TZ", saved_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool had_ = false;
    std::string saved_;
};

struct TimeCase {
    const char* zone;
    const char* text;
    int64_t from;  // as --from
    int64_t to;    // as --to
};

const TimeCase kTimes[] = {
    {"UTC", "2026-12-01", 1796083200, 1796083200 + 86400},
    {"UTC", "2026-12-07", 1796688000 - 86400, 1796688000},
    {"UTC", "2026-06-15 10:20", 1781518800, 1781518800},
    {"UTC", "2026-06-15 10:20:30", 1781518830, 1781518830},
    {"UTC", "2026-06-15T10:20:30", 1781518830, 1781518830},
    {"UTC", "2024-02-29", 1709164800, 1709251200},
    {"UTC", "2026-12-31", 1798761600 - 86400, 1798761600},
    {"UTC", "today", 1796860800, 1796947200},
    {"UTC", "yesterday", 1796774400, 1796860800},
    {"UTC", "@1796083200", 1796083200, 1796083200},
    {"UTC", "@0", 0, 0},
    // Berlin, the spring day of 23 hours and the autumn day of 25.
    {"Europe/Berlin", "2026-03-29", 1774738800, 1774821600},
    {"Europe/Berlin", "2026-03-29 01:59:59", 1774745999, 1774745999},
    {"Europe/Berlin", "2026-03-29 03:00", 1774746000, 1774746000},
    {"Europe/Berlin", "2026-10-25", 1792879200, 1792969200},
    // 02:30 comes twice that night: the first time counts.
    {"Europe/Berlin", "2026-10-25 02:30", 1792888200, 1792888200},
    {"Europe/Berlin", "2026-10-25 03:30", 1792895400, 1792895400},
    {"Europe/Berlin", "2026-06-15 10:20:30", 1781511630, 1781511630},
    {"Europe/Berlin", "today", 1796857200, 1796857200 + 86400},
    {"Europe/Berlin", "@1796083200", 1796083200, 1796083200},
};

TEST(BatchTime, EveryFormInTwoZones)
{
    for (const TimeCase& c : kTimes) {
        ZoneScope zone(c.zone);
        int64_t from = -1, to = -1;
        std::string why;
        EXPECT_TRUE(ParseBatchTime(c.text, false, kNow, from, why)) << c.zone << " " << c.text << ": " << why;
        EXPECT_TRUE(ParseBatchTime(c.text, true, kNow, to, why)) << c.zone << " " << c.text << ": " << why;
        EXPECT_EQ(from, c.from) << c.zone << " --from " << c.text;
        EXPECT_EQ(to, c.to) << c.zone << " --to " << c.text;
    }
}

struct BadTime {
    const char* zone;
    const char* text;
    const char* why;
};

const char* const kForms = "not a time (YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS], today, yesterday or @SECONDS)";

const BadTime kBadTimes[] = {
    {"UTC", "2026-02-29", "no such date"},
    {"UTC", "2026-13-01", "no such date"},
    {"UTC", "2026-00-10", "no such date"},
    {"UTC", "2026-04-31", "no such date"},
    {"UTC", "1969-12-31", "no such date"},
    {"UTC", "2026-01-05 24:00", "no such time of day"},
    {"UTC", "2026-01-05 12:60", "no such time of day"},
    {"UTC", "2026-01-05 12:00:60", "no such time of day"},
    {"Europe/Berlin", "2026-03-29 02:30", "the clocks skip this local time"},
    {"UTC", "2026-1-05", kForms},
    {"UTC", "2026-01-05 12", kForms},
    {"UTC", "2026-01-05 12:00:0", kForms},
    {"UTC", "2026-01-05 12:00:00x", kForms},
    {"UTC", "2026-01-05x", kForms},
    {"UTC", "2026/01/05", kForms},
    {"UTC", "@", kForms},
    {"UTC", "@-5", kForms},
    {"UTC", "@12a", kForms},
    {"UTC", "", kForms},
    {"UTC", "tomorrow", kForms},
    {"UTC", "Today", kForms},
};

TEST(BatchTime, BadTimesSayWhy)
{
    for (const BadTime& c : kBadTimes) {
        ZoneScope zone(c.zone);
        int64_t out = 0;
        std::string why;
        EXPECT_FALSE(ParseBatchTime(c.text, false, kNow, out, why)) << c.text;
        EXPECT_EQ(why, c.why) << c.text;
    }
}

struct ArgsCase {
    std::vector<const char*> args;
    const char* error;  // empty: accepted
    bool from = false;
    bool to = false;
    eBatchFormat format = eFormatConfigured;
    const char* output = "";
    const char* user = "";
    size_t settings = 0;
    size_t logs = 0;
};

const ArgsCase kArgs[] = {
    {{}, "", false, false, eFormatConfigured, "", "", 0, 0},
    {{"a.log", "--to", "today", "b.log.1.gz", "c"}, "", false, true, eFormatConfigured, "", "", 0, 3},
    {{"--from", "2026-12-01", "--to", "2026-12-07", "log"}, "", true, true, eFormatConfigured, "", "", 0, 1},
    {{"--from=today", "--format=html", "-o", "r.html"}, "", true, false, eFormatHtml, "r.html", "", 0, 0},
    {{"--format", "csv", "--output=x.csv", "--", "--from"}, "", false, false, eFormatCsv, "x.csv", "", 0, 1},
    {{"--user", "ann", "--set", "iRepColumns=100", "--set=sRepTitle=a=b"}, "", false, false, eFormatConfigured, "",
     "ann", 2, 0},
    {{"--format", "text", "--user=bob"}, "", false, false, eFormatText, "", "bob", 0, 0},
    {{"--bogus"}, "--bogus: unknown option"},
    {{"-x"}, "-x: unknown option"},
    {{"--from"}, "--from: needs a value"},
    {{"--from", "2026-02-30"}, "--from 2026-02-30: no such date"},
    {{"--to", "soon"}, "--to soon: " "not a time (YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS], today, yesterday or @SECONDS)"},
    {{"--from", "2026-12-02", "--to", "2026-12-01"}, "--from: not before --to"},
    {{"--from", "@100", "--to", "@100"}, "--from: not before --to"},
    {{"--format", "pdf"}, "--format pdf: not text, csv or html"},
    {{"--output="}, "--output: needs a file name"},
    {{"--user", ""}, "--user: needs a user name"},
    {{"--user", "ann", "--format", "html"}, "--user: one user's part is made from the normal-text report only"},
    {{"--user", "ann", "--format", "csv"}, "--user: one user's part is made from the normal-text report only"},
    {{"--set", "iRepColumns"}, "--set iRepColumns: not KEY=VALUE"},
    {{"--set", "=5"}, "--set =5: not KEY=VALUE"},
};

TEST(BatchArguments, OptionsAndTheirMistakes)
{
    ZoneScope zone("UTC");
    for (const ArgsCase& c : kArgs) {
        std::string shown;
        for (const char* a : c.args)
            shown += std::string(a) + " ";
        BatchOptions o = ParseBatchArguments(static_cast<int>(c.args.size()), c.args.data(), kNow);
        EXPECT_EQ(o.sError, c.error) << shown;
        if (*c.error != '\0')
            continue;
        EXPECT_EQ(o.bFrom, c.from) << shown;
        EXPECT_EQ(o.bTo, c.to) << shown;
        EXPECT_EQ(o.eFormat, c.format) << shown;
        EXPECT_EQ(o.sOutput, c.output) << shown;
        EXPECT_EQ(o.sUser, c.user) << shown;
        EXPECT_EQ(o.vSettings.size(), c.settings) << shown;
        EXPECT_EQ(o.vLogs.size(), c.logs) << shown;
    }
}

TEST(BatchArguments, HelpWinsOverMistakesAfterIt)
{
    const char* args[] = {"--help", "--format", "pdf"};
    BatchOptions o = ParseBatchArguments(3, args, kNow);
    EXPECT_TRUE(o.bHelp);
}

TEST(BatchArguments, AValueMayContainEqualsAndBlanks)
{
    const char* args[] = {"--set", "sRepTitle=Week 49 = done"};
    BatchOptions o = ParseBatchArguments(2, args, kNow);
    ASSERT_EQ(o.vSettings.size(), 1u);
    EXPECT_EQ(o.vSettings[0].first, "sRepTitle");
    EXPECT_EQ(o.vSettings[0].second, "Week 49 = done");
}

struct SettingCase {
    const char* key;
    const char* value;
    const char* error;  // empty: accepted
};

const std::string kLongText(80, ';');

const SettingCase kSettings[] = {
    {"iRepColumns", "45", ""},
    {"iRepColumns", "256", ""},
    {"iRepColumns", "44", "--set iRepColumns=44: not a whole number from 45 to 256"},
    {"iRepColumns", "257", "--set iRepColumns=257: not a whole number from 45 to 256"},
    {"iRepColumns", "-80", "--set iRepColumns=-80: not a whole number from 45 to 256"},
    {"iRepColumns", " 80", "--set iRepColumns= 80: not a whole number from 45 to 256"},
    {"iRepColumns", "99999999999", "--set iRepColumns=99999999999: not a whole number from 45 to 256"},
    {"iRepCSVcols", "11", ""},
    {"iRepCSVcols", "600", "--set iRepCSVcols=600: not a whole number from 11 to 599"},
    {"iRepBUT", "2", ""},
    {"iRepBUT", "3", "--set iRepBUT=3: not a whole number from 0 to 2"},
    {"iRepBDI", "2", "--set iRepBDI=2: not a whole number from 0 to 1"},
    {"iRepWordHits", "0", ""},
    {"iUserNameLen", "64", ""},
    {"iUserNameLen", "0", "--set iUserNameLen=0: not a whole number from 1 to 64"},
    {"bRepSplit", "yes", ""},
    {"bRepSplit", "Yes", "--set bRepSplit=Yes: not yes or no"},
    {"bRepCacheReport", "", "--set bRepCacheReport=: not yes or no"},
    {"sRepTitle", "", ""},
    {"sRepTitle", "two\nlines", "--set sRepTitle=two\nlines: not a text without line ends"},
    {"sRepSeperator", kLongText.c_str(), nullptr},
    {"iSizeHitGrade", "4", ""},
    {"iSizeHitGrade", "5", "--set iSizeHitGrade=5: not a hit grade from 0 to 4"},
    {"sRepFileName", "x.txt", "--set sRepFileName: not a report setting"},
    {"iMonitorMode", "0", "--set iMonitorMode: not a report setting"},
    {"irepcolumns", "80", "--set irepcolumns: not a report setting"},
};

TEST(BatchSettings, HeldToTheScreensBounds)
{
    for (const SettingCase& c : kSettings) {
        ResetSettings();  // four hit sizes
        std::string before = SettingText(c.key);
        std::string problem = SetReportSetting(c.key, c.value);
        if (c.error == nullptr)
            EXPECT_NE(problem.find("longer than 79 characters"), std::string::npos) << c.key;
        else
            EXPECT_EQ(problem, c.error) << c.key << "=" << c.value;
        // A refused value leaves the setting as it was.
        if (!problem.empty()) {
            EXPECT_EQ(SettingText(c.key), before) << c.key;
        }
    }
    ResetSettings();
}

TEST(BatchSettings, TakenInOrder)
{
    ResetSettings();
    for (auto [key, value] : {std::pair<const char*, const char*>{"iRepColumns", "100"},
                              {"sRepTitle", "a=b "},
                              {"bRepSplit", "yes"},
                              {"iRepColumns", "120"},
                              {"iSizeHitGrade", "2"}})
        EXPECT_EQ(SetReportSetting(key, value), "") << key;
    EXPECT_EQ(iRepColumns, 120);
    EXPECT_EQ(sRepTitle, "a=b ");
    EXPECT_TRUE(bRepSplit);
    EXPECT_EQ(iSizeHitGrade, 2);
    // The grade's byte size follows, as on the hit sizes screen.
    EXPECT_EQ(iSizeHitBytes, 250000);
    ResetSettings();
}

}  // namespace
