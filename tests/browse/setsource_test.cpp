// A set of files read as one log, held to the plain file of their
// concatenation (what `zcat -f` of the same files in the same order makes):
// every step both ways, and the tally across rotations in every order.
#include "browse/setsource.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "browse/logreader.h"
#include "browse/opensource.h"
#include "frame/message.h"
#include "frame/safefile.h"
#include "support/gzipmaker.h"
#include "support/logfixture.h"
#include "support/scanstub.h"
#include "tally/tally.h"

namespace {

using Steps = std::vector<std::pair<int64_t, std::string>>;

// What the tally counted for each user, in the order of the names.
std::string Totals(const TallyMode& tally)
{
    std::vector<std::string> rows;
    for (const TallyRecord& r : tally.vTally)
        rows.push_back(r.sUser + " " + std::to_string(r.iRequests) + " " + std::to_string(r.iBytes) + " " +
                       std::to_string(r.iUrlSize) + " " + std::to_string(r.iLastTime));
    std::sort(rows.begin(), rows.end());
    std::string out;
    for (const std::string& row : rows)
        out += row + "\n";
    return out;
}

class SetSourceTest : public LogFixture {
protected:
    std::string dir;
    std::string oracle;

    void SetUp() override
    {
        LogFixture::SetUp();
        InstallStopAfter(0);
        dir = home + "/squid";
        oracle = home + "/concatenation.log";
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        Relink(sLogPath1, dir);
        Relink(sLogPath2, oracle);
    }
    static void Relink(const std::string& link, const std::string& target)
    {
        unlink(link.c_str());
        ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    }
    void File(const std::string& name, const std::string& text) { Write(dir + "/" + name, text); }

