// Texts the screen helpers show, kept apart from curses so they can be tested.
#pragma once

#include <cstdint>
#include <string>

// part of whole as "ddd.dd%", cut (never raised) to two decimals.
std::string PercentText(int64_t part, int64_t whole);
// The same without its leading blanks, to stand inside a sentence.
std::string PercentWord(int64_t part, int64_t whole);
// Empty when every byte may stand in a file name, else the complaint.
std::string FileNameCheck(const std::string& text);
// What the fault handler prints for the operation code under way.
std::string FaultMessage(int code);
// The text with every byte the terminal cannot show as one column (control
// bytes, and bytes above 0x7E, since no locale is set) made '?'.
std::string ShowableText(std::string text);
