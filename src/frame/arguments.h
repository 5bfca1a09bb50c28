// The command line: --help, --version, or one log to browse in slot 1 for
// this run. It is handled before the private directory is touched or the
// terminal is taken over, so its answers land on a plain terminal.
#pragma once

#include <string>
#include <vector>

// What the command line asks for.
enum eArgAction { eArgRun, eArgHelp, eArgVersion, eArgUsage };

struct ParsedArguments {
    eArgAction action = eArgRun;
    // A FILE operand was given (it may be the empty text).
    bool bFile = false;
    // The (first) FILE operand as given.
    std::string sFile;
    // Every FILE operand, in order; more than one make a set of files.
    std::vector<std::string> vFiles;
};

// The log named on the command line, made absolute; empty when none. It
// replaces the log1 link for this run only.
extern std::string sCommandLineLog;

// Reads the arguments after the program name.
ParsedArguments ParseArguments(int argc, const char* const* argv);
// The text of --help.
std::string HelpText();
// The one-line usage printed for a command line that makes no sense.
std::string UsageLine();
// Empty when path is a regular file that can be opened for reading,
// otherwise the reason it cannot be browsed.
std::string LogFileProblem(const std::string& path);
// Whether the operands are several files or a directory: one log, a
// rotation set.
bool OperandsMakeSet(const std::vector<std::string>& operands);
// Names such operands as one log: log is set to the name it opens under
// (the first file, made absolute). Returns empty, or "no log in NAMES"
// (log left empty) when nothing in them is a log.
std::string NameSetOperands(const std::vector<std::string>& operands, std::string& log);
// Acts on the command line. Returns the exit status when the program is to
// end now (help, version, bad usage, unreadable FILE), having printed what
// it has to say; returns -1 when the program is to start, with
// sCommandLineLog set for a FILE. Several files, or a directory, are one
// log (a rotation set); one with no log in it ends the program with status 1.
int HandleArguments(int argc, const char* const* argv);
