// Composing shell command lines safely.
#pragma once

#include <string>

// The text as one shell word, whatever bytes it holds.
std::string ShellQuote(const std::string& text);
