#include "frame/config.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <map>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "ordinaryuser.h"
#include "support/tempdir.h"

namespace {

const char* const defaultFileText =
    "# this complete file is reset on every clean exit\n"
    "sRepFileName=temp.txt\n"
    "sRepFilter=\n"
    "sRepTitle=\n"
    "bRepKeepExt=yes\n"
    "iRepColumns=80\n"
    "bRepSplit=no\n"
    "bRepShowSize=no\n"
    "bRepCacheReport=yes\n"
    "sRepSeperator=|\n"
    "iRepCSVcols=100\n"
    "iRepWordHits=1\n"
    "iRepBUT=1\n"
    "iRepBDT=1\n"
    "iRepBDI=0\n"
    "iRepFocus=0\n"
    "sRepFocus=\n"
    "sRepBDTuser=\n"
    "sViewer=less\n"
    "sCurrentReport=\n"
    "sCurrentEmail=\n"
    "iSizeHitGrade=0\n"
    "iSizeHitBytes=0\n"
    "sSizeHits=50000 250000 1000000 10000000\n"
    "iCurrentLog=1\n"
    "iMonitorMode=1\n"
    "bLookupIP=yes\n"
    "bAliases=no\n"
    "iUserNameLen=8\n"
    "iRepFast=10000\n"
    "bRepMySort=yes\n"
    "iTallyHP=3600\n"
    "iTallyFade=0.750000\n"
    "iTallyEntry=1.000000\n"
    "iTallyMonitor=yes\n"
    "iTallyDenies=yes\n";

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = MakeScratchDir("ferntrack-config");
        sConfigPath = dir + "/ferntrack.conf";
        ResetSettings();
        sStatusMessage.clear();
    }
    void TearDown() override
    {
        RemoveScratchDir(dir);
        ResetSettings();
        sStatusMessage.clear();
        sConfigPath.clear();
    }

    void Put(const std::string& text, const std::string& path = "")
    {
        WriteWholeFile(path.empty() ? sConfigPath : path, text);
    }
    std::string Get(const std::string& path = "") { return ReadWholeFile(path.empty() ? sConfigPath : path); }
    void ReadFile(const std::string& text)
    {
        Put(text);
        ConfigFile().Read();
    }
    std::vector<std::string> Entries(const std::string& path)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::string dir;
};

TEST_F(ConfigTest, DefaultsWriteTheExactFileText)
{
    ConfigFile().Write();
    EXPECT_EQ(Get(), defaultFileText);
    EXPECT_EQ(sStatusMessage, "");
}

TEST_F(ConfigTest, LineEndsBlanksAndValueForms)
{
    ReadFile("sRepTitle=a=b\r\n"
             "iRepColumns = 100\r\n"
             "bAliases=Yes\r\n"
             "bLookupIP=no\r"
             "iTallyMonitor=1\n"
             "iTallyFade=0.5\n"
             "sViewer=more \n"
             " sRepFilter=lead\n"
             "sviewer=most\n"
             "#sRepFocus=commented\n"
             "\n\n");
    EXPECT_EQ(sRepTitle, "a=b");
    EXPECT_EQ(iRepColumns, 80);  // the key "iRepColumns " matches nothing
    EXPECT_FALSE(bAliases);
    EXPECT_FALSE(bLookupIP);
    EXPECT_FALSE(iTallyMonitor);
    EXPECT_FLOAT_EQ(iTallyFade, 0.5f);
    EXPECT_EQ(sViewer, "more ");  // nothing is trimmed
    EXPECT_EQ(sRepFilter, "");
    EXPECT_EQ(sRepFocus, "");
    EXPECT_EQ(sStatusMessage, "");

    ReadFile("bAliases=yes\n");
    EXPECT_TRUE(bAliases);
}

TEST_F(ConfigTest, LastUnendedLineIgnoredAndLaterKeyWins)
{
    sRepTitle = "before";
    ReadFile("iRepFast=5\niRepFast=7\nsRepTitle\nsSizeHits=1 2\niMonitorMode=0");
    EXPECT_EQ(iRepFast, 7);
    EXPECT_EQ(sRepTitle, "");  // a line without '=' is a key with an empty value
    EXPECT_EQ(sSizeHits, "1 2");
    EXPECT_EQ(iMonitorMode, 1);
}

