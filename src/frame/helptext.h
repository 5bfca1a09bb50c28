// The texts of the help screens, built from the screens' key tables
// (browse/browsekeys.h, tally/tallykeys.h, history/historykeys.h).
#pragma once

#include <string>

// "ferntrack 0.86": the name and the version written once in the build.
std::string VersionText();
// The list of main-loop keys; its last line ends where the pager's name follows.
std::string HelpKeyList();
// What follows the pager's name: the quit key and how to leave the screen.
std::string HelpClosingText();
// A list mode's help screen: the title, a blank line, the key table's help
// lines (nullptr entries skipped), then "Press any key or r: ".
std::string KeyHelpScreen(const char* title, const char* const* lines, int count);
