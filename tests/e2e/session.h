// A test fixture that runs the program in a home of its own: write the log
// and the settings, start, wait for the browse window, read the status line,
// toggle monitor mode, end with ctrl-x.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fixture.h"

namespace e2e {

class Session : public ::testing::Test {
protected:
    // Writes the log (making the private directory on first use) and, unless
    // conf is empty, the configuration file; then starts the program on a
    // screen of the given size and waits for the browse window.
    void Start(const std::string& log, const std::string& conf = "", int rows = 24, int cols = 80);
    // Starts the program on the home as it is and waits for the browse window.
    void Launch(int rows = 24, int cols = 80);

    std::string StatusRow() { return e2e::StatusRow(*term_); }
    bool StatusStarts(const std::string& text);
    // Waits until the status line starts with the text.
    bool WaitStatus(const std::string& text);
    bool MonitorShown();
    // Presses 'm' and waits until the status line shows the change.
    void ToggleMonitor();
    // Toggles monitor mode off and on again (or on and off); afterwards every
    // key sent before has been handled.
    void Sync();
    // Ctrl-x, and the exit status must be 0.
    void ExitCleanly();

    TempHome home_;
    std::unique_ptr<Terminal> term_;
};

}  // namespace e2e
