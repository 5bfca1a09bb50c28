#include "history/history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/logfixture.h"
#include "support/scanstub.h"
#include "entries/fields.h"
#include "entries/texts.h"

namespace {

const int64_t kTime = 1286536308;

class HistoryTest : public LogFixture {
protected:
    UserHistory history;
    std::vector<int64_t> at; // offset of each line of the log

    void SetUp() override
    {
        LogFixture::SetUp();
        InstallStopAfter(0);
    }

    // A log whose line i belongs to users[i] (URL /p<i>).
    void MakeLog(const std::vector<std::string>& users)
    {
        std::string log;
        at.clear();
        for (size_t i = 0; i < users.size(); ++i) {
            at.push_back(static_cast<int64_t>(log.size()));
            log += Line(kTime + static_cast<int64_t>(i), users[i], 100, "TCP_MISS/200",
                        "http://h.example.com/p" + std::to_string(i));
        }
        at.push_back(static_cast<int64_t>(log.size()));
        Use(log);
    }

    // Line numbers of the entries.
    std::string Entries() const
    {
        std::string out;
        for (int64_t offset : history.vOffsets)
            for (size_t i = 0; i < at.size(); ++i)
                if (at[i] == offset)
                    out += std::to_string(i) + " ";
        return out;
    }
};

std::vector<std::string> Users(const std::string& pattern)
{
    std::vector<std::string> users;
    for (char c : pattern)
        users.push_back(c == 'b' ? "bob" : "ann");
    return users;
}

TEST_F(HistoryTest, FillsBackwardsFromTheEndAndGrowsForwardsAsTheLogGrows)
{
    MakeLog(Users("abab"));
    history.Start("bob", 24);
    EXPECT_EQ(Entries(), "1 3 ");
    EXPECT_EQ(history.iBackAt, 0);
    history.Move(eMoveDown);
    EXPECT_EQ(history.iSelected, 1);
    history.Move(eMoveDown); // past the last line of the log: nothing
    EXPECT_EQ(history.iSelected, 1);
    EXPECT_EQ(Entries(), "1 3 ");

    Append(Line(kTime + 9, "bob", 5));
    history.Refresh(24);
    history.Move(eMoveDown);
    EXPECT_EQ(history.iCount, 3);
    EXPECT_EQ(history.iSelected, 2);

    // A wipe rebuilds from the start of the log, first line included.
    history.Wipe();
    history.Refresh(24);
    history.Move(eMoveDown);
    EXPECT_EQ(Entries(), "1 ");
    EXPECT_EQ(history.iSelected, 0);

    // Names are compared exactly: GetUser gives lower case.
    UserHistory capitals;
    capitals.Start("BOB", 24);
    EXPECT_TRUE(capitals.vOffsets.empty());
}

// The backward scan examines the log's first line before it ends at the
// start; a line found there ends backward scanning for good.
TEST_F(HistoryTest, TheBackwardScanFindsTheFirstLineOfTheLog)
{
    const struct {
        const char* pattern;
        const char* entries;
        std::vector<int> results;  // of the scans after the start
    } cases[] = {
        {"b", "0 ", {0}},
        {"ba", "0 ", {0}},
        {"bab", "0 2 ", {0}},
        {"ab", "1 ", {0}},
        {"bb", "0 1 ", {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        MakeLog(Users(c.pattern));
        history = UserHistory();
        history.Start("bob", 24);
        EXPECT_EQ(Entries(), c.entries);
        EXPECT_EQ(history.iBackAt, 0);
        std::vector<int> results;
        for (size_t i = 0; i < c.results.size(); ++i)
            results.push_back(history.ScanBack());
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(Entries(), c.entries);
    }
}

TEST_F(HistoryTest, EachScanGivesUpAfterMeetingOneThousandAndOneOtherLines)
{
    struct Case {
        int others;
        std::vector<int> back, forward;
    };
    const Case cases[] = {
        {1000, {1, 1, 0}, {1, 1, 0}},
        {1001, {1, -1, 1, 0}, {1, -1, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.others);
        MakeLog(Users("ab" + std::string(static_cast<size_t>(c.others), 'a') + "b"));
        history = UserHistory();
        history.sUser = "bob";
        history.Refresh(24);
        history.iBackAt = -1;
        history.iForwardAt = history.iSizeSeen;
        std::vector<int> back, forward;
        for (size_t i = 0; i < c.back.size(); ++i)
            back.push_back(history.ScanBack());
        EXPECT_EQ(back, c.back);
        EXPECT_EQ(Entries(), "1 " + std::to_string(c.others + 2) + " ");
        history.Wipe();
        history.Refresh(24);
        for (size_t i = 0; i < c.forward.size(); ++i)
            forward.push_back(history.ScanForward());
        EXPECT_EQ(forward, c.forward);
        EXPECT_EQ(Entries(), "1 " + std::to_string(c.others + 2) + " ");
    }
}

TEST_F(HistoryTest, TheTwoHundredEntryWindowSlidesBothWays)
{
    MakeLog(Users("a" + std::string(250, 'b')));
    history.Start("bob", 24);
    EXPECT_EQ(history.iCount, 22);
    while (history.ScanBack() != 0) {
    }
    ASSERT_EQ(history.vOffsets.size(), 200u);
    EXPECT_EQ(history.vOffsets.front(), at[1]);
    EXPECT_EQ(history.vOffsets.back(), at[200]);
    EXPECT_EQ(history.iForwardAt, at[201]);

    // Down past the last entry of a full list: the window moves under the
    // cursor, which stays where it is.
    history.Refresh(24);
    history.Move(eMoveEnd);
    int top = history.iTop, cursor = history.iCursor;
    history.Move(eMoveDown);
    EXPECT_EQ(history.iTop, top);
    EXPECT_EQ(history.iCursor, cursor);
    EXPECT_EQ(history.vOffsets.front(), at[2]);
    EXPECT_EQ(history.vOffsets.back(), at[201]);
    EXPECT_EQ(history.iBackAt, at[2]);

    // Up past the first entry finds the dropped line again and drops the
    // newest, whose line the forward scan will find again.
    history.Move(eMoveHome);
    history.Move(eMoveUp);
    EXPECT_EQ(history.vOffsets.front(), at[1]);
    EXPECT_EQ(history.vOffsets.back(), at[200]);
    EXPECT_EQ(history.iForwardAt, at[201]);
    EXPECT_EQ(history.ScanForward(), 0);
    EXPECT_EQ(history.vOffsets.back(), at[201]);
}

TEST_F(HistoryTest, AShrunkenLogEmptiesTheListAndAStopEndsTheScan)
{
    MakeLog(Users("abab"));
    history.Start("bob", 24);
    ASSERT_EQ(Entries(), "1 3 ");
    Rewrite(Line(kTime, "bob", 1));
    history.Refresh(24);
    EXPECT_TRUE(history.vOffsets.empty());
    EXPECT_EQ(history.iBackAt, 0);
    EXPECT_EQ(history.iForwardAt, 0);
    history.Refresh(24);
    history.Move(eMoveDown);
    EXPECT_EQ(history.vOffsets, std::vector<int64_t>{0});

    MakeLog(Users("baaaa"));
    history = UserHistory();
    history.Start("bob", 24);
    history.Wipe();
    history.Refresh(24);
    history.iForwardAt = at[1];
    InstallStopAfter(2);
    EXPECT_EQ(history.ScanForward(), -2);
    EXPECT_EQ(history.iForwardAt, at[3]);
}

TEST_F(HistoryTest, ScreenRowsAndStatusLine)
{
    std::vector<std::string> users = Users("abab");
    MakeLog(users);
    Append(Line(kTime + 7, "bob", 100, "TCP_HIT/200", "ftp://files.example.com/very/long/path/file.iso"));
    history.Start("bob", 6);
    history.Move(eMoveEnd);
    int64_t selectedTime = 0;
    std::vector<std::string> rows = history.ScreenRows(41, selectedTime);
    const std::vector<std::string> expected = {
        "One user history: bob                   ",
        "     h.example.com/p1                   ",
        "     h.example.com/p3                   ",
        "  H  files.example.com/ong/path/file.iso",
        "                                        ",
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(selectedTime, kTime + 7);
    EXPECT_EQ(history.StatusText(41, selectedTime), "(0.00% to 100.00%) 100.00% " +
                                                        TimeText(kTime + 7).substr(0, 2) + " | h = help");
    EXPECT_EQ(history.StatusText(61, 0), "(0.00% to 100.00%) 100.00%" + std::string(23, ' ') + " | h = help");
}

} // namespace