TEST_F(ConfigTest, LinesAcrossReadBlocksAndFromMemory)
{
    // Long lines put key, '=' and line end on different sides of any block
    // boundary the reader may use.
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "#" + std::string(static_cast<size_t>(i * 7 % 61), 'x') + "\n";
    std::string title(9000, 't');
    text += "sRepTitle=" + title + "\r\n";
    for (int i = 0; i < 40; ++i)
        text += "iRepCSVcols=" + std::to_string(i) + "\n";
    text += "iTallyEntry=2.5\n";
    ReadFile(text);
    EXPECT_EQ(sRepTitle, title);
    EXPECT_EQ(iRepCSVcols, 39);
    EXPECT_FLOAT_EQ(iTallyEntry, 2.5f);

    ResetSettings();
    ConfigFile().ReadText(text + "iRepCSVcols=1");
    EXPECT_EQ(sRepTitle, title);
    EXPECT_EQ(iRepCSVcols, 39);
}

TEST_F(ConfigTest, IntValuesReadAsAtoiAndOldNegativeForm)
{
    ReadFile("iRepColumns=18446744073709551615\n"
             "iRepCSVcols=18446744073709551611\n"
             "iTallyHP=18446744071562067968\n"
             "iRepWordHits=  -12x\n"
             "iRepBUT=+7\n"
             "iRepBDT=abc\n"
             "iRepBDI=\n"
             "iRepFocus=2147483647\n"
             "iRepFast=99999999999999999999999\n"
             "iUserNameLen=\t 42\n");
    EXPECT_EQ(iRepColumns, -1);
    EXPECT_EQ(iRepCSVcols, -5);
    EXPECT_EQ(iTallyHP, INT_MIN);
    EXPECT_EQ(iRepWordHits, -12);
    EXPECT_EQ(iRepBUT, 7);
    EXPECT_EQ(iRepBDT, 0);
    EXPECT_EQ(iRepBDI, 0);
    EXPECT_EQ(iRepFocus, INT_MAX);
    EXPECT_EQ(iRepFast, -1);
    EXPECT_EQ(iUserNameLen, 42);
}

TEST_F(ConfigTest, RewriteKeepsOnlyTheKeyTable)
{
    Put("# my notes\nunknownKey=1\nsViewer=more\n#bAliases=yes\nsRepTitle=old\nsRepTitle=");
    ConfigFile config;
    config.Read();
    config.Write();
    std::string expected = defaultFileText;
    expected.replace(expected.find("sViewer=less"), 12, "sViewer=more");
    expected.replace(expected.find("sRepTitle=\n"), 11, "sRepTitle=old\n");
    EXPECT_EQ(Get(), expected);
}

// Another value than its default for every setting of the list, written
// and read back; the values the file form must carry over with care first.
TEST_F(ConfigTest, EveryKeyRoundTripsWithOtherValues)
{
    const std::map<std::string, std::string> special = {
        {"sRepTitle", "Title = with # and blanks "},
        {"iRepColumns", "-5"},
        {"iRepCSVcols", "-2147483648"},
        {"iTallyHP", "2147483647"},
        {"iTallyEntry", "1000000015047466219876688855040.000000"},  // 1e30f
        {"sViewer", "more -d"},
    };
    std::map<std::string, std::string> values;
    for (const std::string& key : SettingNames()) {
        std::string text = SettingText(key);
        char* end = nullptr;
        strtod(text.c_str(), &end);
        bool number = !text.empty() && *end == '\0';
        std::string other = text == "yes"                                    ? "no"
                            : text == "no"                                   ? "yes"
                            : number && text.find('.') != std::string::npos ? "2.500000"
                            : number                                         ? "-12345"
                                                                             : "v " + key;
        values[key] = special.count(key) != 0 ? special.at(key) : other;
        ASSERT_TRUE(ReadSettingText(key, values[key])) << key;
        ASSERT_EQ(SettingText(key), values[key]) << key;
    }
    ConfigFile().Write();
    ResetSettings();
    ConfigFile().Read();
    for (const auto& [key, value] : values)
        EXPECT_EQ(SettingText(key), value) << key;
    EXPECT_FLOAT_EQ(iTallyEntry, 1e30f);
    EXPECT_EQ(sStatusMessage, "");
}

