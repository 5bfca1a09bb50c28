// A directory of rotated logs browsed as one log while the proxy rotates
// it: monitor mode follows the newest file across the rotation without
// losing or doubling a line, and outside monitor mode the selected request
// stays selected when the oldest file goes.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "session.h"

namespace e2e {
namespace {

constexpr int kRows = 24;
constexpr int kLastRow = kRows - 2;

class Rotation : public Session {
protected:
    std::string Dir(const std::string& name = "") const { return home_.PathOf("squid") + (name.empty() ? "" : "/" + name); }
    // Sample lines first to last, each ended by a line feed.
    static std::string Lines(int first, int last)
    {
        std::string text;
        for (int n = first; n <= last; ++n)
            text += SampleLine(n) + "\n";
        return text;
    }
    // The rows show the sample lines from `first` on, one a row, down to
    // the bottom row or the last line; the selected row is `selected`.
    bool PageFrom(int first, int last, int selected)
    {
        for (int row = 0; row <= kLastRow; ++row) {
            int n = first + row;
            std::string want = n <= last ? SampleRow(n) : std::string(79, ' ');
            if (term_->Row(row).substr(0, 79) != want)
                return false;
            if (term_->Reverse(row, 0) != (n == selected))
                return false;
        }
        return true;
    }
    bool WaitPage(int first, int last, int selected)
    {
        return term_->WaitUntil([&] { return PageFrom(first, last, selected); }, 10);
    }
};

TEST_F(Rotation, MonitorModeFollowsTheNewestFileAcrossARotation)
{
    home_.MakePrivateDir("");
    ASSERT_EQ(::mkdir(Dir().c_str(), 0755), 0);
    home_.WriteFile("squid/access.log.2", Lines(0, 9));
    home_.WriteFile("squid/access.log.1", Lines(10, 19));
    home_.WriteFile("squid/access.log", Lines(20, 29));
    home_.WriteFile("squid/cache.log", "2010/10/08 11:11:48 kid1| Starting Squid\n");
    home_.Link("log1", Dir());
    home_.WriteFile(kConfFile, "iMonitorMode=1\n");
    Launch(kRows, 80);
    ASSERT_TRUE(WaitPage(7, 29, 29)) << term_->Screen();

    home_.AppendFile("squid/access.log", Lines(30, 30));
    ASSERT_TRUE(WaitPage(8, 30, 30)) << term_->Screen();

    // The proxy rotates: every file one number up, a new live file, and
    // the proxy writes on.
    ASSERT_EQ(::rename(Dir("access.log.2").c_str(), Dir("access.log.3").c_str()), 0);
    ASSERT_EQ(::rename(Dir("access.log.1").c_str(), Dir("access.log.2").c_str()), 0);
    ASSERT_EQ(::rename(Dir("access.log").c_str(), Dir("access.log.1").c_str()), 0);
    home_.WriteFile("squid/access.log", "");
    home_.AppendFile("squid/access.log", Lines(31, 31));
    ASSERT_TRUE(WaitPage(9, 31, 31)) << term_->Screen();
    EXPECT_TRUE(WaitStatus("100.00% " + StatusTime(kStart + 31))) << StatusRow();
    home_.AppendFile("squid/access.log", Lines(32, 32));
    ASSERT_TRUE(WaitPage(10, 32, 32)) << term_->Screen();

    // Outside monitor mode, the oldest file goes: the selected request
    // stays selected, with what is left of the log above it.
    ToggleMonitor();
    term_->Send(key::Home);
    ASSERT_TRUE(WaitPage(0, 32, 0)) << term_->Screen();
    term_->Send(std::string(12 * 1, '2'));
    ASSERT_TRUE(WaitPage(0, 32, 12)) << term_->Screen();
    ASSERT_EQ(::unlink(Dir("access.log.3").c_str()), 0);
    term_->Send(" ");
    EXPECT_TRUE(WaitPage(10, 32, 12)) << term_->Screen();
    ExitCleanly();
}

TEST_F(Rotation, FilesNamedInAnyOrderAreOneLogOldestFirst)
{
    home_.MakePrivateDir("");
    home_.WriteFile(kConfFile, "iMonitorMode=0\n");
    home_.WriteFile("a.log.1", Lines(0, 4));
    home_.WriteFile("a.log", Lines(5, 9));
    home_.WriteFile("notes.txt", "not a request\n");
    term_ = StartFerntrack(home_, kRows, 80, {home_.PathOf("a.log"), home_.PathOf("notes.txt"), home_.PathOf("a.log.1")});
    ASSERT_TRUE(term_->WaitUntil([&] { return StatusStarts("Left out of the set: notes.txt (not a log)"); }))
        << term_->Screen();
    EXPECT_TRUE(PageFrom(0, 9, 0)) << term_->Screen();
    term_->Send(key::End);
    EXPECT_TRUE(WaitPage(0, 9, 9)) << term_->Screen();
    EXPECT_TRUE(WaitStatus("100.00% " + StatusTime(kStart + 9))) << StatusRow();
    ExitCleanly();
}

}  // namespace
}  // namespace e2e
