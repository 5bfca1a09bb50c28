// The kept indexes of compressed logs: trusted only for exactly their file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>

#include "browse/gzipinflate.h"
#include "browse/gzipsource.h"
#include "browse/indexcache.h"
#include "browse/logreader.h"
#include "frame/message.h"
#include "frame/safefile.h"
#include "support/gzipmaker.h"
#include "support/scanstub.h"
#include "support/smalllog.h"

namespace {

std::string SomeText(size_t bytes)
{
    std::mt19937 rng(11);
    std::string text;
    while (text.size() < bytes) {
        for (int k = 0; k < 90; ++k)
            text += static_cast<char>('a' + rng() % 26);
        text += '\n';
    }
    return text;
}

class IndexCacheTest : public SmallLogTest {
protected:
    std::string text = SomeText(1500000);

    void SetUp() override
    {
        SmallLogTest::SetUp();
        Write(logFile, GzipMember(text));
    }

    // The index of the log with its windows in memory, and the key it is
    // kept under; a source has kept it too.
    void Build(GzipIndex& index, GzipKey& key)
    {
        {
            GzipSource source(logFile, OpenRegularRead(logFile));
            source.Complete();
        }
        int fd = OpenRegularRead(logFile);
        key = KeyOfFile(fd);
        struct stat st;
        fstat(fd, &st);
        GzipIndexBuilder builder(fd, st.st_size);
        while (builder.Step(index)) {
        }
        close(fd);
    }

    // True when opening the log again needed no reading through.
    bool OpensFromTheKeptIndex()
    {
        GzipSource source(logFile, OpenRegularRead(logFile));
        return source.Whole();
    }

    std::string KeptPath(const GzipKey& key) { return IndexCacheDir() + "/" + IndexFileName(key); }
};

TEST_F(IndexCacheTest, AKeyThatDiffersInAnyPartFindsNoIndex)
{
    GzipIndex index;
    GzipKey key;
    Build(index, key);
    std::string bytes = IndexFileBytes(index, key);
    GzipIndex back;
    ASSERT_TRUE(ParseIndexFile(bytes, key, back));
    EXPECT_EQ(back.points.size(), index.points.size());
    EXPECT_EQ(back.textSize, index.textSize);
    struct Case {
        const char* part;
        void (*change)(GzipKey&);
    };
    const Case cases[] = {
        {"device", [](GzipKey& k) { ++k.device; }},
        {"inode", [](GzipKey& k) { ++k.inode; }},
        {"size", [](GzipKey& k) { ++k.size; }},
        {"seconds", [](GzipKey& k) { ++k.mtimeSec; }},
        {"nanoseconds", [](GzipKey& k) { ++k.mtimeNsec; }},
        {"fingerprint", [](GzipKey& k) { k.fingerprint ^= 1; }},
    };
    for (const Case& c : cases) {
        GzipKey other = key;
        c.change(other);
        EXPECT_FALSE(ParseIndexFile(bytes, other, back)) << c.part;
        EXPECT_TRUE(back.points.empty()) << c.part;
        EXPECT_NE(IndexFileName(other), IndexFileName(key)) << c.part;
    }
}

TEST_F(IndexCacheTest, CorruptTruncatedOrForeignFilesAreNotTrusted)
{
    GzipIndex index;
    GzipKey key;
    Build(index, key);
    std::string bytes = IndexFileBytes(index, key);
    GzipIndex back;
    for (size_t len = 0; len < bytes.size(); len += 1 + len / 7)
        EXPECT_FALSE(ParseIndexFile(bytes.substr(0, len), key, back)) << len;
    for (size_t at = 0; at < bytes.size(); at += 1 + at / 5) {
        std::string bad = bytes;
        bad[at] = static_cast<char>(bad[at] ^ 0x10);
        EXPECT_FALSE(ParseIndexFile(bad, key, back)) << "byte " << at;
    }
    std::string otherVersion = bytes;
    otherVersion[8] = 1;
    EXPECT_FALSE(ParseIndexFile(otherVersion, key, back));
    // On disk: a damaged kept index is rebuilt and replaced by a good one.
    ASSERT_TRUE(OpensFromTheKeptIndex());
    std::string kept;
    ASSERT_TRUE(ReadSmallFile(KeptPath(key), kept));
    Write(KeptPath(key), kept.substr(0, kept.size() / 2));
    EXPECT_FALSE(OpensFromTheKeptIndex());
    {
        GzipSource source(logFile, OpenRegularRead(logFile));
        source.Complete();
    }
    EXPECT_TRUE(OpensFromTheKeptIndex());
}

// The file rewritten with the same size and time: its first and last bytes
// tell it from the old one.
TEST_F(IndexCacheTest, ARewrittenFileWithTheSameSizeAndTimeIsIndexedAgain)
{
    {
        GzipSource source(logFile, OpenRegularRead(logFile));
        source.Complete();
    }
    ASSERT_TRUE(OpensFromTheKeptIndex());
    struct stat st;
    ASSERT_EQ(stat(logFile.c_str(), &st), 0);
    std::string gz;
    ASSERT_TRUE(ReadSmallFile(logFile, gz));
    gz[gz.size() - 5] = static_cast<char>(gz[gz.size() - 5] ^ 1); // in the trailer's length
    int fd = open(logFile.c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, gz.data(), gz.size(), 0), static_cast<ssize_t>(gz.size()));
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(futimens(fd, times), 0);
    close(fd);
    EXPECT_FALSE(OpensFromTheKeptIndex());
}

