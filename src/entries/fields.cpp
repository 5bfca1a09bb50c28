#include "entries/fields.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "entries/aliases.h"
#include "entries/texts.h"
#include "frame/settings.h"

int iTimeField = -1;
int iClientField = -1;
int iResultField = -1;
int iBytesField = -1;
int iUrlField = -1;
int iUserField = -1;

namespace {

bool EndsLine(char c) { return c == '\0' || c == '\n' || c == '\r'; }

// The user of a line as GetUser(line, false) gives it, pointing into the
// line, the alias table or scratch: only a name with capitals is copied.
// address tells whether it is the client's address standing for "-".
std::string_view UserText(std::string_view u, std::string_view client, std::string& scratch, bool& address)
{
    address = false;
    if (u == "-") {
        if (bAliases) {
            std::string_view alias = AliasOf(client);
            if (!alias.empty())
                return alias;
        }
        if (bLookupIP) {
            address = true;
            return client;
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
    size_t upper = 0;
    while (upper < u.size() && !(u[upper] >= 'A' && u[upper] <= 'Z'))
        ++upper;
    if (upper == u.size())
        return u;
    scratch.assign(u.data(), u.size());
    LowerAscii(scratch);
    return scratch;
}

void UserOf(std::string_view u, std::string_view client, bool shorten, std::string& out)
{
    bool address = false;
    std::string_view user = UserText(u, client, out, address);
    if (user.data() != out.data())
        out.assign(user.data(), user.size());
    if (address && shorten)
        out = ShortenIp(std::move(out), iUserNameLen);
}

// Splitting runs on every line of every scan, so the bytes are classified
// sixteen at a time where the processor allows, in one pass from the start
// of the line, and the fields are then found from the bit masks alone.
// Bits of the n (at most 64) bytes from p: where a blank stands, and where
// a CR or LF does.
void GroupMasks(const char* p, size_t n, uint64_t& blanks, uint64_t& ends)
{
    blanks = ends = 0;
    size_t i = 0;
#ifdef __SSE2__
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        blanks |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, blank)))) << i;
        __m128i end = _mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf));
        ends |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(end))) << i;
    }
#endif
    for (; i < n; ++i) {
        blanks |= static_cast<uint64_t>(p[i] == ' ') << i;
        ends |= static_cast<uint64_t>(p[i] == '\r' || p[i] == '\n') << i;
    }
}

// The bits from bit `from` on.
uint64_t From(size_t from) { return from >= 64 ? 0 : ~uint64_t{0} << from; }

// Where SplitLine stands between two groups of bytes.
struct SplitState {
    bool inField = true;   // a field started at fieldStart and has not ended
    bool done = false;     // the fields wanted are found
    size_t fieldStart = 0;
};

