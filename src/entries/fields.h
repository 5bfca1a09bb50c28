// The fields of a log line and the values taken from them, plus the text
// helpers that fit such values into columns. Pure functions of their
// arguments and a few settings; nothing here touches the screen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Field numbers of the current log's layout; -1 until a log is current.
extern int iTimeField;
// Field number of the client address.
extern int iClientField;
// Field number of the result code.
extern int iResultField;
// Field number of the reply size.
extern int iBytesField;
// Field number of the URL.
extern int iUrlField;
// Field number of the user (the client field when clients log by name).
extern int iUserField;

// Sets the field numbers from the first line of a log.
void DetectLayout(const char* line);

// Field n (from 1) of a line, pointing into the line; empty when missing.
std::string_view FieldView(const char* line, int n);
// Field n of a line, copied into out.
void GetField(const char* line, int n, std::string& out);

// Removes a leading "http://" or "ftp://".
void StripScheme(std::string& url);
std::string_view StripSchemeView(std::string_view url);
// Host part of the line's URL.
void SiteOf(const char* line, std::string& out);

// Whole seconds of the time field; 0 when it is not a number.
int64_t GetTime(const char* line);
// Local time of t as "Www Mmm dd hh:mm yyyy"; empty when it cannot be shown.
std::string TimeText(int64_t t);
// Time text of a line; empty for a missing or blank line or an empty log.
std::string LogTimeText(const char* line);
// Time text of the line at a log offset.
std::string LogTimeTextAt(int64_t offset);

// Reply size in bytes (64-bit, so multi-gigabyte replies stay positive).
int64_t GetBytes(const char* line);

// User of a line: the user field, or for "-" the client's alias or address.
void GetUser(const char* line, bool shorten, std::string& out);
std::string GetUser(const char* line, bool shorten);

// Drops leading dotted parts until the text fits the width.
std::string ShortenIp(std::string text, int width);
// Cuts or pads with blanks to exactly width bytes.
void FitWidth(std::string& text, int width);
// Right-aligns in width, never cuts.
std::string PadLeft(const std::string& text, int width);
// Cuts a display line ending in a URL to width, keeping host and tail when
// bRepKeepExt is on.
void ShortenUrl(std::string& text, int width);
// True for a missing, empty or all white-space text.
bool IsBlank(const char* text);

std::string NumToStr(uint64_t n);
std::string NumToCommaStr(uint64_t n);
