#include "frame/numbers.h"

#include <cstdlib>
#include <string>

namespace {

bool IsBlankByte(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The digits after any leading white space and a sign.
struct Digits {
    bool negative = false;
    bool any = false;
    bool overflow = false;  // more than 64 bits of magnitude
    uint64_t magnitude = 0;
    size_t end = 0;         // index after the last digit
};

Digits ScanDigits(std::string_view text, bool skipBlanks)
{
    Digits d;
    size_t i = 0;
    while (skipBlanks && i < text.size() && IsBlankByte(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        d.negative = text[i] == '-';
        ++i;
    }
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        d.any = true;
        if (d.magnitude > (UINT64_MAX - digit) / 10)
            d.overflow = true;
        else
            d.magnitude = d.magnitude * 10 + digit;
    }
    d.end = i;
    return d;
}

// The scanned number held at the int64 range; false when it lies beyond.
bool Held(const Digits& d, int64_t& value)
{
    const uint64_t limit = d.negative ? uint64_t{1} << 63 : static_cast<uint64_t>(INT64_MAX);
    if (d.overflow || d.magnitude > limit) {
        value = d.negative ? INT64_MIN : INT64_MAX;
        return false;
    }
    value = d.negative ? static_cast<int64_t>(0 - d.magnitude) : static_cast<int64_t>(d.magnitude);
    return true;
}

} // namespace

int64_t LeadingNumber(std::string_view text)
{
    int64_t value = 0;
    Held(ScanDigits(text, true), value);
    return value;
}

int LeadingInt(std::string_view text)
{
    int64_t v = LeadingNumber(text);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(v);
}

int LeadingIntWrapped(std::string_view text)
{
    Digits d = ScanDigits(text, true);
    uint64_t n = d.overflow ? UINT64_MAX : d.negative ? 0 - d.magnitude : d.magnitude;
    uint32_t low = static_cast<uint32_t>(n);
    if (low <= static_cast<uint32_t>(INT32_MAX))
        return static_cast<int>(low);
    return static_cast<int>(static_cast<int64_t>(low) - (int64_t{1} << 32));
}

double LeadingDecimal(std::string_view text)
{
    std::string copy(text);
    return strtod(copy.c_str(), nullptr);
}

bool WholeNumber(std::string_view text, int64_t& value)
{
    Digits d = ScanDigits(text, false);
    int64_t v = 0;
    if (!d.any || d.end != text.size() || !Held(d, v))
        return false;
    value = v;
    return true;
}
