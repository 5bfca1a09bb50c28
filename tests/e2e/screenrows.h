// Reading a screen back as text: rows without the blanks that pad them.
#pragma once

#include <string>

#include "harness.h"

namespace e2e {

// Row text without the blanks that pad it to the screen width.
inline std::string Trimmed(Terminal& t, int row)
{
    std::string text = t.Row(row);
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// Every row from the top, trimmed, each ended by a line feed, up to the last
// non-empty one.
inline std::string ScreenText(Terminal& t)
{
    std::string all, pending;
    for (int r = 0; r < t.Rows(); ++r) {
        std::string row = Trimmed(t, r);
        pending += row + "\n";
        if (!row.empty()) {
            all += pending;
            pending.clear();
        }
    }
    return all;
}

}  // namespace e2e
