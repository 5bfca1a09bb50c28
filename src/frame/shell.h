// Composing shell command lines safely.
#pragma once

#include <string>

// The text as one shell word, whatever bytes it holds.
std::string ShellQuote(const std::string& text);

// The pager command: sViewer, or less when the setting is empty or blank
// (an empty one would make the file itself the command).
std::string ViewerCommand();