    // Every line from the start with NextLine, then from the end with PrevLine.
    static Steps Walk()
    {
        Steps steps;
        for (int64_t at = 0;;) {
            int64_t next = NextLine(at);
            if (next <= at)
                break;
            steps.emplace_back(at, sCurrentLine);
            at = next;
        }
        for (int64_t at = iLogSize; at > 0;) {
            int64_t prev = PrevLine(at);
            if (prev >= at)
                break;
            steps.emplace_back(prev, sCurrentLine);
            at = prev;
        }
        return steps;
    }
};

TEST_F(SetSourceTest, StepsOverTheSetAsOverTheConcatenation)
{
    struct Case {
        const char* name;
        // In the order the set must take; a name ending in .gz is written
        // compressed.
        std::vector<std::pair<std::string, std::string>> files;
    };
    const Case cases[] = {
        {"Rotation", {{"access.log.3.gz", Line(50, "ann", 1) + Line(51, "ann", 2)},
                      {"access.log.2", Line(100, "ann", 1) + Line(101, "bob", 2)},
                      {"access.log.1", Line(200, "carl", 3)},
                      {"access.log", Line(300, "ann", 4) + Line(301, "dora", 5)}}},
        {"EmptyLiveFileLast", {{"access.log.1", Line(200, "carl", 3) + Line(201, "carl", 3)},
                               {"access.log", ""}}},
        // The last line of .1 has no line feed: it runs on into the first
        // line of the next file, as in the concatenation.
        {"NoFinalLineFeed", {{"access.log.2", Line(100, "ann", 1)},
                             {"access.log.1", Line(200, "bob", 2) + "1286536308.779 1 10.0.0.9 TCP_MISS/200 7"},
                             {"access.log", Line(300, "carl", 3)}}},
        // Times that overlap keep the order of the first requests; equal
        // first times put the higher number first.
        {"OverlappingTimes", {{"access.log.3", Line(100, "ann", 1) + Line(500, "ann", 1)},
                              {"access.log.2", Line(150, "carl", 3)},
                              {"access.log.1", Line(150, "bob", 2) + Line(120, "bob", 2)},
                              {"access.log", Line(400, "dora", 4)}}},
        // Blank lines, even before a file's first request.
        {"ManyEmptyLines", {{"access.log.1", Line(100, "ann", 1) + "\n\n\n"}, {"access.log", "\n" + Line(200, "b", 2)}}},
    };
    // More compressed files than the set keeps open, each of several
    // stretches: a walk both ways closes and opens their sources again and
    // again, and they take over the memory of the closed ones.
    Case many{"ManyCompressedFiles", {}};
    for (int f = 5; f >= 1; --f) {
        std::string text;
        for (int k = 0; k < 2500; ++k)
            text += Line(1000 * (6 - f) + k, "u" + std::to_string(k % 37), k);
        many.files.emplace_back("access.log." + std::to_string(f) + ".gz", text);
    }
    many.files.emplace_back("access.log", Line(9000, "ann", 1));
    std::vector<Case> all(std::begin(cases), std::end(cases));
    all.push_back(many);
    for (const Case& c : all) {
        SCOPED_TRACE(c.name);
        std::string all;
        for (const auto& [name, text] : c.files) {
            bool gz = name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0;
            File(name, gz ? GzipMember(text) : text);
            all += text;
        }
        Write(oracle, all);
        SwitchLog(2);
        int64_t size = iLogSize;
        Steps expected = Walk();
        SwitchLog(1);
        EXPECT_EQ(iLogSize, size);
        EXPECT_EQ(Walk(), expected);
        for (const auto& [name, text] : c.files)
            unlink((dir + "/" + name).c_str());
    }
}

TEST_F(SetSourceTest, OnlyLogsAreMembersAndBadFilesAreNamedOnce)
{
    File("access.log.1", Line(100, "ann", 1));
    File("access.log", "");
    File("cache.log", "2026/12/10 10:00:00 kid1| Starting Squid\n");
    File("store.log", "");
    File("access.log.2.bz2", "BZh91AY&SY garbage");
    std::unique_ptr<SetSource> set = SetSource::OfDirectory(dir, [](const std::string& path) {
        return OpenLogSource(path);
    });
    std::vector<std::string> names;
    for (const SetMember& m : set->Members())
        names.push_back(m.path.substr(dir.size() + 1));
    EXPECT_EQ(names, (std::vector<std::string>{"access.log.1", "access.log"}));
    EXPECT_EQ(set->TakeMessage(), "Left out of the set: access.log.2.bz2 (compressed, not read in place)");
    // A report is never written over a file of the set; beside it, it may be.
    std::string why;
    EXPECT_LT(OpenRegularWrite(dir + "/access.log.1", O_WRONLY | O_TRUNC, &why), 0);
    EXPECT_EQ(ReadWholeFile(dir + "/access.log.1"), Line(100, "ann", 1));
    int fd = OpenRegularWrite(dir + "/report.txt", O_WRONLY | O_CREAT | O_TRUNC, &why);
    EXPECT_GT(fd, 0) << why;
    close(fd);
    set->Take(set->Look());
    EXPECT_EQ(set->TakeMessage(), "");

    // Named files: every one is meant, so one that is not a log is named.
    std::unique_ptr<SetSource> named = SetSource::OfFiles(
        {dir + "/access.log.1", dir + "/cache.log", dir + "/gone.log", dir + "/access.log"},
        [](const std::string& path) { return OpenLogSource(path); });
    EXPECT_EQ(named->Members().size(), 2u);
    EXPECT_EQ(named->TakeMessage(), "Left out of the set: cache.log (not a log)");

    File("access.log.1", "");
    File("access.log", "");
    EXPECT_FALSE(LogHasFiles(dir));
}

// The tally goes on across each order of rename, compress and remove, with
// requests written between the steps: its totals are one pass over every
// line the set held.
TEST_F(SetSourceTest, TallyCountsEachLineOnceThroughEveryRotationOrder)
{
    enum Step { kRename, kCreate, kCompress, kRemoveOldest, kWrite };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"RenameCreateCompressRemove", {kWrite, kRename, kWrite, kCreate, kWrite, kCompress, kRemoveOldest, kWrite}},
        {"RemoveFirst", {kRemoveOldest, kWrite, kRename, kCreate, kCompress, kWrite}},
        {"CompressBeforeCreate", {kRename, kWrite, kCompress, kWrite, kCreate, kRemoveOldest, kWrite}},
    };
    const char* users[] = {"ann", "bob", "carl"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"access.log", "access.log.1", "access.log.2", "access.log.2.gz", "access.log.3.gz"})
            unlink((dir + "/" + name).c_str());
        int t = 1004;
        std::string removed;
        std::map<std::string, std::string> texts; // of the compressed files
        texts["access.log.2.gz"] = Line(1000, "ann", 10) + Line(1001, "bob", 20);
        File("access.log.2.gz", GzipMember(texts["access.log.2.gz"]));
        File("access.log.1", Line(1002, "carl", 30));
        File("access.log", Line(1003, "ann", 40));
        SwitchLog(1);
        TallyMode& tally = SharedTally();
        tally.Refresh(24);
        tally.Gather(tally.iGathered, tally.iSizeSeen);
        // The live file is written to wherever it is: before the proxy
        // reopens its log, that is access.log.1.
        std::string live = "access.log";
        for (Step step : c.steps) {
            switch (step) {
            case kRename:
                rename((dir + "/access.log.1").c_str(), (dir + "/access.log.2").c_str());
                rename((dir + "/access.log").c_str(), (dir + "/access.log.1").c_str());
                live = "access.log.1";
                break;
            case kCreate:
                File("access.log", "");
                live = "access.log";
                break;
            case kCompress: {
                rename((dir + "/access.log.2.gz").c_str(), (dir + "/access.log.3.gz").c_str());
                texts["access.log.3.gz"] = texts["access.log.2.gz"];
                std::string text = ReadWholeFile(dir + "/access.log.2");
                unlink((dir + "/access.log.2").c_str());
                File("access.log.2.gz", GzipMember(text));
                texts["access.log.2.gz"] = text;
                break;
            }
            case kRemoveOldest: {
                std::string path = access((dir + "/access.log.3.gz").c_str(), F_OK) == 0 ? dir + "/access.log.3.gz"
                                                                                         : dir + "/access.log.2.gz";
                removed += texts[path.substr(dir.size() + 1)];
                unlink(path.c_str());
                break;
            }
            case kWrite:
                WriteWholeFile(dir + "/" + live, Line(t, users[t % 3], t % 7 * 100), true);
                ++t;
                break;
            }
            tally.Refresh(24);
            tally.Gather(tally.iGathered, tally.iSizeSeen);
        }
        std::string counted = Totals(tally);
        // One pass over every line the set held.
        std::string final;
        SwitchLog(1);
        std::unique_ptr<SetSource> set = SetSource::OfDirectory(dir, [](const std::string& p) { return OpenLogSource(p); });
        for (const SetMember& m : set->Members()) {
            std::string name = m.path.substr(dir.size() + 1);
            final += texts.count(name) ? texts[name] : ReadWholeFile(m.path);
        }
        Write(oracle, removed + final);
        SwitchLog(2);
        TallyMode once;
        once.Gather(0, iLogSize);
        EXPECT_EQ(counted, Totals(once));
        SharedTally().Wipe();
    }
}

} // namespace