TEST_F(ConfigTest, FloatsReadBackAsTheSameValue)
{
    const std::pair<float, const char*> cases[] = {
        {0.75f, "0.750000"},
        {1.0f, "1.000000"},
        {0.1f, "0.100000"},
        {1e-7f, "0.0000001"},
        {-2e-7f, "-0.0000002"},
        {1.2345678f, "1.2345678"},
        {FLT_MAX, "340282346638528859811704183484516925440.000000"},
        {std::numeric_limits<float>::denorm_min(), nullptr},  // long, but exact
        {HUGE_VALF, "inf"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(value);
        iTallyEntry = value;
        ConfigFile().Write();
        std::string file = Get();
        size_t at = file.find("\niTallyEntry=") + 13;
        std::string written = file.substr(at, file.find('\n', at) - at);
        if (text != nullptr) {
            EXPECT_EQ(written, text);
        }
        iTallyEntry = 0;
        ConfigFile().Read();
        EXPECT_EQ(iTallyEntry, value) << written;
    }
}

TEST_F(ConfigTest, MissingFileKeepsSettings)
{
    sViewer = "mine";
    ConfigFile().Read();
    EXPECT_EQ(sStatusMessage, "Could not read " + sConfigPath);
    EXPECT_EQ(sViewer, "mine");
}

TEST_F(ConfigTest, FailedCreateOrRenameLeavesTargetAlone)
{
    // The private directory is a regular file: nothing can be made in it.
    Put("x", dir + "/notadir");
    sConfigPath = dir + "/notadir/ferntrack.conf";
    ConfigFile().Write();
    EXPECT_EQ(sStatusMessage, "Could not write to " + sConfigPath);
    EXPECT_EQ(Get(dir + "/notadir"), "x");

    // The configuration path is a directory: the new file cannot take its
    // place, and no temporary file may be left behind.
    sStatusMessage.clear();
    sConfigPath = dir + "/conf";
    ASSERT_EQ(mkdir(sConfigPath.c_str(), 0755), 0);
    Put("keep", sConfigPath + "/inside");
    ConfigFile().Write();
    EXPECT_EQ(sStatusMessage, "Could not write to " + sConfigPath);
    EXPECT_EQ(Get(sConfigPath + "/inside"), "keep");
    std::vector<std::string> names = Entries(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"conf", "notadir"}));
}

TEST_F(ConfigTest, ShortWriteKeepsOldFileWhole)
{
    std::string old = std::string(defaultFileText) + "# old text that must survive\n";
    Put(old);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A file size limit even root cannot write past: the new file stops
        // after 100 bytes.
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {100, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        sRepTitle = std::string(500, 'z');
        ConfigFile config;
        config.Write();
        bool said = config.NotSavedLine() ==
                    "ferntrack: settings not saved to " + sConfigPath + ": File too large\n";
        _exit(sStatusMessage == "Could not append to " + sConfigPath && said ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Get(), old);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"ferntrack.conf"}));
}

TEST_F(ConfigTest, WriteFollowsLinkAndKeepsMode)
{
    ASSERT_EQ(mkdir((dir + "/elsewhere").c_str(), 0755), 0);
    std::string real = dir + "/elsewhere/real.conf";
    Put("sViewer=more\n", real);
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink(real.c_str(), sConfigPath.c_str()), 0);
    ConfigFile().Write();
    EXPECT_EQ(sStatusMessage, "");
    struct stat st;
    ASSERT_EQ(lstat(sConfigPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Get(real), defaultFileText);
    EXPECT_EQ(Entries(dir + "/elsewhere"), (std::vector<std::string>{"real.conf"}));
}

