// The text of the verbose view, kept apart from curses so it can be tested.
#pragma once

#include <string>

// The whole screen text for one log line (null or blank: no line): the line
// as read, its request size, the full name of its user from the users file,
// and the closing "Press q:". Bytes of the line and the names that the
// terminal cannot show as one column are '?'.
std::string VerboseText(const char* line);
