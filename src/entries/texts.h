// Text helpers that fit values into columns and turn numbers and times into
// text. Pure functions of their arguments and a setting or two; they know
// nothing of the log or its fields, so anything may use them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The C locale's white space, whatever locale is set.
inline bool IsSpaceByte(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// True for a missing, empty or all white-space text.
bool IsBlank(const char* text);

// ASCII capitals lower-cased, other bytes kept (user names compare this way
// whatever the locale).
void LowerAscii(std::string& text);
std::string AsciiLower(std::string text);

// Removes a leading "http://" or "ftp://".
void StripScheme(std::string& url);
std::string_view StripSchemeView(std::string_view url);

// Local time of t as "Www Mmm dd hh:mm yyyy"; empty when it cannot be shown.
std::string TimeText(int64_t t);

// Drops leading dotted parts until the text fits the width.
std::string ShortenIp(std::string text, int width);
// Cuts or pads with blanks to exactly width bytes.
void FitWidth(std::string& text, int width);
// Right-aligns in width, never cuts.
std::string PadLeft(const std::string& text, int width);
// Cuts a display line ending in a URL to width, keeping host and tail when
// bRepKeepExt is on.
void ShortenUrl(std::string& text, int width);

std::string NumToStr(uint64_t n);
// A signed value in plain digits, "-" before a negative one.
std::string IntText(int value);
std::string NumToCommaStr(uint64_t n);
