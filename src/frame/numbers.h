// Numbers read from text, typed at a prompt or kept in a file: the one
// place that reads them, so that every reader treats signs, blanks and
// overflow alike. Includes nothing of the project, so anything may use it.
#pragma once

#include <cstdint>
#include <string_view>

// The leading number as atoi reads it (C-locale white space, a sign, the
// digits up to the first other byte; 0 when there are none), held at the
// int64 range instead of overflowing.
int64_t LeadingNumber(std::string_view text);
// The same, held at the int range: a typed answer.
int LeadingInt(std::string_view text);
// The same digits taken modulo 2^32 as an int: the configuration file's
// reading, so that the 20-digit two's-complement form earlier versions
// wrote for a negative value (18446744073709551611 for -5) reads back as
// that value. Beyond 64 bits it saturates, as strtoull does.
int LeadingIntWrapped(std::string_view text);
// The leading decimal number as strtod reads it; 0 when there is none.
double LeadingDecimal(std::string_view text);
// True when the whole text is one whole number (a sign, then digits,
// nothing else) within the int64 range; the value goes to value.
bool WholeNumber(std::string_view text, int64_t& value);
