// A gzip log in the browse window, the search and the report run: every
// screen and the report file as on the same log unpacked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session.h"
#include "support/gzipmaker.h"
#include "support/tempdir.h"

namespace e2e {
namespace {

constexpr int kLines = 250000;

// The sample log compressed, kept in the build folder beside the plain one.
std::string KeptGzipLog()
{
    const std::string plain = KeptSampleLog(kLines);
    const std::string path = plain + ".gz";
    const std::string text = ReadWholeFile(plain);
    if (!text.empty() && InflateAll(ReadWholeFile(path)) == text)
        return path;
    std::string part = path + "." + std::to_string(::getpid());
    bool ok = WriteWholeFile(part, GzipMember(text)) && ::rename(part.c_str(), path.c_str()) == 0;
    ::unlink(part.c_str());
    return ok ? path : std::string();
}

class GzipLog : public Session {
protected:
    // Monitor mode off and on again: every key sent before has then been
    // handled. Told by the status line's tail, since the time of the last
    // line of this log is a Monday too.
    void Settle()
    {
        for (int i = 0; i < 2; ++i) {
            bool before = StatusRow().find("Mon Pri |") != std::string::npos;
            term_->Send("m");
            ASSERT_TRUE(term_->WaitUntil(
                [&] { return (StatusRow().find("Mon Pri |") != std::string::npos) != before; }, 60))
                << term_->Screen();
        }
    }

    struct Seen {
        std::vector<std::string> screens;
        std::string report;
    };

    // Home, End, a search for a hit each way, a goto and a report, with the
    // screen after each.
    Seen Browse(const std::string& logPath)
    {
        Seen seen;
        if (!home_.Exists(".ferntrack"))
            home_.MakePrivateDir("");
        home_.Link("log1", logPath);
        home_.WriteFile(kWordsFile, "/p0150.html\n/p200000.html\n");
        home_.WriteFile(kConfFile, "iMonitorMode=0\n");
        Launch();
        // Keys typed during a search are not read as keys: a key that
        // moves the selection is seen to have moved it before the next.
        auto settle = [&](const std::string& keys) {
            std::string before = StatusRow();
            term_->Send(keys);
            if (keys != key::Down && !keys.empty()) {
                auto moved = [&] {
                    std::string now = StatusRow();
                    return now != before && now.find("| h = help") != std::string::npos;
                };
                EXPECT_TRUE(term_->WaitUntil(moved, 60)) << term_->Screen();
            }
            Settle();
            seen.screens.push_back(term_->Screen());
        };
        EXPECT_TRUE(WaitStatus("  0.00%")) << term_->Screen();
        settle("");
        settle(key::End);
        EXPECT_TRUE(StatusStarts("100.00%")) << term_->Screen();
        for (const std::string& keys : {key::Left, key::Home, key::Right, key::Down, std::string("g50\r")})
            settle(keys);
        term_->Send("l");
        EXPECT_TRUE(term_->WaitFor("Press <enter> to go or q to quit:")) << term_->Screen();
        term_->Send("\r");
        EXPECT_TRUE(term_->WaitFor("; View (y/n)?", 60)) << term_->Screen();
        term_->Send("n");
        Settle();
        ExitCleanly();
        seen.report = home_.ReadFile(".ferntrack/temp.txt");
        return seen;
    }
};

TEST_F(GzipLog, EveryStepAndTheReportAsOnTheUnpackedFile)
{
    const std::string gz = KeptGzipLog();
    ASSERT_FALSE(gz.empty());
    Seen plain = Browse(KeptSampleLog(kLines));
    term_.reset();
    Seen packed = Browse(gz);
    ASSERT_EQ(packed.screens.size(), plain.screens.size());
    for (size_t i = 0; i < plain.screens.size(); ++i)
        EXPECT_EQ(packed.screens[i], plain.screens[i]) << "step " << i;
    EXPECT_FALSE(plain.report.empty());
    EXPECT_EQ(packed.report, plain.report);
    // The index was kept: the second open finds it.
    EXPECT_TRUE(home_.Exists(".ferntrack/gzindex"));
}

// Monitor mode starts on the last page: the first open reads the whole file,
// and a log compressed with something else is named on the status line.
TEST_F(GzipLog, MonitorModeStartsAtTheEndAndOtherCompressorsAreNamed)
{
    home_.MakePrivateDir("");
    home_.Link("log1", KeptGzipLog());
    Launch();
    EXPECT_TRUE(WaitStatus("100.00%")) << term_->Screen();
    EXPECT_NE(term_->Row(22).find("host249999.example.com/p249999.html"), std::string::npos) << term_->Screen();
    ExitCleanly();
    home_.WriteFile("access.log.xz", std::string("\xfd" "7zXZ\0\0\x04\xe6\xd6\xb4\x46", 12));
    home_.Link("log1", home_.PathOf("access.log.xz"));
    term_ = StartFerntrack(home_);
    EXPECT_TRUE(term_->WaitFor("Log is compressed with xz: only gzip is read in place")) << term_->Screen();
    ExitCleanly();
}

} // namespace
} // namespace e2e
