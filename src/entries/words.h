// Search words and skips, the four-byte mark string of a log line and the
// hit test built on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "entries/fields.h"

// The words list: entries by precedence, each ended by LF; '!' starts a skip.
extern std::string sWords;

// Empties the words list and reads the words file into it; false when the
// file cannot be opened.
bool LoadWords();
// Writes the words list to the words file; false when it cannot be written.
bool SaveWords();

// Mark string of a line: word mark ('w', '-' or blank), size grade (blank or
// a digit), class mark, focus mark ('f' or blank). Exactly four bytes, no
// terminating NUL.
void MatchWords(const char* line, char out[4]);
// Same, into a text of exactly four bytes.
void MatchWords(const char* line, std::string& out);
// Same, for a line already split into its fields.
void MatchWords(const LineFields& fields, char out[4]);
// Same, leaving the line's reply size (BytesOfField of its size field) in bytes.
void MatchWords(const LineFields& fields, char out[4], int64_t& bytes);

// Number of leading hit sizes that the byte count exceeds.
int SizeGrade(int64_t bytes);
// Character of a size grade: blank for 0, else '0' + grade.
char GradeMark(int grade);
// The valid entries of a hit sizes list, read from the front up to the
// first empty, non-numeric or zero entry.
std::vector<int64_t> ParseHitSizes(std::string_view text);

// Whether a mark string makes its line a hit.
bool IsHit(const char* marks);
inline bool IsHit(const std::string& marks) { return marks.size() >= 4 && IsHit(marks.data()); }
// IsHit of the line's marks. Without focus, aliases or size hits the words
// alone decide, and the line is then not split into its fields: the hit
// search looks at every line of a log.
bool IsHitLine(const char* line);