// Takes the fields whose ends lie among the bytes [base, base + 64) of the
// line, given the group's masks of blanks and of the bytes before the line's
// end.
void SplitGroup(const char* line, size_t base, uint64_t blanks, uint64_t valid, int last, SplitState& st,
                LineFields& out)
{
    uint64_t nonBlanks = ~blanks & valid;
    size_t at = 0;
    while (!st.done) {
        uint64_t next = (st.inField ? blanks : nonBlanks) & From(at);
        if (next == 0)
            return;
        at = static_cast<size_t>(__builtin_ctzll(next));
        if (st.inField) {
            out.field[out.count++] = std::string_view(line + st.fieldStart, base + at - st.fieldStart);
            st.inField = false;
        } else if (out.count == last) {
            out.more = true;
            st.done = true;
        } else {
            st.fieldStart = base + at;
            st.inField = true;
        }
    }
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

void SplitLine(const char* line, LineFields& out)
{
    // Fields beyond the last one the layout uses are not looked at.
    int last = std::max({iTimeField, iClientField, iResultField, iBytesField, iUrlField, iUserField});
    if (last < 1 || last > kSplitFields)
        last = kSplitFields;
    out.line = line;
    out.count = 0;
    out.more = false;
    size_t size = strlen(line);
    size_t end = size;
    SplitState st;
    for (size_t base = 0; base < size; base += 64) {
        size_t n = std::min<size_t>(64, size - base);
        uint64_t blanks = 0;
        uint64_t ends = 0;
        GroupMasks(line + base, n, blanks, ends);
        uint64_t valid = n == 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
        if (ends != 0) {
            size_t at = static_cast<size_t>(__builtin_ctzll(ends));
            end = base + at;
            valid = at == 0 ? 0 : valid & (~uint64_t{0} >> (64 - at));
        }
        SplitGroup(line, base, blanks & valid, valid, last, st, out);
        if (ends != 0)
            break;
    }
    // The field running at the end of the line ends there; blanks at the
    // end of a line start no field.
    if (st.inField)
        out.field[out.count++] = std::string_view(line + st.fieldStart, end - st.fieldStart);
    out.length = end;
}

void GetField(const char* line, int n, std::string& out)
{
    std::string_view v = FieldView(line, n);
    out.assign(v.data(), v.size());
}

namespace {

// The proxy's time stamp: whole seconds, a '.', and three digits of
// milliseconds. A syslog time (RFC 3339, "Oct  5 14:03:28"), a host, a tag
// or a pid field never reads so.
bool IsProxyStamp(std::string_view f)
{
    size_t dot = f.find('.');
    if (dot == 0 || dot == std::string_view::npos || f.size() - dot != 4)
        return false;
    for (size_t i = 0; i < f.size(); ++i)
        if (i != dot && (f[i] < '0' || f[i] > '9'))
            return false;
    return true;
}

// A result code: a tag, a '/', a status.
bool IsResultCode(std::string_view f)
{
    size_t slash = f.find('/');
    return slash != std::string_view::npos && slash > 0 && slash + 1 < f.size();
}

// The five-field prefix of the traditional syslog form, told by its fifth
// field, the tag with its colon: what a line without a proxy stamp gets.
int TagPrefixFields(const char* line)
{
    std::string_view f5 = FieldView(line, 5);
    return (f5.size() >= 3 && f5.back() == ':') ? 5 : 0;
}

void SetLayout(const char* line, int p)
{
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

} // namespace

int StampPrefixFields(const char* line)
{
    for (int p = 0; p <= kMaxPrefixFields; ++p) {
        std::string_view stamp = FieldView(line, p + 1);
        if (stamp.empty() && p > 0)
            return -1;
        if (IsProxyStamp(stamp) && IsResultCode(FieldView(line, p + 4)))
            return p;
    }
    return -1;
}

void DetectLayout(const char* line)
{
    std::string first = line == nullptr ? std::string() : std::string(line);
    DetectLayoutOfLines(&first, 1);
}

void DetectLayoutOfLines(const std::string* lines, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int p = StampPrefixFields(lines[i].c_str());
        if (p >= 0) {
            SetLayout(lines[i].c_str(), p);
            return;
        }
    }
    const char* first = count > 0 ? lines[0].c_str() : "";
    SetLayout(first, TagPrefixFields(first));
}

std::string_view SiteOfUrl(std::string_view url)
{
    url = StripSchemeView(url);
    // A plain loop: host names are short, and this runs on every line.
    return url.substr(0, static_cast<size_t>(std::find(url.begin(), url.end(), '/') - url.begin()));
}

void SiteOf(const char* line, std::string& out)
{
    std::string_view site = SiteOfUrl(FieldView(line, iUrlField));
    out.assign(site.data(), site.size());
}

int64_t GetTime(const char* line) { return TimeOfField(FieldView(line, iTimeField)); }

int64_t TimeOfField(std::string_view f)
{
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

int64_t GetBytes(const char* line) { return BytesOfField(FieldView(line, iBytesField)); }

int64_t BytesOfField(std::string_view f)
{
    // Nearly every size field is a few plain digits, which cannot overflow.
    if (!f.empty() && f.size() <= 18) {
        int64_t plain = 0;
        size_t k = 0;
        for (; k < f.size(); ++k) {
            unsigned digit = static_cast<unsigned char>(f[k]) - unsigned{'0'};
            if (digit > 9)
                break;
            plain = plain * 10 + static_cast<int64_t>(digit);
        }
        if (k == f.size())
            return plain;
    }
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
    UserOf(u, u == "-" ? FieldView(line, iClientField) : std::string_view(), shorten, out);
}

void GetUser(const LineFields& fields, bool shorten, std::string& out)
{
    UserOf(FieldOf(fields, iUserField), FieldOf(fields, iClientField), shorten, out);
}

std::string_view UserView(const LineFields& fields, std::string& scratch)
{
    bool address = false;
    return UserText(FieldOf(fields, iUserField), FieldOf(fields, iClientField), scratch, address);
}

std::string GetUser(const char* line, bool shorten)
{
    std::string out;
    GetUser(line, shorten, out);
    return out;
}