TEST_F(IndexCacheTest, AKeptIndexIsNeverReadOrWrittenThroughALink)
{
    GzipIndex index;
    GzipKey key;
    Build(index, key);
    std::string kept = KeptPath(key);
    std::string elsewhere = home + "/elsewhere.idx";
    ASSERT_EQ(rename(kept.c_str(), elsewhere.c_str()), 0);
    ASSERT_EQ(symlink(elsewhere.c_str(), kept.c_str()), 0);
    EXPECT_FALSE(OpensFromTheKeptIndex());
    std::string before;
    ASSERT_TRUE(ReadSmallFile(elsewhere, before));
    Write(elsewhere, "not an index");
    {
        GzipSource source(logFile, OpenRegularRead(logFile));
        source.Complete();
    }
    // The link was replaced by a file; what it led to is untouched.
    EXPECT_EQ(TypeAt(kept), S_IFREG);
    std::string after;
    ASSERT_TRUE(ReadSmallFile(elsewhere, after));
    EXPECT_EQ(after, "not an index");
    EXPECT_TRUE(OpensFromTheKeptIndex());
}

// Where nothing can be kept, the log is still read (from an index in
// memory) and the status line says so once.
TEST_F(IndexCacheTest, AFolderThatCannotBeWrittenLeavesTheIndexInMemory)
{
    Write(IndexCacheDir(), "a file where the folder should be");
    sStatusMessage.clear();
    SwitchLog(1);
    EXPECT_EQ(iLogSize, static_cast<int64_t>(text.size()));
    std::string told = TakeLogMessage();
    EXPECT_NE(told.find("kept in memory only"), std::string::npos) << told;
    EXPECT_EQ(NextLine(0), 91);
    sStatusMessage.clear();
    CloseLog();
    SwitchLog(1);
    EXPECT_EQ(iLogSize, static_cast<int64_t>(text.size()));
    EXPECT_EQ(TakeLogMessage(), "");
}

TEST_F(IndexCacheTest, TheFolderIsTrimmedToItsCapLeastRecentlyUsedFirst)
{
    std::string dir = home + "/trim";
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    const char* names[] = {"gz-0000000000000001.idx", "gz-0000000000000002.idx",
                           "gz-0000000000000003.idx", "gz-0000000000000004.idx"};
    for (int i = 0; i < 4; ++i) {
        std::string path = dir + "/" + names[i];
        Write(path, std::string(1000, 'i'));
        struct timespec times[2] = {{1000 + i * 10, 0}, {1000 + i * 10, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    Write(dir + "/notes.txt", std::string(5000, 'n'));
    ASSERT_EQ(symlink((dir + "/notes.txt").c_str(), (dir + "/gz-00000000000000ff.idx").c_str()), 0);
    TrimIndexCache(dir, 2500);
    EXPECT_EQ(TypeAt(dir + "/" + names[0]), 0u);
    EXPECT_EQ(TypeAt(dir + "/" + names[1]), 0u);
    EXPECT_EQ(TypeAt(dir + "/" + names[2]), S_IFREG);
    EXPECT_EQ(TypeAt(dir + "/" + names[3]), S_IFREG);
    EXPECT_EQ(TypeAt(dir + "/notes.txt"), S_IFREG);
    EXPECT_EQ(TypeAt(dir + "/gz-00000000000000ff.idx"), S_IFLNK);
}

} // namespace
