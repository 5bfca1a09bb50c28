// Reading a gzip log in place, held to the same steps over the unpacked text.
#include <gtest/gtest.h>
#include <fcntl.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "browse/gzipinflate.h"
#include "browse/gzipsource.h"
#include "browse/logreader.h"
#include "browse/opensource.h"
#include "browse/viewmove.h"
#include "frame/message.h"
#include "frame/safefile.h"
#include "support/gzipmaker.h"
#include "support/linereference.h"
#include "support/scanstub.h"
#include "support/smalllog.h"

namespace {

// Log-like text: short lines, now and then one longer than a step.
std::string Lines(size_t bytes, unsigned seed, int longEvery = 60)
{
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < bytes) {
        bool longLine = longEvery > 0 && rng() % longEvery == 0;
        size_t len = longLine ? 2100 + rng() % 3000 : 20 + rng() % 160;
        for (size_t k = 0; k < len; ++k)
            text += static_cast<char>('a' + rng() % 26);
        text += '\n';
    }
    return text;
}

struct GzipCase {
    const char* name;
    std::string gz;
    std::string text;    // what the reader must show
    bool damaged;        // the status line says where the text ends
};

// Cuts text into members at the given offsets (boundaries inside lines).
std::string Members(const std::string& text, const std::vector<size_t>& cuts)
{
    std::string gz;
    size_t from = 0;
    for (size_t cut : cuts) {
        gz += GzipMember(text.substr(from, cut - from));
        from = cut;
    }
    return gz + GzipMember(text.substr(from));
}

std::vector<GzipCase> Cases()
{
    std::vector<GzipCase> cases;
    std::string text = Lines(2500000, 1);
    std::string gz = GzipMember(text);
    cases.push_back({"one member", gz, text, false});
    cases.push_back({"several members, cut inside lines",
                     Members(text, {333333, 1000001, 1700017}), text, false});
    std::string withEmpty = GzipMember("") + GzipMember(text.substr(0, 5000)) + GzipMember("") +
                            GzipMember(text.substr(5000)) + GzipMember("");
    cases.push_back({"empty members between", withEmpty, text, false});
    std::string longLines = Lines(2000000, 2, 1);
    cases.push_back({"long lines only", GzipMember(longLines), longLines, false});
    std::string cut = gz.substr(0, gz.size() * 6 / 10);
    cases.push_back({"truncated in the middle", cut, InflateAll(cut), true});
    std::string corrupt = gz;
    for (size_t i = gz.size() / 2; i < gz.size() / 2 + 64; ++i)
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5a);
    cases.push_back({"corrupt in the middle", corrupt, InflateAll(corrupt), true});
    // A member whose check value is wrong ends the text where it ends,
    // though reads after the index build no longer compute check values.
    std::string members = Members(text, {1000001});
    std::string badCheck = members;
    size_t firstEnd = GzipMember(text.substr(0, 1000001)).size();
    badCheck[firstEnd - 8] = static_cast<char>(badCheck[firstEnd - 8] ^ 1);
    cases.push_back({"wrong check value, first member", badCheck, InflateAll(badCheck), true});
    std::string badLast = members;
    badLast[badLast.size() - 6] = static_cast<char>(badLast[badLast.size() - 6] ^ 1);
    cases.push_back({"wrong check value, last member", badLast, InflateAll(badLast), true});
    cases.push_back({"garbage after the end", gz + std::string(3000, '\0') + "not gzip\n", text, false});
    std::string flat(3000000, 'x');
    cases.push_back({"inflates a thousandfold without a line feed", GzipMember(flat, 9), flat, false});
    return cases;
}

