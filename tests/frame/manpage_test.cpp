// The manual page against the program: every key of every screen's key
// table is described in the screen's section, and every configuration key is
// listed, in file order, with its default as the configuration file holds it.
#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "frame/settings.h"

namespace {

std::vector<std::string> PageLines()
{
    std::ifstream in(std::string(FERNTRACK_SOURCE_DIR) + "/doc/ferntrack.1");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The lines after the heading up to the next heading of any level.
std::vector<std::string> Section(const std::string& heading)
{
    std::vector<std::string> lines = PageLines();
    std::vector<std::string> section;
    bool inside = false;
    for (const std::string& line : lines) {
        bool isHeading = line.rfind(".SH", 0) == 0 || line.rfind(".SS", 0) == 0;
        if (inside && isHeading)
            break;
        if (inside)
            section.push_back(line);
        inside = inside || line == heading;
    }
    return section;
}

// Text as the reader sees it: the escapes for a minus, a zero-width break
// and no hyphenation are dropped or resolved.
std::string Plain(std::string text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-') {
            out += '-';
            ++i;
        } else if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '&' || text[i + 1] == '%')) {
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Macro arguments: blank-separated, double quotes group.
std::vector<std::string> Arguments(const std::string& rest)
{
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (char c : rest) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any)
                args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        args.push_back(current);
    return args;
}

// Every text set in bold by .B, .BR or .RB in the lines.
std::set<std::string> BoldTexts(const std::vector<std::string>& lines)
{
    std::set<std::string> bold;
    for (const std::string& line : lines) {
        std::string macro = line.substr(0, line.find(' '));
        std::vector<std::string> args = Arguments(line.size() > macro.size() ? line.substr(macro.size() + 1) : "");
        if (macro == ".B" && !args.empty()) {
            std::string joined;
            for (const std::string& a : args)
                joined += (joined.empty() ? "" : " ") + a;
            bold.insert(Plain(joined));
        } else if (macro == ".BR" || macro == ".RB") {
            for (size_t i = macro == ".BR" ? 0 : 1; i < args.size(); i += 2)
                bold.insert(Plain(args[i]));
        }
    }
    return bold;
}

// The names of a screen's key table, one list per screen.
#define KEY(code, name, help, ...) name,
const char* const kBrowseKeys[] = {
#include "browse/browsekeys.h"
};
const char* const kTallyKeys[] = {
#include "tally/tallykeys.h"
};
const char* const kHistoryKeys[] = {
#include "history/historykeys.h"
};
const char* const kCommonKeys[] = {
#include "entries/commonkeys.h"
};
const char* const kSearchOptionKeys[] = {
#include "entries/searchoptkeys.h"
};
const char* const kReportOptionKeys[] = {
#include "report/optionskeys.h"
};
#undef KEY

template <size_t N>
std::vector<std::string> Named(const char* const (&names)[N])
{
    std::vector<std::string> keys;
    for (const char* name : names)
        if (name != nullptr)
            keys.push_back(name);
    return keys;
}

TEST(ManualPageTest, EveryKeyOfEveryScreenIsDescribed)
{
    struct Case {
        const char* heading;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {".SS \"Browse window\"", Named(kBrowseKeys)},
        {".SS \"All users' tally (T)\"", Named(kTallyKeys)},
        {".SS \"One user's history (O)\"", Named(kHistoryKeys)},
        {".SS \"Common options (c)\"", Named(kCommonKeys)},
        {".SS \"Search options (o)\"", Named(kSearchOptionKeys)},
        {".SS \"Report options (l)\"", Named(kReportOptionKeys)},
    };
    for (const Case& c : cases) {
        std::set<std::string> described = BoldTexts(Section(c.heading));
        ASSERT_FALSE(described.empty()) << c.heading << " is not in the manual page";
        for (const std::string& key : c.keys)
            EXPECT_EQ(described.count(key), 1u) << "key " << key << " is not described under " << c.heading;
    }
}

TEST(ManualPageTest, EverySettingInFileOrderWithItsDefault)
{
    ResetSettings();
    std::vector<std::string> section = Section(".SH CONFIGURATION");
    ASSERT_FALSE(section.empty());

    size_t previous = 0;
    for (const std::string& key : SettingNames()) {
        std::string value = SettingText(key);
        // The key's own entry: a tag paragraph whose tag is the key.
        size_t at = 1;
        while (at < section.size() && (section[at] != ".B " + key || section[at - 1] != ".TP"))
            ++at;
        ASSERT_LT(at + 1, section.size()) << key << " is not in the manual page";
        EXPECT_GT(at, previous) << key << " is out of the file's order";
        previous = at;
        std::string expected = "default " + (value.empty() ? std::string("empty") : value) + ")";
        EXPECT_NE(Plain(section[at + 1]).find(expected), std::string::npos)
            << key << ": " << section[at + 1] << " should give " << expected;
    }
    EXPECT_EQ(SettingNames().size(), 35u);
}

} // namespace
