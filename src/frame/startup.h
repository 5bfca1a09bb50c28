// The start-up that the full-screen program and a report run from the
// command line share: the private directory and its paths, the settings,
// the words and aliases, and the configured log made current.
#pragma once

#include <string>

class ConfigFile;

enum eStartMode {
    // The full-screen program: a first run makes the private directory,
    // and what stops the start is printed on standard output.
    eStartScreen,
    // A run without a terminal: nothing in the home directory is made or
    // changed; a missing private directory means the default settings and
    // no words. What stops the start is left in the problem text.
    eStartBatch,
};

// What the start-up leaves for its caller.
struct StartState {
    // The configured slot while a log named on the command line is read in
    // slot 1 (saved back instead of 1 at a clean exit); 0 otherwise.
    int iConfiguredSlot = 0;
    // In batch mode, why the start failed: "<what>: <why>".
    std::string sProblem;
};

// Runs the start-up with the log named on the command line (empty: the
// configured slot's link). Returns 0 when a log is current and readable,
// otherwise the exit status (1). The settings file is only read.
int StartCore(ConfigFile& config, const std::string& commandLineLog, eStartMode mode, StartState& state);