class GzipReadTest : public SmallLogTest {
protected:
    // Every step from many offsets, both ways, and a random walk.
    void Agree(const GzipCase& c)
    {
        Reference ref{c.text, {}};
        ASSERT_EQ(iLogSize, static_cast<int64_t>(c.text.size())) << c.name;
        int64_t size = iLogSize;
        std::mt19937 rng(3);
        for (int i = 0; i < 1500 && size > 0; ++i) {
            int64_t at = static_cast<int64_t>(rng() % static_cast<uint64_t>(size + 1));
            bool next = i % 2 == 0;
            int64_t got = next ? NextLine(at) : PrevLine(at);
            ASSERT_EQ(got, next ? ref.Next(at) : ref.Prev(at)) << c.name << " from " << at;
            ASSERT_EQ(std::string(sCurrentLine), ref.text) << c.name << " from " << at;
        }
        // A walk: mostly back and forth a line or a page at a time, now and
        // then a long jump, as the keys do.
        int64_t at = 0;
        for (int i = 0; i < 4000 && size > 0; ++i) {
            int r = static_cast<int>(rng() % 10);
            if (r == 0)
                at = static_cast<int64_t>(rng() % static_cast<uint64_t>(size));
            bool next = r < 5;
            int64_t got = next ? NextLine(at) : PrevLine(at);
            ASSERT_EQ(got, next ? ref.Next(at) : ref.Prev(at)) << c.name << " walk at " << at;
            ASSERT_EQ(std::string(sCurrentLine), ref.text) << c.name << " walk at " << at;
            at = got;
        }
        // Every line in order, as a scan reads them: the reads go on from
        // one stretch and access point into the next.
        for (int64_t a = 0; a < size;) {
            int64_t b = NextLine(a);
            ASSERT_EQ(b, ref.Next(a)) << c.name << " scan at " << a;
            ASSERT_EQ(std::string(sCurrentLine), ref.text) << c.name << " scan at " << a;
            if (b <= a)
                break;
            a = b;
        }
        // Off the end, the last line and the last page as MeasureLog found them.
        EXPECT_EQ(NextLine(size), 0) << c.name;
        if (size > 0) {
            EXPECT_EQ(iLastLineStart, ref.Prev(size - 1)) << c.name;
        }
    }
};

TEST_F(GzipReadTest, StepsAsOnTheUnpackedFile)
{
    for (const GzipCase& c : Cases()) {
        sStatusMessage.clear();
        Use(c.gz);
        Agree(c);
        std::string told = TakeLogMessage();
        EXPECT_EQ(told.find("damaged") != std::string::npos, c.damaged) << c.name << ": " << told;
        // Again from the kept index, without inflating the whole file.
        CloseLog();
        SwitchLog(1);
        Agree(c);
    }
}

// The cases above are only worth their name when access points fall inside
// lines, and inside lines longer than a step.
TEST_F(GzipReadTest, AccessPointsFallInsideLongAndShortLines)
{
    for (const GzipCase& c : Cases()) {
        if (std::string(c.name) != "one member" && std::string(c.name) != "long lines only")
            continue;
        Write(logFile, c.gz);
        GzipSource source(logFile, OpenRegularRead(logFile));
        source.Complete();
        ASSERT_TRUE(source.Whole());
        const std::vector<GzipPoint>& points = source.Index().points;
        ASSERT_GE(points.size(), 2u) << c.name;
        int insideLine = 0, insideLongLine = 0;
        for (size_t i = 1; i < points.size(); ++i) {
            size_t at = static_cast<size_t>(points[i].out);
            size_t start = c.text.rfind('\n', at - 1);
            start = start == std::string::npos ? 0 : start + 1;
            size_t end = c.text.find('\n', at);
            if (start == at)
                continue;
            ++insideLine;
            insideLongLine += end - start > static_cast<size_t>(kLineMax);
        }
        EXPECT_GT(insideLine, 0) << c.name;
        if (std::string(c.name) == "long lines only") {
            EXPECT_GT(insideLongLine, 0) << c.name;
        }
    }
}

// Reading near any offset inflates from the access point before it only:
// the end of the text costs about one spacing of compressed bytes.
TEST_F(GzipReadTest, ReadingTheEndCostsOneSpacingOfCompressedData)
{
    std::string text = Lines(6000000, 4);
    Write(logFile, GzipMember(text));
    GzipSource source(logFile, OpenRegularRead(logFile));
    source.Complete();
    ASSERT_EQ(source.Size(), static_cast<int64_t>(text.size()));
    char buf[4096];
    ASSERT_EQ(source.ReadAt(source.Size() - 4096, buf, 4096), 4096);
    EXPECT_EQ(std::string(buf, 4096), text.substr(text.size() - 4096));
    EXPECT_LE(source.BytesInflatedFrom(), kPointSpacingIn + 65536);
    // Stepping back over what was inflated on the way costs nothing more.
    int64_t before = source.BytesInflatedFrom();
    int64_t lastPoint = source.Index().points.back().out;
    ASSERT_LT(lastPoint, source.Size() - 8192);
    for (int64_t at = source.Size() - 8192; at >= lastPoint; at -= 4096)
        ASSERT_EQ(source.ReadAt(at, buf, 4096), 4096);
    EXPECT_EQ(source.BytesInflatedFrom(), before);
}

