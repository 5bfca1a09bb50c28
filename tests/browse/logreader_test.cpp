#include "browse/logreader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fcntl.h>

#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "frame/settings.h"
#include "report/range.h"
#include "support/linereference.h"
#include "support/smalllog.h"

namespace {

using LogReaderTest = SmallLogTest;

TEST_F(LogReaderTest, StepsForwardThroughShortLines)
{
    Use("ab\ncd\n");
    EXPECT_EQ(iLogSize, 6);
    EXPECT_EQ(NextLine(0), 3);
    EXPECT_STREQ(sCurrentLine, "ab");
    EXPECT_EQ(NextLine(3), 6);
    EXPECT_STREQ(sCurrentLine, "cd");
    EXPECT_EQ(NextLine(6), 0);
    EXPECT_STREQ(sCurrentLine, "");
}

TEST_F(LogReaderTest, KeepsEveryByteOfALastLineWithoutLineFeed)
{
    Use("ab\ncd");
    EXPECT_EQ(NextLine(3), 5);
    EXPECT_STREQ(sCurrentLine, "cd");
}

TEST_F(LogReaderTest, SplitsAnOverLongLineWithoutLosingBytes)
{
    std::string longLine(3000, 'x');
    longLine[2047] = 'y';
    longLine[2048] = 'z';
    Use(longLine + "\nnext\n");
    EXPECT_EQ(NextLine(0), 2048);
    EXPECT_EQ(std::string(sCurrentLine).size(), 2048u);
    EXPECT_EQ(sCurrentLine[2047], 'y');
    EXPECT_EQ(NextLine(2048), 3001);
    EXPECT_EQ(std::string(sCurrentLine).size(), 952u);
    EXPECT_EQ(sCurrentLine[0], 'z');
    EXPECT_EQ(NextLine(3001), 3006);
    EXPECT_STREQ(sCurrentLine, "next");
}

TEST_F(LogReaderTest, StepsBackOverEmptyLinesAndNearTheStart)
{
    Use("first\n\nthird\n");
    EXPECT_EQ(PrevLine(7), 6);
    EXPECT_STREQ(sCurrentLine, "\n");
    EXPECT_EQ(PrevLine(6), 0);
    EXPECT_EQ(PrevLine(0), 0);
}

// A first line of 0 to 2 bytes is a line like any other: stepping back from
// the second line gives 0, and every line before an offset is reached.
TEST_F(LogReaderTest, StepsBackOntoAShortFirstLine)
{
    struct Case {
        const char* log;
        int64_t from;
        int64_t to;
        const char* text;
    };
    const Case cases[] = {
        {"ab\ncd\n", 3, 0, ""},
        {"ab\ncd\n", 6, 3, "cd\n"},
        {"a\nb\n", 2, 0, ""},
        {"a\nb\n", 3, 2, "b"},
        {"\nab\n", 1, 0, ""},
        {"\nab\ncd\n", 4, 1, "ab\n"},
        {"\n\n\n\n", 3, 2, "\n"},
        {"\n\n\n\n", 2, 1, "\n"},
        {"\r\n\r\n\r\n", 2, 0, ""},
        {"\r\n\r\n\r\n", 4, 2, "\r\n"},
        {"x", 1, 0, ""},
    };
    for (const Case& c : cases) {
        Use(c.log);
        EXPECT_EQ(PrevLine(c.from), c.to) << c.log << " from " << c.from;
        EXPECT_EQ(std::string(sCurrentLine), c.text) << c.log << " from " << c.from;
    }
    // The last line's start, which Up and End rely on.
    Use("a\nb\n");
    EXPECT_EQ(iLastLineStart, 2);
    Use("\nab\n");
    EXPECT_EQ(iLastLineStart, 1);
}

TEST_F(LogReaderTest, MeasuresPagesAndLimitsTheCursor)
{
    Use("l1\nl2\nl3\nl4\nl5\n");
    EXPECT_EQ(iEndTop, 0);
    EXPECT_EQ(iMaxRow, 4);
    Use("l1\nl2\nl3\nl4\nl5\nl6\n");
    EXPECT_EQ(iEndTop, 3);
    EXPECT_EQ(iMaxRow, 4);
    EXPECT_EQ(iLastLineStart, 15);
    Use("");
    EXPECT_EQ(iLogSize, 0);
    EXPECT_EQ(iMaxRow, 0);
    EXPECT_EQ(iEndTop, 0);
    EXPECT_EQ(iLastLineStart, 0);
}

TEST_F(LogReaderTest, SwitchLogPutsTheViewByMonitorModeAndClearsTheRange)
{
    Write(logFile, "l1\nl2\nl3\nl4\nl5\nl6\nl7\n");
    iMonitorMode = 1;
    // A range marked on one log is not applied to another.
    iRepStart = 3;
    iRepFinish = 9;
    SwitchLog(2);
    EXPECT_EQ(iRepStart, 0);
    EXPECT_EQ(iRepFinish, 0);
    EXPECT_STREQ(sCurrentLogName, "Sec");
    EXPECT_EQ(iCurrentLog, 2);
    EXPECT_EQ(iTopOffset, iEndTop);
    EXPECT_EQ(iCursorRow, iMaxRow);
    iMonitorMode = 0;
    SwitchLog(3); // no link: an empty log
    EXPECT_STREQ(sCurrentLogName, "Tri");
    EXPECT_EQ(iLogSize, 0);
    EXPECT_EQ(NextLine(0), 0);
    EXPECT_EQ(iTopOffset, 0);
}

TEST_F(LogReaderTest, ShowOffsetCentresALineWhenItCan)
{
    std::string log;
    for (int i = 0; i < 40; ++i)
        log += "line" + std::to_string(100 + i) + "\n";
    Use(log);
    ShowOffset(0);
    EXPECT_EQ(iTopOffset, 0);
    EXPECT_EQ(iCursorRow, 0);
    ShowOffset(8 * 20);
    EXPECT_EQ(iCursorRow, iMaxRow / 2);
    EXPECT_EQ(iTopOffset, 8 * 20 - 8 * (iMaxRow / 2));
    ShowOffset(8 * 39); // on the last page
    EXPECT_EQ(iTopOffset, iEndTop);
    EXPECT_EQ(iCursorRow, iMaxRow);
}

TEST_F(LogReaderTest, ReadAheadAgreesWithPlainReadsEverywhere)
{
    std::mt19937 rng(7);
    Reference ref;
    for (int i = 0; i < 6000; ++i) {
        int kind = static_cast<int>(rng() % 50);
        size_t len = kind == 0 ? 2000 + rng() % 3000 : rng() % 200;
        for (size_t k = 0; k < len; ++k)
            ref.data += static_cast<char>(kind == 1 ? rng() % 256 : 'a' + rng() % 26);
        ref.data += '\n';
    }
    Use(ref.data);
    ASSERT_EQ(iLogSize, static_cast<int64_t>(ref.data.size()));
    // Forwards over the whole file, then backwards, then random hops.
    for (int64_t a = 0, b = 0; ; a = b) {
        b = NextLine(a);
        int64_t expect = ref.Next(a);
        ASSERT_EQ(b, expect) << "at " << a;
        ASSERT_EQ(std::string(sCurrentLine), ref.text.substr(0, ref.text.find('\0')));
        if (b == 0)
            break;
    }
    for (int64_t a = iLogSize; a > 0;) {
        int64_t b = PrevLine(a);
        ASSERT_EQ(b, ref.Prev(a)) << "at " << a;
        ASSERT_EQ(std::string(sCurrentLine), ref.text.substr(0, ref.text.find('\0')));
        if (b == a)
            break;
        a = b;
    }
    for (int i = 0; i < 3000; ++i) {
        int64_t at = static_cast<int64_t>(rng() % ref.data.size());
        if (i % 2 == 0) {
            ASSERT_EQ(NextLine(at), ref.Next(at));
        } else {
            ASSERT_EQ(PrevLine(at), ref.Prev(at));
        }
    }
}

TEST_F(LogReaderTest, SeesAppendedTruncatedAndReplacedLogs)
{
    Use("one\ntwo\n");
    EXPECT_EQ(NextLine(4), 8);
    WriteWholeFile(logFile, "three\n", true);
    MeasureLog();
    EXPECT_EQ(iLogSize, 14);
    EXPECT_EQ(NextLine(8), 14);
    EXPECT_STREQ(sCurrentLine, "three");
    Write(logFile, "x\n");
    MeasureLog();
    EXPECT_EQ(iLogSize, 2);
    EXPECT_EQ(NextLine(0), 2);
    EXPECT_STREQ(sCurrentLine, "x");
    // Rotation: the link's file is renamed away and a new one takes its place.
    ASSERT_EQ(rename(logFile.c_str(), (logFile + ".1").c_str()), 0);
    Write(logFile, "rotated\n");
    MeasureLog();
    EXPECT_EQ(NextLine(0), 8);
    EXPECT_STREQ(sCurrentLine, "rotated");
    unlink(logFile.c_str());
    MeasureLog();
    EXPECT_EQ(iLogSize, 0);
    EXPECT_EQ(NextLine(0), 0);
}

// Sets a file's modification time to the given second.
void SetMtime(const std::string& path, time_t seconds)
{
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(LogReaderTest, SameSizeChangesAreSeenAndTheViewStays)
{
    const std::string before = "ddd\nddd\nddd\nddd\nddd\nddd\nddd\n";
    const std::string after = "eee\neee\neee\neee\neee\neee\neee\n";
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"rewritten in place, later time",
         [&] {
             std::fstream out(logFile, std::ios::binary | std::ios::in | std::ios::out);
             out << after;
             out.close();
             SetMtime(logFile, 2000000000);
         }},
        {"replaced by another file of the same size and time",
         [&] {
             Write(logFile + ".new", after);
             SetMtime(logFile + ".new", 1000000000);
             ASSERT_EQ(rename((logFile + ".new").c_str(), logFile.c_str()), 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(logFile, before);
        SetMtime(logFile, 1000000000);
        SwitchLog(1);
        iScreenKey = -1;
        RefreshLogState(80, 4);
        iTopOffset = 8;
        iCursorRow = 1;
        EXPECT_EQ(NextLine(8), 12);
        EXPECT_STREQ(sCurrentLine, "ddd");
        c.change();
        EXPECT_FALSE(RefreshLogState(80, 4));
        EXPECT_EQ(NextLine(8), 12);
        EXPECT_STREQ(sCurrentLine, "eee");
        EXPECT_EQ(iTopOffset, 8);
        EXPECT_EQ(iCursorRow, 1);
    }
}

TEST_F(LogReaderTest, ScreenChangesResetTheView)
{
    Use("l1\nl2\nl3\nl4\nl5\nl6\nl7\nl8\n");
    iScreenKey = -1;
    EXPECT_TRUE(RefreshLogState(80, 4));
    EXPECT_EQ(iPageRows, 3);
    EXPECT_EQ(iTopOffset, 0);
    EXPECT_FALSE(RefreshLogState(80, 4));
    // A terminal without room for a log row must not break the measures.
    EXPECT_TRUE(RefreshLogState(20, 1));
    EXPECT_EQ(iPageRows, 0);
    EXPECT_GE(iMaxRow, 0);
    EXPECT_EQ(iCursorRow, 0);
}

} // namespace
