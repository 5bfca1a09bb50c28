#include "frame/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "frame/privatedir.h"
#include "support/smalllog.h"
#include "support/tempdir.h"

namespace {

// The small-log home: log1 leads to home/access.log, log2 to log1, as the
// first run makes them; "file" in the private directory is the one written.
class SafeFileTest : public SmallLogTest {
protected:
    void SetUp() override
    {
        SmallLogTest::SetUp();
        log = logFile;
        ASSERT_TRUE(WriteWholeFile(log, "log line\n"));
        path = sPrivateDir + "/file";
    }
    void TearDown() override
    {
        SmallLogTest::TearDown();
        SetPaths("");
    }

    std::string log;
    std::string path;
};

TEST_F(SafeFileTest, ReadsOnlyRegularFilesWithoutBlockingAndWithinTheLimit)
{
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        size_t limit;
        bool ok;
        const char* text;
    };
    const Case cases[] = {
        {"regular file", [](const std::string& p) { WriteWholeFile(p, "abc\ndef"); }, 100, true, "abc\ndef"},
        {"beyond the limit", [](const std::string& p) { WriteWholeFile(p, "0123456789"); }, 4, true, "0123"},
        {"empty file", [](const std::string& p) { WriteWholeFile(p, ""); }, 100, true, ""},
        {"absent", [](const std::string&) {}, 100, false, ""},
        {"FIFO", [](const std::string& p) { mkfifo(p.c_str(), 0644); }, 100, false, ""},
        {"link to /dev/zero", [](const std::string& p) { symlink("/dev/zero", p.c_str()); }, 100,
         false, ""},
        {"directory", [](const std::string& p) { mkdir(p.c_str(), 0755); }, 100, false, ""},
        {"link to a file", [this](const std::string& p) { symlink(log.c_str(), p.c_str()); }, 100,
         true, "log line\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(path);
        c.make(path);
        std::string out = "stale";
        EXPECT_EQ(ReadSmallFile(path, out, c.limit), c.ok);
        EXPECT_EQ(out, c.text);
        int fd = OpenRegularRead(path);
        EXPECT_EQ(fd >= 0, c.ok);
        if (fd >= 0)
            close(fd);
    }
}

TEST_F(SafeFileTest, WritesOnlyRegularFilesThatAreNoLog)
{
    std::string made = home + "/made.txt";
    struct Case {
        const char* name;
        std::function<void()> make;
        const char* why;          // empty: written
        std::string written;      // where the new text must land
        std::function<bool()> intact;  // what must be left as it was
    };
    const Case cases[] = {
        {"regular file", [&] { WriteWholeFile(path, "old and longer"); }, "", path, [] { return true; }},
        {"absent file", [] {}, "", path, [] { return true; }},
        {"dangling link", [&] { symlink("../made.txt", path.c_str()); }, "", made,
         [&] { return TypeAt(path) == S_IFLNK; }},
        {"link to /dev/null", [&] { symlink("/dev/null", path.c_str()); }, "not a regular file", "",
         [] { return TypeAt("/dev/null") == S_IFCHR; }},
        {"FIFO", [&] { mkfifo(path.c_str(), 0644); }, "not a regular file", "",
         [&] { return TypeAt(path) == S_IFIFO; }},
        {"directory", [&] { mkdir(path.c_str(), 0755); }, "not a regular file", "",
         [&] { return TypeAt(path) == S_IFDIR; }},
        {"link to a log slot", [&] { symlink("log2", path.c_str()); }, "it is a log", "",
         [&] { return ReadWholeFile(log) == "log line\n"; }},
        {"hard link to the log", [&] { link(log.c_str(), path.c_str()); }, "it is a log", "",
         [&] { return ReadWholeFile(log) == "log line\n"; }},
        {"link loop", [&] { symlink("file", path.c_str()); }, "too many levels of links", "",
         [&] { return TypeAt(path) == S_IFLNK; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& p : {path, made})
            std::filesystem::remove_all(p);
        c.make();
        std::string why;
        int fd = OpenRegularWrite(path, O_WRONLY | O_CREAT | O_TRUNC, &why);
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(fd >= 0, c.written != "");
        if (fd >= 0) {
            EXPECT_EQ(write(fd, "new", 3), 3);
            close(fd);
            EXPECT_EQ(ReadWholeFile(c.written), "new");
        }
        EXPECT_TRUE(c.intact());
    }
}

TEST_F(SafeFileTest, ANotedTemporaryFileGoesOnlyWhileNoted)
{
    WriteWholeFile(path, "temp");
    NoteTempFile(path);
    ForgetTempFile();
    RemoveTempFileNow();
    EXPECT_EQ(TypeAt(path), S_IFREG);
    NoteTempFile(path);
    RemoveTempFileNow();
    EXPECT_EQ(TypeAt(path), 0u);
}

} // namespace
