// The texts of the help screen, apart from curses so that they can be
// checked against the manual page.
#pragma once

#include <string>

// "ferntrack 0.86": the name and the version written once in the build.
std::string VersionText();
// The list of main-loop keys; its last line ends where the pager's name follows.
const char* HelpKeyList();
// What follows the pager's name: the quit key and how to leave the screen.
const char* HelpClosingText();
