#include "browse/verbosetext.h"

#include <gtest/gtest.h>

#include <string>

#include "../entries/temphome.h"
#include "entries/fields.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

namespace {

std::string Line(const std::string& client, const std::string& bytes, const std::string& user)
{
    return "1286536308.123     45 " + client + " TCP_MISS/200 " + bytes +
           " GET http://a.example.com/x " + user + " DIRECT/10.0.0.1 text/html";
}

TEST(VerboseText, LineSizeAndTheFullNameOfItsUser)
{
    TempHome home;
    ASSERT_TRUE(TempHome::Write(sUsersPath, "jdoe John Doe\n192.168.100.200 Front Desk\n"
                                            "100.200 Wrong Desk\n- Dash User\n"));
    ResetSettings();
    DetectLayout(Line("10.0.0.1", "1", "u").c_str());
    struct Case {
        const char* name;
        bool lookupIp;
        std::string line;
        std::string text;
    };
    const std::string jdoe = Line("10.0.0.1", "1234567", "JDoe");
    const std::string dash = Line("192.168.100.200", "0", "-");
    const std::string other = Line("10.0.0.1", "-5", "ann");
    const std::string escape = Line("10.0.0.1\x1b[2J", "7", "ann\xe9");
    const Case cases[] = {
        {"listed user", true, jdoe,
         jdoe + "\n\nRequest size = 1,234,567\n\nLooking for user...\n\njdoe is John Doe\n\nPress q:"},
        // The address is looked up whole, not as the user column shortens it.
        {"no user, address shown", true, dash,
         dash + "\n\nRequest size = 0\n\nLooking for user...\n\n192.168.100.200 is Front Desk\n\nPress q:"},
        {"no user, address not shown", false, dash,
         dash + "\n\nRequest size = 0\n\nLooking for user...\n\n- is Dash User\n\nPress q:"},
        {"unlisted user, damaged size", true, other,
         other + "\n\nRequest size = -5\n\nLooking for user...not found.\n\nPress q:"},
        {"bytes the terminal cannot show", true, escape,
         Line("10.0.0.1?[2J", "7", "ann?") +
             "\n\nRequest size = 7\n\nLooking for user...not found.\n\nPress q:"},
        {"blank line", true, " \t ", "Line not available.\n\nPress q:"},
    };
    for (const Case& c : cases) {
        bLookupIP = c.lookupIp;
        EXPECT_EQ(VerboseText(c.line.c_str()), c.text) << c.name;
    }
    EXPECT_EQ(VerboseText(nullptr), "Line not available.\n\nPress q:");
    ResetSettings();
}

} // namespace
