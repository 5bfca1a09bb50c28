#include "frame/screentext.h"

#include <cstdio>

std::string PercentText(int64_t part, int64_t whole)
{
    if (part == 0 || whole == 0)
        return "  0.00%";
    if (part >= whole)
        return "100.00%";
    double p = static_cast<double>(part) * 10000.0 / static_cast<double>(whole);
    float value = static_cast<float>(static_cast<long long>(p)) / 100.0f;
    char buf[20];
    int n = snprintf(buf, sizeof buf, "%6.2f%%", static_cast<double>(value));
    if (n < 0 || n >= static_cast<int>(sizeof buf))
        return "  -.--%";
    return buf;
}

std::string PercentWord(int64_t part, int64_t whole)
{
    std::string text = PercentText(part, whole);
    return text.substr(text.find_first_not_of(' '));
}

std::string FileNameCheck(const std::string& text)
{
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       c == '-' || c == '_';
        if (allowed)
            continue;
        if (c >= 0x20 && c <= 0x7E)
            return std::string("Illegal character: '") + ch + "'.";
        return "Illegal character.";
    }
    return {};
}

std::string FaultMessage(int code)
{
    char buf[256];
    // Codes of 1000 and more are the library sort of the report totals.
    if (code >= 1000)
        snprintf(buf, sizeof buf,
                 "Ferntrack: fault during STL sort()\ncode = %d\nTry:\n 1. increasing iRepFast or "
                 "making it 0\n 2. using my sort routine\nRefer to the BUGS file.\nSorry.\n",
                 code);
    else
        snprintf(buf, sizeof buf, "Ferntrack: general fault\ncode = %d\nRefer to the BUGS file.\nSorry.\n",
                 code);
    return buf;
}

std::string ShowableText(std::string text)
{
    for (char& c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E)
            c = '?';
    }
    return text;
}
