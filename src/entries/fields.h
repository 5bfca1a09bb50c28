// The fields of a log line and the values taken from them. Pure functions
// of their arguments, the field numbers and a few settings; nothing here
// reads the log or touches the screen.
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
// Sets the field numbers from the first lines of a log. A syslog daemon puts
// a prefix of its own before each request (time, host, tag; for some forms a
// facility or a pid field too): the prefix is the fields before the first
// one, among the first few, that reads as the proxy's time stamp and is
// followed by a result code where the native layout has it. The first line
// that shows such a stamp decides; with none, the first line decides as
// DetectLayout does.
void DetectLayoutOfLines(const std::string* lines, size_t count);
// Lines DetectLayoutOfLines is given at most by the reader.
constexpr size_t kLayoutLines = 16;
// Fields a prefix may have at most, so that the fields used stay among the
// ones a split keeps.
constexpr int kMaxPrefixFields = 8;
// Fields before the proxy's time stamp on the line; -1 when none of the
// first kMaxPrefixFields + 1 fields starts a request.
int StampPrefixFields(const char* line);

// Field n (from 1) of a line, pointing into the line; empty when missing.
std::string_view FieldView(const char* line, int n);
// Field n of a line, copied into out.
void GetField(const char* line, int n, std::string& out);

// A line split once into its fields, for scans that read several fields
// of every line: the same fields FieldView finds, for one pass over the
// line. Splitting stops after the last field the layout uses.
constexpr int kSplitFields = 16;
struct LineFields {
    const char* line = "";
    // Bytes before the line's end (NUL, LF or CR).
    size_t length = 0;
    // Fields kept below, at most kSplitFields.
    int count = 0;
    // The line may have more fields than are kept (FieldOf finds them).
    bool more = false;
    std::string_view field[kSplitFields];
};
void SplitLine(const char* line, LineFields& out);
// Field n (from 1) of a split line, as FieldView gives it.
inline std::string_view FieldOf(const LineFields& fields, int n)
{
    if (n >= 1 && n <= fields.count)
        return fields.field[n - 1];
    return n >= 1 && fields.more ? FieldView(fields.line, n) : std::string_view();
}

// Host part of the line's URL.
void SiteOf(const char* line, std::string& out);
// Host part of a URL: without its scheme, up to its first '/'.
std::string_view SiteOfUrl(std::string_view url);

// Whole seconds of the time field; 0 when it is not a number.
int64_t GetTime(const char* line);
int64_t TimeOfField(std::string_view field);

// Reply size in bytes (64-bit, so multi-gigabyte replies stay positive).
int64_t GetBytes(const char* line);
int64_t BytesOfField(std::string_view field);

// User of a line: the user field, or for "-" the client's alias or address.
void GetUser(const char* line, bool shorten, std::string& out);
std::string GetUser(const char* line, bool shorten);
void GetUser(const LineFields& fields, bool shorten, std::string& out);
// The same user as GetUser(fields, false, ...), without a copy where the
// line (or the alias table) holds it as it is; scratch holds it otherwise.
// Valid while the line, the aliases and scratch are unchanged.
std::string_view UserView(const LineFields& fields, std::string& scratch);
