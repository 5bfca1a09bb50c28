#include "entries/aliases.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "entries/texts.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/safefile.h"

namespace {

// Alias names in file order.
std::vector<std::string> vAliasNames;
// Address value -> index of its name; the first listing of an address wins.
std::unordered_map<uint32_t, uint32_t> vAliasAddresses;

// Reads a file in blocks and hands each LF-ended line, without the LF, to
// onLine; a last line without LF is dropped. onLine returns false to stop.
// Only a regular file is read, and only its first kSmallFileLimit bytes: a
// FIFO or a device behind the name reads as no file. Returns false when
// the file cannot be opened.
template <typename OnLine>
bool ForEachLine(const std::string& path, bool dropCr, OnLine onLine)
{
    int fd = OpenRegularRead(path);
    if (fd < 0)
        return false;
    std::string line;
    char block[65536];
    bool going = true;
    size_t total = 0;
    while (going && total < kSmallFileLimit) {
        ssize_t got = read(fd, block, std::min(sizeof block, kSmallFileLimit - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        total += static_cast<size_t>(got);
        for (ssize_t i = 0; i < got && going; ++i) {
            char c = block[i];
            if (c == '\n') {
                going = onLine(line);
                line.clear();
            } else if (!(dropCr && c == '\r')) {
                line.push_back(c);
            }
        }
    }
    close(fd);
    return true;
}

// Splits the blank-separated fields of a line as GetField does: the line
// ends at NUL or CR, a tab is an ordinary byte. Field 1 is empty when the
// line begins with a blank.
void SplitFields(const std::string& line, std::vector<std::string_view>& out)
{
    out.clear();
    std::string_view rest(line.c_str());
    size_t cr = rest.find('\r');
    if (cr != std::string_view::npos)
        rest = rest.substr(0, cr);
    if (!rest.empty() && rest.front() == ' ')
        out.emplace_back();
    size_t pos = 0;
    while (pos < rest.size()) {
        size_t start = rest.find_first_not_of(' ', pos);
        if (start == std::string_view::npos)
            break;
        size_t end = rest.find(' ', start);
        if (end == std::string_view::npos)
            end = rest.size();
        out.push_back(rest.substr(start, end - start));
        pos = end;
    }
}

// The first blank-separated field, as GetField gives it.
std::string_view FirstField(const std::string& line)
{
    std::string_view text(line.c_str());
    return text.substr(0, text.find_first_of(" \r\n"));
}

} // namespace

bool AddressValue(std::string_view text, uint32_t& value)
{
    if (text.empty() || text.back() == '.')
        return false;
    uint32_t total = 0;
    uint32_t part = 0;
    char previous = '\0';
    for (char c : text) {
        if (c == '.') {
            if (previous == '.')
                return false;
            total = total * 256 + part;
            part = 0;
        } else if (c >= '0' && c <= '9') {
            part = part * 10 + static_cast<uint32_t>(c - '0');
            if (part > 255)
                return false;
        } else {
            return false;
        }
        previous = c;
    }
    total = total * 256 + part;
    if (total == 0)
        return false;
    value = total;
    return true;
}

void LoadAliases()
{
    vAliasNames.clear();
    vAliasAddresses.clear();
    std::vector<std::string_view> fields;
    uint64_t lineNumber = 0;
    ForEachLine(sAliasesPath, false, [&](const std::string& line) {
        ++lineNumber;
        SplitFields(line, fields);
        if (fields.empty() || fields[0].empty())
            return true;
        uint32_t index = static_cast<uint32_t>(vAliasNames.size());
        vAliasNames.emplace_back(fields[0]);
        for (size_t i = 1; i < fields.size(); ++i) {
            uint32_t value;
            if (!AddressValue(fields[i], value)) {
                sStatusMessage = "Error in aliases file at line " + NumToStr(lineNumber);
                return false;
            }
            vAliasAddresses.try_emplace(value, index);
        }
        return true;
    });
}

std::string_view AliasOf(std::string_view address)
{
    if (vAliasAddresses.empty())
        return {};
    uint32_t value;
    if (!AddressValue(address, value))
        return {};
    auto found = vAliasAddresses.find(value);
    if (found == vAliasAddresses.end())
        return {};
    return vAliasNames[found->second];
}

bool AliasesLoaded() { return !vAliasAddresses.empty(); }

std::string FullNameOf(const std::string& user)
{
    std::string key = AsciiLower(user);
    std::string result;
    // An empty user has no full name; without this guard it would pick up
    // whatever follows the leading blank of the first blank-led line.
    if (key.empty())
        return result;
    ForEachLine(sUsersPath, true, [&](const std::string& line) {
        if (FirstField(line) != key)
            return true;
        if (line.size() > key.size() + 1)
            result.assign(line, key.size() + 1, std::string::npos);
        return false;
    });
    return result;
}

void ForEachUsersLine(const std::function<void(std::string_view, std::string_view)>& onUser)
{
    std::string text;
    if (!ReadSmallFile(sUsersPath, text))
        return;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        std::string_view line(text.data() + start, i - start);
        start = i + 1;
        // The first field ends at a blank, or where a NUL would end the text.
        std::string_view name = line.substr(0, line.find_first_of(std::string_view(" \0", 2)));
        if (name.empty())
            continue;
        onUser(name, line.size() > name.size() + 1 ? line.substr(name.size() + 1) : std::string_view());
    }
}
