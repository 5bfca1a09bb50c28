// `ferntrack report`: the report run without a terminal. Reads the
// private directory as the full-screen program does (and changes nothing
// in it), finds the range by bisection, writes text, CSV or HTML to
// standard output or through a temporary file renamed over --output.
#pragma once

#include <cstdint>
#include <string>

// Runs the command line after "report"; returns the exit status: 0 the
// report was written, 1 the log, the range or the output failed (one line
// "ferntrack: <what>: <why>" on standard error), 2 a bad command line.
// ctrl-c ends the process with 130, removing the temporary file.
int BatchReportMain(int argc, const char* const* argv);

// The offsets of a time range of the current log: iRepStart from the
// first line at or after from (when given), iRepFinish from the first line
// at or after to (0: the end of the log). False when the range holds no
// line.
bool FindTimeRange(bool haveFrom, int64_t from, bool haveTo, int64_t to);

// The progress line for a terminal on standard error: a bar, the percent,
// lines per second and the time left, fitted to width columns.
std::string ProgressText(int64_t part, int64_t whole, int64_t lines, double seconds, int width);