// The configuration path in the situations a careless administrator or a
// hostile user leaves behind. Each save runs as an ordinary user (the
// permission cases mean nothing to root) and must leave every other file
// whole, no temporary file behind, and say in one line when it saved nothing.
TEST_F(ConfigTest, HostileConfigurationPathsAreNeverDestroyed)
{
    const std::string log = dir + "/access.log";
    const std::string other = dir + "/other.conf";
    const std::string oldText = "# mine\nsViewer=more\n";
    const std::string kept = "sViewer=kept\n";
    sLogPath1 = dir + "/log1";
    auto notSaved = [&](const std::string& why) {
        return "ferntrack: settings not saved to " + sConfigPath + ": " + why + "\n";
    };
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string line;                  // the one line for standard error
        std::string savedAt;               // where the settings land; empty: nowhere
        std::function<bool()> intact;      // what must be left as it was
        std::vector<std::string> entries;  // the directory afterwards
    };
    const std::vector<std::string> usual = {"access.log", "ferntrack.conf", "log1"};
    const std::vector<std::string> withOther = {"access.log", "ferntrack.conf", "log1", "other.conf"};
    const Case cases[] = {
        {"plain file", [&] { Put(oldText); }, "", sConfigPath, [] { return true; }, usual},
        {"no file yet", [] {}, "", sConfigPath, [] { return true; }, usual},
        {"link to /dev/null", [&] { symlink("/dev/null", sConfigPath.c_str()); },
         notSaved("not a regular file"), "", [] { return TypeAt("/dev/null") == S_IFCHR; }, usual},
        {"link to /dev/zero", [&] { symlink("/dev/zero", sConfigPath.c_str()); },
         notSaved("not a regular file"), "", [] { return TypeAt("/dev/zero") == S_IFCHR; }, usual},
        {"FIFO", [&] { mkfifo(sConfigPath.c_str(), 0644); }, notSaved("not a regular file"), "",
         [&] { return TypeAt(sConfigPath) == S_IFIFO; }, usual},
        {"dangling link", [&] { symlink("other.conf", sConfigPath.c_str()); }, "", other,
         [&] { return TypeAt(sConfigPath) == S_IFLNK; }, withOther},
        {"link to the log", [&] { symlink("access.log", sConfigPath.c_str()); },
         notSaved("it is a log"), "", [&] { return Get(log) == "log\n"; }, usual},
        {"hard link to the log", [&] { link(log.c_str(), sConfigPath.c_str()); },
         notSaved("it is a log"), "", [&] { return Get(log) == "log\n"; }, usual},
        {"hard link", [&] { Put(oldText + oldText, other); link(other.c_str(), sConfigPath.c_str()); },
         "", other,
         [&] {
             struct stat a, b;
             return stat(other.c_str(), &a) == 0 && stat(sConfigPath.c_str(), &b) == 0 &&
                    a.st_ino == b.st_ino && a.st_nlink == 2;
         },
         withOther},
        {"read-only file", [&] { Put(kept); chmod(sConfigPath.c_str(), 0444); },
         notSaved("Permission denied"), "", [&] { return Get() == kept; }, usual},
        {"writable file in a read-only directory", [&] { Put(oldText + oldText); chmod(dir.c_str(), 0555); },
         "", sConfigPath, [] { return true; }, usual},
        {"read-only directory without the file", [&] { chmod(dir.c_str(), 0555); },
         notSaved("Permission denied"), "", [] { return true; },
         {"access.log", "log1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveScratchDir(dir);
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        Put("log\n", log);
        ASSERT_EQ(symlink("access.log", sLogPath1.c_str()), 0);
        c.make();
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            HandToOrdinaryUser(entry.path().string());
        HandToOrdinaryUser(dir);
        int result = RunAsOrdinaryUser([&] {
            ConfigFile config;
            config.Write();
            if (config.NotSavedLine() == c.line)
                return 0;
            fprintf(stderr, "not-saved line: %s\n", config.NotSavedLine().c_str());
            return 1;
        });
        EXPECT_EQ(result, 0);
        if (!c.savedAt.empty()) {
            EXPECT_EQ(Get(c.savedAt), defaultFileText);
        }
        EXPECT_TRUE(c.intact());
        std::vector<std::string> names = Entries(dir);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.entries);
    }
    chmod(dir.c_str(), 0755);
    sLogPath1.clear();
}

} // namespace
