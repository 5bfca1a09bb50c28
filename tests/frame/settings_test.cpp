// Setting a value by its configuration key, and the number readers every
// prompt and the configuration file share.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "frame/numbers.h"
#include "frame/settings.h"

namespace {

class SetByKeyTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
    void TearDown() override { ResetSettings(); }
};

TEST_F(SetByKeyTest, KindsAndBounds)
{
    struct Case {
        const char* key;
        const char* text;
        eSettingSet result;
        const char* after;  // SettingText(key) afterwards
        const char* why;
    };
    const Case cases[] = {
        {"iRepColumns", "45", eSettingTaken, "45", ""},
        {"iRepColumns", "256", eSettingTaken, "256", ""},
        {"iRepColumns", "44", eSettingBadValue, "80", "a whole number from 45 to 256"},
        {"iRepColumns", "257", eSettingBadValue, "80", "a whole number from 45 to 256"},
        {"iRepColumns", "100x", eSettingBadValue, "80", "a whole number from 45 to 256"},
        {"iRepColumns", " 100", eSettingBadValue, "80", "a whole number from 45 to 256"},
        {"iRepColumns", "", eSettingBadValue, "80", "a whole number from 45 to 256"},
        {"iRepCSVcols", "11", eSettingTaken, "11", ""},
        {"iRepCSVcols", "600", eSettingBadValue, "100", "a whole number from 11 to 599"},
        {"iRepBUT", "2", eSettingTaken, "2", ""},
        {"iRepBUT", "3", eSettingBadValue, "1", "a whole number from 0 to 2"},
        {"iRepBDI", "-1", eSettingBadValue, "0", "a whole number from 0 to 1"},
        {"iUserNameLen", "64", eSettingTaken, "64", ""},
        {"iUserNameLen", "0", eSettingBadValue, "8", "a whole number from 1 to 64"},
        {"iTallyHP", "-5", eSettingTaken, "-5", ""},
        {"iTallyHP", "99999999999", eSettingBadValue, "3600",
         "a whole number from -2147483648 to 2147483647"},
        {"bRepSplit", "yes", eSettingTaken, "yes", ""},
        {"bRepKeepExt", "no", eSettingTaken, "no", ""},
        {"bRepSplit", "Yes", eSettingBadValue, "no", "yes or no"},
        {"iTallyMonitor", "1", eSettingBadValue, "yes", "yes or no"},
        {"iTallyFade", "0.5", eSettingTaken, "0.500000", ""},
        {"iTallyFade", "1e40", eSettingBadValue, "0.750000", "a decimal number"},
        {"iTallyFade", "nan", eSettingBadValue, "0.750000", "a decimal number"},
        {"iTallyFade", "0.5 ", eSettingBadValue, "0.750000", "a decimal number"},
        {"sRepTitle", "Weekly  use ", eSettingTaken, "Weekly  use ", ""},
        {"sRepTitle", "two\nlines", eSettingBadValue, "", "a text without line ends"},
        {"sRepFileName", "", eSettingTaken, "", ""},
        {"srepfilename", "x", eSettingUnknownKey, "", ""},
        {"sDebugText", "x", eSettingUnknownKey, "", ""},
    };
    for (const Case& c : cases) {
        ResetSettings();
        std::string why;
        EXPECT_EQ(SetSettingFromText(c.key, c.text, &why), c.result) << c.key << "=" << c.text;
        EXPECT_EQ(SettingText(c.key), c.after) << c.key << "=" << c.text;
        EXPECT_EQ(why, c.why) << c.key << "=" << c.text;
    }
}

TEST(NumberReaders, SignsBlanksAndOverflow)
{
    struct Case {
        const char* text;
        int64_t leading;
        int leadingInt;
        int wrapped;
    };
    const Case cases[] = {
        {"", 0, 0, 0},
        {"abc", 0, 0, 0},
        {" \t\r-12x", -12, -12, -12},
        {"+7 8", 7, 7, 7},
        {"- 3", 0, 0, 0},
        {"2147483648", 2147483648LL, INT_MAX, INT_MIN},
        {"-2147483649", -2147483649LL, INT_MIN, INT_MAX},
        {"18446744073709551611", INT64_MAX, INT_MAX, -5},
        {"99999999999999999999999", INT64_MAX, INT_MAX, -1},
        {"-9223372036854775808", INT64_MIN, INT_MIN, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LeadingNumber(c.text), c.leading) << c.text;
        EXPECT_EQ(LeadingInt(c.text), c.leadingInt) << c.text;
        EXPECT_EQ(LeadingIntWrapped(c.text), c.wrapped) << c.text;
    }
}

TEST(NumberReaders, WholeNumberTakesOnlyDigitsAndASign)
{
    struct Case {
        const char* text;
        bool whole;
        int64_t value;
    };
    const Case cases[] = {
        {"0", true, 0},           {"-17", true, -17},    {"+5", true, 5},
        {"", false, 0},           {"-", false, 0},       {" 5", false, 0},
        {"5 ", false, 0},         {"1.5", false, 0},     {"9223372036854775807", true, INT64_MAX},
        {"9223372036854775808", false, 0},
    };
    for (const Case& c : cases) {
        int64_t value = 0;
        EXPECT_EQ(WholeNumber(c.text, value), c.whole) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

} // namespace