TEST_F(GzipReadTest, OtherCompressorsAreNamedAndNotRead)
{
    struct Case {
        const char* kind;
        std::string head;
    };
    const Case cases[] = {
        {"xz", std::string("\xfd" "7zXZ\0\0\x04", 8)},
        {"bzip2", std::string("BZh91AY&SY\x01\x02", 12)},
        {"bzip2", std::string("BZh9\x17\x72\x45\x38\x50\x90", 10)},
        {"zstd", std::string("\x28\xb5\x2f\xfd\x04\x00", 6)},
        {"compress", std::string("\x1f\x9d\x90\x31", 4)},
    };
    for (const Case& c : cases) {
        sStatusMessage.clear();
        Use(c.head + std::string(5000, 'a') + "\n");
        EXPECT_EQ(iLogSize, 0) << c.kind;
        EXPECT_EQ(NextLine(0), 0) << c.kind;
        EXPECT_EQ(TakeLogMessage(), std::string("Log is compressed with ") + c.kind +
                                      ": only gzip is read in place");
    }
    // Text that only looks a little like them is a plain log.
    for (const char* plain : {"BZh is not enough\n", "\x1f\n", "7zXZ\n"}) {
        Use(plain);
        EXPECT_EQ(iLogSize, static_cast<int64_t>(strlen(plain))) << plain;
    }
}

// A stopped first reading leaves the part read so far to browse; what needs
// the end reads on from where it stopped.
TEST_F(GzipReadTest, AStoppedReadingShowsThePartAndGoesOnWhenTheEndIsWanted)
{
    std::string text = Lines(3000000, 5);
    Write(logFile, GzipMember(text));
    iMonitorMode = 1;
    InstallStopAfter(20);
    SwitchLog(1);
    RemoveScanStub();
    ASSERT_FALSE(LogIsWhole());
    ASSERT_GT(iLogSize, 0);
    ASSERT_LT(iLogSize, static_cast<int64_t>(text.size()));
    EXPECT_EQ(iTopOffset, 0); // the beginning, not the unknown end
    Reference ref{text, {}};
    for (int64_t a = 0; a < iLastLineStart;) {
        int64_t b = NextLine(a);
        ASSERT_EQ(b, ref.Next(a));
        ASSERT_EQ(std::string(sCurrentLine), ref.text);
        a = b;
    }
    int64_t part = iLogSize;
    MoveView(eMoveEnd);
    EXPECT_TRUE(LogIsWhole());
    EXPECT_EQ(iLogSize, static_cast<int64_t>(text.size()));
    EXPECT_GT(iLogSize, part);
    EXPECT_EQ(iTopOffset, iEndTop);
    EXPECT_EQ(iLastLineStart, ref.Prev(iLogSize - 1));
}

// A .gz that changes is read again from scratch: never followed as growing.
TEST_F(GzipReadTest, AChangedFileIsReadAfresh)
{
    std::string first = Lines(100000, 6);
    Use(GzipMember(first));
    ASSERT_EQ(iLogSize, static_cast<int64_t>(first.size()));
    std::string second = Lines(150000, 7);
    Write(logFile, GzipMember(second));
    EXPECT_TRUE(LogChanged());
    MeasureLog();
    EXPECT_EQ(iLogSize, static_cast<int64_t>(second.size()));
    Reference ref{second, {}};
    EXPECT_EQ(NextLine(0), ref.Next(0));
    // Replaced by a plain file under the same name.
    Write(logFile + ".new", "plain\n");
    ASSERT_EQ(rename((logFile + ".new").c_str(), logFile.c_str()), 0);
    MeasureLog();
    EXPECT_EQ(iLogSize, 6);
    EXPECT_EQ(NextLine(0), 6);
    EXPECT_STREQ(sCurrentLine, "plain");
}

} // namespace
