#include "frame/config.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

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
        char pattern[] = "/tmp/ferntrack-config-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        sConfigPath = dir + "/ferntrack.conf";
        ResetSettings();
        sStatusMessage.clear();
    }
    void TearDown() override
    {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(dir);
        ResetSettings();
        sStatusMessage.clear();
        sConfigPath.clear();
    }

    void Put(const std::string& text, const std::string& path = "")
    {
        std::ofstream out(path.empty() ? sConfigPath : path, std::ios::binary);
        out << text;
    }
    std::string Get(const std::string& path = "")
    {
        std::ifstream in(path.empty() ? sConfigPath : path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
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

TEST_F(ConfigTest, EveryKeyRoundTripsWithOtherValues)
{
    sRepFileName = "week_1.txt";
    sRepFilter = "f.txt";
    sRepTitle = "Title = with # and blanks ";
    bRepKeepExt = false;
    iRepColumns = -5;
    bRepSplit = true;
    bRepShowSize = true;
    bRepCacheReport = false;
    sRepSeperator = ";";
    iRepCSVcols = INT_MIN;
    iRepWordHits = 2;
    iRepBUT = 2;
    iRepBDT = 2;
    iRepBDI = 1;
    iRepFocus = 1;
    sRepFocus = "alice";
    sRepBDTuser = "bob";
    sViewer = "more -d";
    sCurrentReport = "r.txt";
    sCurrentEmail = "a@b.c";
    iSizeHitGrade = 3;
    iSizeHitBytes = 1000000;
    sSizeHits = "1 2 3";
    iCurrentLog = 2;
    iMonitorMode = 0;
    bLookupIP = false;
    bAliases = true;
    iUserNameLen = 12;
    iRepFast = -1;
    bRepMySort = false;
    iTallyHP = INT_MAX;
    iTallyFade = 0.5f;
    iTallyEntry = 1e30f;
    iTallyMonitor = false;
    iTallyDenies = false;
    ConfigFile().Write();
    std::string text = Get();
    EXPECT_NE(text.find("\niRepColumns=-5\n"), std::string::npos);
    EXPECT_NE(text.find("\niRepCSVcols=-2147483648\n"), std::string::npos);

    ResetSettings();
    ConfigFile().Read();
    EXPECT_EQ(sRepFileName, "week_1.txt");
    EXPECT_EQ(sRepFilter, "f.txt");
    EXPECT_EQ(sRepTitle, "Title = with # and blanks ");
    EXPECT_FALSE(bRepKeepExt);
    EXPECT_EQ(iRepColumns, -5);
    EXPECT_TRUE(bRepSplit);
    EXPECT_TRUE(bRepShowSize);
    EXPECT_FALSE(bRepCacheReport);
    EXPECT_EQ(sRepSeperator, ";");
    EXPECT_EQ(iRepCSVcols, INT_MIN);
    EXPECT_EQ(iRepWordHits, 2);
    EXPECT_EQ(iRepBUT, 2);
    EXPECT_EQ(iRepBDT, 2);
    EXPECT_EQ(iRepBDI, 1);
    EXPECT_EQ(iRepFocus, 1);
    EXPECT_EQ(sRepFocus, "alice");
    EXPECT_EQ(sRepBDTuser, "bob");
    EXPECT_EQ(sViewer, "more -d");
    EXPECT_EQ(sCurrentReport, "r.txt");
    EXPECT_EQ(sCurrentEmail, "a@b.c");
    EXPECT_EQ(iSizeHitGrade, 3);
    EXPECT_EQ(iSizeHitBytes, 1000000);
    EXPECT_EQ(sSizeHits, "1 2 3");
    EXPECT_EQ(iCurrentLog, 2);
    EXPECT_EQ(iMonitorMode, 0);
    EXPECT_FALSE(bLookupIP);
    EXPECT_TRUE(bAliases);
    EXPECT_EQ(iUserNameLen, 12);
    EXPECT_EQ(iRepFast, -1);
    EXPECT_FALSE(bRepMySort);
    EXPECT_EQ(iTallyHP, INT_MAX);
    EXPECT_FLOAT_EQ(iTallyFade, 0.5f);
    EXPECT_FLOAT_EQ(iTallyEntry, 1e30f);  // too long for a 31-character field
    EXPECT_FALSE(iTallyMonitor);
    EXPECT_FALSE(iTallyDenies);
    EXPECT_EQ(sStatusMessage, "");
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
        ConfigFile().Write();
        _exit(sStatusMessage == "Could not append to " + sConfigPath ? 0 : 1);
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

} // namespace
