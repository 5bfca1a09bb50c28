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

// A report is made for its owner's eyes only, and a name that leads onto
// one of the program's own files is refused before anything is made, even
// when that file does not exist yet.
TEST_F(SafeFileTest, AReportIsMadePrivateAndNeverOverTheProgramsFiles)
{
    std::string elsewhere = home + "/elsewhere.txt";
    std::string missing = home + "/missing-howto";
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string open;     // the path the report is opened at
        bool written;
        std::string absent;   // must not exist afterwards ("" nothing)
    };
    const Case cases[] = {
        {"new report", [] {}, path, true, ""},
        {"old report readable by all", [&] { WriteWholeFile(path, "old"); chmod(path.c_str(), 0644); }, path,
         true, ""},
        {"link to a new file elsewhere", [&] { symlink(elsewhere.c_str(), path.c_str()); }, path, true, ""},
        {"HOWTO leading to a missing file",
         [&] { symlink(missing.c_str(), sHowtoPath.c_str()); }, sHowtoPath, false, missing},
        {"link to the words file not made yet", [&] { symlink("words", path.c_str()); }, path, false,
         sWordsPath},
    };
    mode_t savedMask = umask(022);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& p : {path, elsewhere, missing, sHowtoPath, sWordsPath})
            std::filesystem::remove_all(p);
        c.make();
        std::string why;
        int fd = OpenReportWrite(c.open, &why);
        EXPECT_EQ(fd >= 0, c.written) << why;
        if (fd >= 0) {
            struct stat st;
            ASSERT_EQ(fstat(fd, &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0600u);
            EXPECT_EQ(st.st_size, 0);
            close(fd);
        } else {
            EXPECT_EQ(why, "it is one of the program's own files");
        }
        if (!c.absent.empty()) {
            EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(c.absent)));
        }
    }
    umask(savedMask);
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
