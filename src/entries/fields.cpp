#include "entries/fields.h"

#include <cstring>
#include <ctime>

#include "browse/logreader.h"
#include "entries/aliases.h"
#include "frame/settings.h"

int iTimeField = -1;
int iClientField = -1;
int iResultField = -1;
int iBytesField = -1;
int iUrlField = -1;
int iUserField = -1;

namespace {

bool EndsLine(char c) { return c == '\0' || c == '\n' || c == '\r'; }

bool IsSpaceByte(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::string_view FieldView(const char* line, int n)
{
    if (line == nullptr || n < 1)
        return {};
    int field = 1;
    bool afterBlank = false;
    const char* start = (n == 1) ? line : nullptr;
    const char* p = line;
    for (;; ++p) {
        char c = *p;
        if (EndsLine(c))
            break;
        if (c == ' ') {
            if (start != nullptr)
                break;
            afterBlank = true;
            continue;
        }
        if (afterBlank) {
            afterBlank = false;
            ++field;
            if (field == n)
                start = p;
            else if (field > n)
                return {};
        }
    }
    if (start == nullptr)
        return {};
    return std::string_view(start, static_cast<size_t>(p - start));
}

void GetField(const char* line, int n, std::string& out)
{
    std::string_view v = FieldView(line, n);
    out.assign(v.data(), v.size());
}

void DetectLayout(const char* line)
{
    std::string_view f5 = FieldView(line, 5);
    int p = (f5.size() >= 3 && f5.back() == ':') ? 5 : 0;
    iTimeField = p + 1;
    iClientField = p + 3;
    iResultField = p + 4;
    iBytesField = p + 5;
    iUrlField = p + 7;
    std::string_view c = FieldView(line, p + 3);
    // Clients logged by host name: the name stands for the user. The byte is
    // taken as signed, so bytes of 0x80 and above do not count as letters.
    bool byName = !c.empty() && static_cast<signed char>(c[0]) >= 0x41;
    iUserField = byName ? p + 3 : p + 8;
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

void SiteOf(const char* line, std::string& out)
{
    std::string_view url = StripSchemeView(FieldView(line, iUrlField));
    size_t slash = url.find('/');
    if (slash != std::string_view::npos)
        url = url.substr(0, slash);
    out.assign(url.data(), url.size());
}

int64_t GetTime(const char* line)
{
    std::string_view f = FieldView(line, iTimeField);
    int64_t value = 0;
    for (char c : f) {
        if (c == '.')
            break;
        if (c < '0' || c > '9')
            return 0;
        int digit = c - '0';
        // An absurd time stamp saturates instead of overflowing.
        if (value > (INT64_MAX - digit) / 10)
            return INT64_MAX;
        value = value * 10 + digit;
    }
    return value;
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

std::string LogTimeText(const char* line)
{
    if (iLogSize == 0 || IsBlank(line))
        return {};
    return TimeText(GetTime(line));
}

std::string LogTimeTextAt(int64_t offset)
{
    if (iLogSize == 0)
        return {};
    NextLine(offset);
    return LogTimeText(sCurrentLine);
}

int64_t GetBytes(const char* line)
{
    std::string_view f = FieldView(line, iBytesField);
    size_t i = 0;
    while (i < f.size() && IsSpaceByte(static_cast<unsigned char>(f[i])))
        ++i;
    bool negative = false;
    if (i < f.size() && (f[i] == '+' || f[i] == '-')) {
        negative = f[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < f.size() && f[i] >= '0' && f[i] <= '9'; ++i) {
        int digit = f[i] - '0';
        if (value > (INT64_MAX - digit) / 10)
            return negative ? -INT64_MAX : INT64_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

void GetUser(const char* line, bool shorten, std::string& out)
{
    std::string_view u = FieldView(line, iUserField);
    if (u == "-") {
        if (bAliases) {
            std::string_view alias = AliasOf(FieldView(line, iClientField));
            if (!alias.empty()) {
                out.assign(alias.data(), alias.size());
                return;
            }
        }
        if (bLookupIP) {
            std::string_view c = FieldView(line, iClientField);
            out.assign(c.data(), c.size());
            if (shorten)
                out = ShortenIp(std::move(out), iUserNameLen);
            return;
        }
    }
    for (;;) {
        if (!u.empty() && u.back() == ' ')
            u.remove_suffix(1);
        else if (u.size() >= 3 && u.substr(u.size() - 3) == "%20")
            u.remove_suffix(3);
        else
            break;
    }
    out.assign(u.data(), u.size());
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

std::string GetUser(const char* line, bool shorten)
{
    std::string out;
    GetUser(line, shorten, out);
    return out;
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

bool IsBlank(const char* text)
{
    if (text == nullptr)
        return true;
    for (; *text != '\0'; ++text)
        if (!IsSpaceByte(static_cast<unsigned char>(*text)))
            return false;
    return true;
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
