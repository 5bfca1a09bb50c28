// The texts of the browse window's rows and status line.
#pragma once

#include <cstdint>
#include <string>

// One log row: user, marks and URL without its scheme, cut and padded to width.
void BuildBrowseRow(const char* line, const char* marks, int width, std::string& out);
// The status line: percentage and time, ending with the mode, slot and help hint.
std::string BrowseStatusText(int64_t cursorOffset, int64_t lastLineStart,
                             const std::string& timeText, bool monitor,
                             const char* logName, int width);
// User of the selected line (iCursorOffset), as GetUser(line, false) gives
// it; empty when there is no line, it is blank, or it has no user.
std::string SelectedLineUser();
