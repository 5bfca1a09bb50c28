// One user's part of a normal-text report, written as a report of its own.
#pragma once

#include <string>

// Reads report `source` in the private directory and writes to report
// `destination` there the user's heading, the range line, each of the
// user's hit entries under its time line, and the user's total. True when
// at least one line of the user was written and every write succeeded;
// otherwise sStatusMessage says why (empty when the user has no lines).
// The pass is a long scan: the scan step shows its progress, and an 's'
// stops it (false, *stopped true, "Filter canceled."; the destination
// keeps what was written).
bool FilterReport(const std::string& source, const std::string& destination, const std::string& user,
                  bool* stopped = nullptr);
