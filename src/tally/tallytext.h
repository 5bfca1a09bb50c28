// What the tally screens show, built as plain text so that it can be tested
// without a terminal. The screen layer prints these and sets reverse video.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TallyMode;

// text right-aligned in 11 columns (11 blanks when it is longer), then a blank.
std::string RightColumn(const std::string& text);
// A counter with thousands commas as a RightColumn.
std::string NumberColumn(int64_t n);
// A user name fitted to iUserNameLen; a longer one loses leading dotted
// parts first, so that client addresses keep their distinctive end. It is
// never wider than limit, the widest row the screen can show.
std::string UserColumn(const std::string& user, int limit);

// The title row and one row per shown record of the current view, each at
// most cols - 1 wide. now is the current time, for the idle column.
std::vector<std::string> TallyScreenRows(const TallyMode& tally, int cols, int64_t now);
// The status line: place of the selection, sort method, switches.
std::string TallyStatus(const TallyMode& tally, int cols);
// The entry screen shown before the first gathering.
std::string TallyEntryText(int64_t cursorOffset, int64_t lastLineStart);
// The help screen of the list, from its key table.
std::string TallyHelpText();
// The sort menu for the current sort method.
std::string SortMenuText(int sort);
