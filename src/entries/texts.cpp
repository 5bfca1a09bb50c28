#include "entries/texts.h"

#include <cstdio>
#include <ctime>

#include "frame/settings.h"

bool IsBlank(const char* text)
{
    if (text == nullptr)
        return true;
    for (; *text != '\0'; ++text)
        if (!IsSpaceByte(static_cast<unsigned char>(*text)))
            return false;
    return true;
}

std::string_view StripSchemeView(std::string_view url)
{
    if (url.substr(0, 7) == "http://")
        return url.substr(7);
    if (url.substr(0, 6) == "ftp://")
        return url.substr(6);
    return url;
}

void StripScheme(std::string& url)
{
    std::string_view v = StripSchemeView(url);
    url.erase(0, url.size() - v.size());
}

std::string TimeText(int64_t t)
{
    if (t < static_cast<int64_t>(INT32_MIN) * 1000 || t > static_cast<int64_t>(INT32_MAX) * 1000)
        return {};
    time_t tt = static_cast<time_t>(t);
    struct tm tmv;
    if (localtime_r(&tt, &tmv) == nullptr)
        return {};
    static const char days[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char months[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (tmv.tm_wday < 0 || tmv.tm_wday > 6 || tmv.tm_mon < 0 || tmv.tm_mon > 11)
        return {};
    // The ctime form without the seconds: Www Mmm dd hh:mm yyyy.
    char buf[80];
    int n = snprintf(buf, sizeof buf, "%.3s %.3s%3d %.2d:%.2d %lld", days[tmv.tm_wday],
                     months[tmv.tm_mon], tmv.tm_mday, tmv.tm_hour, tmv.tm_min,
                     static_cast<long long>(tmv.tm_year) + 1900);
    if (n < 0)
        return {};
    return std::string(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

std::string ShortenIp(std::string text, int width)
{
    size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    while (text.size() > w) {
        size_t dot = text.find('.');
        if (dot == std::string::npos)
            break;
        text.erase(0, dot + 1);
    }
    return text;
}

void FitWidth(std::string& text, int width)
{
    size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    text.resize(w, ' ');
}

std::string PadLeft(const std::string& text, int width)
{
    if (width > 0 && text.size() < static_cast<size_t>(width))
        return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
    return text;
}

void ShortenUrl(std::string& text, int width)
{
    size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    if (text.size() <= w)
        return;
    size_t k = text.size() - w;
    size_t from = w;
    if (bRepKeepExt) {
        size_t blank = text.rfind(' ');
        size_t s = (blank == std::string::npos) ? 0 : blank + 1;
        size_t p = text.size();
        if (s < text.size()) {
            size_t slash = text.find('/', s);
            if (slash != std::string::npos)
                p = slash + 1;
        }
        from = p < w ? p : w;
    }
    text.erase(from, k);
}

std::string NumToStr(uint64_t n)
{
    char buf[24];
    int i = sizeof buf;
    buf[--i] = '\0';
    do {
        buf[--i] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    return std::string(buf + i);
}

std::string NumToCommaStr(uint64_t n)
{
    std::string digits = NumToStr(n);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

void LowerAscii(std::string& text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

std::string AsciiLower(std::string text)
{
    LowerAscii(text);
    return text;
}

std::string IntText(int value)
{
    if (value >= 0)
        return NumToStr(static_cast<uint64_t>(value));
    return "-" + NumToStr(static_cast<uint64_t>(-static_cast<int64_t>(value)));
}
