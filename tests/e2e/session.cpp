#include "session.h"

namespace e2e {

void Session::Start(const std::string& log, const std::string& conf, int rows, int cols)
{
    if (home_.Exists(".ferntrack"))
        home_.WriteFile("access.log", log);
    else
        home_.MakePrivateDir(log);
    if (!conf.empty())
        home_.WriteFile(kConfFile, conf);
    Launch(rows, cols);
}

void Session::Launch(int rows, int cols)
{
    term_ = StartFerntrack(home_, rows, cols);
    ASSERT_TRUE(WaitForBrowse(*term_)) << term_->Output();
}

bool Session::StatusStarts(const std::string& text) { return StatusRow().compare(0, text.size(), text) == 0; }

bool Session::WaitStatus(const std::string& text)
{
    return term_->WaitUntil([&] { return StatusStarts(text); });
}

bool Session::MonitorShown() { return StatusRow().find("Mon ") != std::string::npos; }

void Session::ToggleMonitor()
{
    bool before = MonitorShown();
    term_->Send("m");
    ASSERT_TRUE(term_->WaitUntil([&] { return MonitorShown() != before; })) << term_->Screen();
}

void Session::Sync()
{
    ToggleMonitor();
    ToggleMonitor();
}

void Session::ExitCleanly() { EXPECT_EQ(e2e::ExitCleanly(*term_), 0) << term_->Screen(); }

}  // namespace e2e
