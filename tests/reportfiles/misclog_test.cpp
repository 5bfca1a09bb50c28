#include "reportfiles/misclog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "../entries/temphome.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "report/output.h"

namespace {

class MiscLogTest : public ::testing::Test {
protected:
    TempHome home;
    void SetUp() override
    {
        ResetSettings();
        sStatusMessage.clear();
    }
};

TEST(EmailCheckTest, AllowedBytesAndFirstComplaint)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", ""},
        {"John.Doe-2_x@mail.example.org", ""},
        {"a b@c", "Illegal character: ' '."},
        {"a@b;rm -rf ~", "Illegal character: ';'."},
        {"a$(id)@b", "Illegal character: '$'."},
        {"a\tb", "Illegal character."},
        {"a\xc3\xa9@b", "Illegal character."},
        {"x/y", "Illegal character: '/'."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EmailCheck(c.text), c.message) << c.text;
}

TEST_F(MiscLogTest, DeletesOnlyAReportInsideThePrivateDirectory)
{
    std::string outside = sPrivateDir + "/../keep.txt";
    ASSERT_TRUE(TempHome::Write(outside, "keep"));
    ASSERT_TRUE(TempHome::Write(sWordsPath, "w\n"));
    ASSERT_TRUE(TempHome::Write(sPrivateDir + "/week.txt", "report"));
    ASSERT_EQ(symlink(outside.c_str(), (sPrivateDir + "/link.txt").c_str()), 0);
    ASSERT_EQ(symlink(outside.c_str(), sLogPath1.c_str()), 0);
    ASSERT_EQ(mkdir((sPrivateDir + "/dir.txt").c_str(), 0700), 0);
    const struct {
        const char* name;
        bool removed;  // the entry in the private directory is gone
        std::string message;  // its start
    } cases[] = {
        {"week.txt", true, ""},
        {"../keep.txt", false, "Not deleted: ../keep.txt is not a report in "},
        {"words", false, "Not deleted: words is not a report in "},
        {"log1", false, "Not deleted: log1 is not a report in "},
        {"link.txt", false, "Not deleted: link.txt is not a report in "},
        {"dir.txt", false, "Not deleted: dir.txt is not a report in "},
        // No command runs, but the message names the one it stands for.
        {"gone.txt", false, "Error running command: rm " + sPrivateDir + "/gone.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sStatusMessage.clear();
        sCurrentReport = c.name;
        DeleteCurrentReport();
        EXPECT_EQ(sCurrentReport, "");
        EXPECT_EQ(sStatusMessage.substr(0, c.message.size()), c.message);
        if (c.name[0] == 'g') {
            EXPECT_EQ(sStatusMessage, c.message);
        }
        EXPECT_EQ(c.removed, sStatusMessage.empty());
        struct stat st;
        EXPECT_EQ(lstat((sPrivateDir + "/" + c.name).c_str(), &st) != 0, c.removed || c.name[0] == 'g');
    }
    EXPECT_EQ(TempHome::Read(outside), "keep");
    EXPECT_EQ(TempHome::Read(sWordsPath), "w\n");
}

TEST_F(MiscLogTest, ShellCommandsQuotePathsAndCheckAddresses)
{
    SetPaths("/home/it's here");
    sCurrentReport = "week.txt";
    const struct {
        const char* email;
        const char* command;
    } cases[] = {
        {"boss@example.org", "pine -attach '/home/it'\\''s here/.ferntrack/week.txt' boss@example.org"},
        {"", ""},
        {"a;reboot", ""},
        {"-conf@x", ""},
    };
    for (const auto& c : cases) {
        sCurrentEmail = c.email;
        EXPECT_EQ(MailCommand(), c.command) << c.email;
    }
    sCurrentEmail = "old@x";
    EXPECT_TRUE(SetEmail(""));
    EXPECT_FALSE(SetEmail("a b@c"));
    EXPECT_EQ(sCurrentEmail, "old@x");
    EXPECT_TRUE(SetEmail("new.name@x.org"));
    EXPECT_EQ(sCurrentEmail, "new.name@x.org");
    // An empty or blank viewer means the default pager, never the report
    // run as a command or a pipe into nothing.
    for (const char* viewer : {"", "  \t"}) {
        sViewer = viewer;
        EXPECT_EQ(ViewCommand("week.txt"), "less '/home/it'\\''s here/.ferntrack/week.txt'");
        std::string list = ListReportsCommand();
        EXPECT_EQ(list.substr(list.size() - 8), ") | less");
    }
}

// The listing runs under the system shell: its heading must not depend on
// the shell's echo.
TEST_F(MiscLogTest, ListingHasAPortableHeading)
{
    ASSERT_TRUE(TempHome::Write(sPrivateDir + "/a.txt", "x"));
    ASSERT_TRUE(TempHome::Write(sPrivateDir + "/-R.txt", "x"));
    std::string listing = sPrivateDir + "/../listing";
    sViewer = "cat > '" + listing + "'";
    ASSERT_EQ(system(ListReportsCommand().c_str()), 0);
    std::string text = TempHome::Read(listing);
    EXPECT_EQ(text.substr(0, 18), "Current reports:\n\n");
    EXPECT_NE(text.find(" a.txt\n"), std::string::npos);
    EXPECT_NE(text.find(" -R.txt\n"), std::string::npos);
    EXPECT_TRUE(ReportHasContent(sPrivateDir + "/a.txt"));
    ASSERT_TRUE(TempHome::Write(sPrivateDir + "/empty.txt", ""));
    EXPECT_FALSE(ReportHasContent(sPrivateDir + "/empty.txt"));
    EXPECT_FALSE(ReportHasContent(sPrivateDir + "/none.txt"));
    EXPECT_FALSE(ReportHasContent(sPrivateDir));
}

// A folder without reports lists the heading alone: the complaint of ls
// about no match must not reach the screen beside the pager.
TEST_F(MiscLogTest, AFolderWithoutReportsListsOnlyTheHeading)
{
    std::string listing = sPrivateDir + "/../listing";
    std::string errors = sPrivateDir + "/../errors";
    sViewer = "cat > '" + listing + "'";
    ASSERT_EQ(system(("{ " + ListReportsCommand() + " ; } 2>'" + errors + "'").c_str()), 0);
    EXPECT_EQ(TempHome::Read(listing), "Current reports:\n\n");
    EXPECT_EQ(TempHome::Read(errors), "");
}

} // namespace
