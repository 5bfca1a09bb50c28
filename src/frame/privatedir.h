// The private directory in the user's home and the paths of its files.
#pragma once

#include <string>

// Value of HOME.
extern std::string sHomeDir;
// HOME/.ferntrack
extern std::string sPrivateDir;
// Link to the primary log.
extern std::string sLogPath1;
// Link to the secondary log.
extern std::string sLogPath2;
// Link to the tertiary log.
extern std::string sLogPath3;
// Search words file.
extern std::string sWordsPath;
// Full names of users.
extern std::string sUsersPath;
// Names for client addresses.
extern std::string sAliasesPath;
// Configuration file.
extern std::string sConfigPath;
// Link to the howto file.
extern std::string sHowtoPath;

// Where the installed howto lives.
extern const char* const sHowtoDir;
// File name of the howto.
extern const char* const sHowtoName;

// Computes the paths from a home directory.
void SetPaths(const std::string& home);
// Checks or makes the private directory. Returns 0 when log1 is readable,
// otherwise 1 after printing why on standard output. With a log named on
// the command line, log1 is not needed: slot 1 reads that log instead.
int PreparePrivateDirectory(const std::string& commandLineLog = std::string());
// Same, but ends the process with status 1 on failure.
void SetUpPrivateDirectory(const std::string& commandLineLog = std::string());
