#include "entries/results.h"

#include <gtest/gtest.h>

#include <string>

#include "entries/fields.h"
#include "entries/texts.h"

namespace {

class ResultsTest : public ::testing::Test {
protected:
    void SetUp() override { DetectLayout("1 2 10.0.0.7 TCP_MISS/200 5 GET http://h/ -"); }

    // Class mark of a plain log line carrying the given result field.
    static char Mark(const std::string& result)
    {
        std::string line = "1286536308.779 245 10.0.0.7 " + result + " 512 GET http://h/ -\n";
        return ClassifyResult(line.c_str());
    }
};

TEST_F(ResultsTest, EveryListedTagHasItsMark)
{
    const struct {
        const char* tag;
        char mark;
    } table[] = {
        {"TCP_HIT", 'H'},          {"TCP_IMS_HIT", 'I'},          {"TCP_REFRESH_HIT", 'R'},
        {"TCP_REFRESH_UNMODIFIED", 'R'}, {"TCP_NEGATIVE_HIT", 'N'}, {"TCP_MEM_HIT", 'M'},
        {"TCP_HIT_ABORTED", 'A'},  {"TCP_REFRESH_FAIL_OLD", 'F'}, {"TCP_INM_HIT", 'U'},
        {"TCP_MISS", ' '},         {"TCP_REFRESH_MISS", 'm'},     {"TCP_REFRESH_MODIFIED", 'm'},
        {"TCP_CLIENT_REFRESH", 'r'}, {"TCP_CLIENT_REFRESH_MISS", 'c'}, {"TCP_MISS_ABORTED", 'a'},
        {"TCP_SWAPFAIL_MISS", 'f'}, {"TCP_TUNNEL", 't'},          {"TCP_REDIRECT", 'o'},
        {"TCP_DENIED", 'd'},       {"TAG_NONE", '0'},             {"NONE", '0'},
    };
    for (const auto& row : table) {
        EXPECT_EQ(Mark(std::string(row.tag) + "/200"), row.mark) << row.tag;
        // The status after the '/' plays no part.
        EXPECT_EQ(Mark(std::string(row.tag) + "/"), row.mark) << row.tag;
        EXPECT_EQ(Mark(std::string(row.tag) + "/000/x"), row.mark) << row.tag;
    }
}

TEST_F(ResultsTest, LookAlikeTagsAreUnknown)
{
    EXPECT_EQ(Mark("TCP_HIT_ABORTED/000"), 'A');
    EXPECT_EQ(Mark("TCP_CLIENT_REFRESH_MISS/200"), 'c');
    EXPECT_EQ(Mark("TCP_MISS_ABORTED/000"), 'a');
    EXPECT_EQ(Mark("TCP_HITS/200"), '?');
    EXPECT_EQ(Mark("TCP_HI/200"), '?');
    EXPECT_EQ(Mark("TCP_MISS_X/200"), '?');
    EXPECT_EQ(Mark("XTCP_HIT/200"), '?');
    EXPECT_EQ(Mark("TCP_DENIED_REPLY/403"), '?');
    EXPECT_EQ(Mark("NONE_NONE/000"), '?');
    EXPECT_EQ(Mark("tcp_hit/200"), '?');
    EXPECT_EQ(Mark("Tcp_Denied/407"), '?');
    EXPECT_EQ(Mark("/200"), '?');
}

TEST_F(ResultsTest, FieldWithoutSlashIsBlank)
{
    EXPECT_EQ(Mark("TCP_HIT"), ' ');
    EXPECT_EQ(Mark("TCP_DENIED"), ' ');
    EXPECT_EQ(Mark("garbage"), ' ');
    EXPECT_EQ(ClassifyResult(""), ' ');
    EXPECT_EQ(ClassifyResult("1 2 3"), ' ');
    EXPECT_EQ(ClassifyResult("1 2 3 TCP_HIT\r/200"), ' ');
}

TEST_F(ResultsTest, PrefixedLayoutReadsItsOwnField)
{
    const char* line = "Oct 5 14:03:28 host squid[1]: 1286536308.779 245 10.0.0.7 TCP_DENIED/407 0 GET u -";
    DetectLayout(line);
    EXPECT_EQ(ClassifyResult(line), 'd');
}

} // namespace
