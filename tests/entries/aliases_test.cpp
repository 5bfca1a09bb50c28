#include "entries/aliases.h"

#include <gtest/gtest.h>

#include <string>

#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"
#include "temphome.h"

namespace {

class AliasesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettings();
        sStatusMessage.clear();
    }
    void TearDown() override
    {
        // Leave no aliases behind for other tests.
        TempHome::Write(sAliasesPath, "");
        LoadAliases();
        sStatusMessage.clear();
    }

    static void Load(const std::string& content)
    {
        ASSERT_TRUE(TempHome::Write(sAliasesPath, content));
        LoadAliases();
    }

    static bool Valid(const std::string& text)
    {
        uint32_t value = 12345;
        return AddressValue(text, value);
    }

    TempHome home;
};

TEST_F(AliasesTest, AddressValueAcceptsDottedDecimal)
{
    uint32_t value = 0;
    ASSERT_TRUE(AddressValue("192.168.0.7", value));
    EXPECT_EQ(value, 0xC0A80007u);
    ASSERT_TRUE(AddressValue("255.255.255.255", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    ASSERT_TRUE(AddressValue("10.5", value));
    EXPECT_EQ(value, 10u * 256 + 5);
    ASSERT_TRUE(AddressValue("0.0.10.5", value));
    EXPECT_EQ(value, 10u * 256 + 5);
    ASSERT_TRUE(AddressValue(".7", value));
    EXPECT_EQ(value, 7u);
    ASSERT_TRUE(AddressValue("010.000.000.001", value));
    EXPECT_EQ(value, 0x0A000001u);
    // Only the low 32 bits count.
    ASSERT_TRUE(AddressValue("1.10.0.0.7", value));
    EXPECT_EQ(value, 0x0A000007u);
}

TEST_F(AliasesTest, AddressValueRejectsMalformedText)
{
    for (const char* bad : {"", "10..0.1", "10.0.0.", "0.0.0.0", "0", "10.0.0.300", "256",
                            "10.0.0.x", "10.0.0.7 ", "-1.0.0.1", "host.example", "1.0.0.0.0",
                            "..1", "."}) {
        uint32_t value = 99;
        EXPECT_FALSE(AddressValue(bad, value)) << '"' << bad << '"';
        EXPECT_EQ(value, 99u) << bad;
    }
}

TEST_F(AliasesTest, NamesAndAddressesFromFile)
{
    Load("Boss 10.0.0.5 10.0.0.6\nlab\n\n  ignored 10.0.0.9\nshort 10.5\r\nfirst 10.0.0.7\nsecond 10.0.0.7 10.0.0.8\n");
    EXPECT_EQ(sStatusMessage, "");
    EXPECT_EQ(AliasOf("10.0.0.5"), "Boss");
    EXPECT_EQ(AliasOf("10.0.0.6"), "Boss");
    EXPECT_EQ(AliasOf("10.0.0.9"), "");
    // A CR ends the line; the short form is the same value as 0.0.10.5.
    EXPECT_EQ(AliasOf("0.0.10.5"), "short");
    EXPECT_EQ(AliasOf("10.5"), "short");
    EXPECT_EQ(AliasOf("10.0.0.7"), "first");
    EXPECT_EQ(AliasOf("10.0.0.8"), "second");
    EXPECT_EQ(AliasOf("host.example"), "");
    EXPECT_EQ(AliasOf("lab"), "");
    EXPECT_EQ(AliasOf(""), "");
    EXPECT_EQ(AliasOf("10.0.0.300"), "");
}

TEST_F(AliasesTest, TabIsPartOfTheName)
{
    Load("pc\t10.0.0.5\nlast 10.0.0.6");
    EXPECT_EQ(sStatusMessage, "");
    EXPECT_EQ(AliasOf("10.0.0.5"), "");
    // The last line has no LF and is not read.
    EXPECT_EQ(AliasOf("10.0.0.6"), "");
}

TEST_F(AliasesTest, FormatErrorStopsLoadingAtItsLine)
{
    for (const char* bad : {"10.0.0.300", "10..0.1", "10.0.0.", "0.0.0.0", "10.0.0.x"}) {
        sStatusMessage.clear();
        Load("a 10.0.0.1\n\nb 10.0.0.2\npc 10.0.0.3 " + std::string(bad) + " 10.0.0.4\nc 10.0.0.5\n");
        EXPECT_EQ(sStatusMessage, "Error in aliases file at line 4") << bad;
        EXPECT_EQ(AliasOf("10.0.0.1"), "a");
        EXPECT_EQ(AliasOf("10.0.0.2"), "b");
        EXPECT_EQ(AliasOf("10.0.0.3"), "pc");
        EXPECT_EQ(AliasOf("10.0.0.4"), "");
        EXPECT_EQ(AliasOf("10.0.0.5"), "");
    }
}

TEST_F(AliasesTest, MissingFileMeansNoAliasesAndNoMessage)
{
    Load("a 10.0.0.1\n");
    ASSERT_EQ(AliasOf("10.0.0.1"), "a");
    sAliasesPath = sPrivateDir + "/absent";
    LoadAliases();
    EXPECT_EQ(AliasOf("10.0.0.1"), "");
    EXPECT_EQ(sStatusMessage, "");
}

TEST_F(AliasesTest, FullNameFromUsersFile)
{
    ASSERT_TRUE(TempHome::Write(sUsersPath,
                                "JDoe Wrong Name\njdoe John Doe\nann\nbob   Bob B\r\ncr Car\rl Ross\r\n"
                                "jdoe Second Doe\ntail Never Found"));
    EXPECT_EQ(FullNameOf("jdoe"), "John Doe");
    EXPECT_EQ(FullNameOf("JDOE"), "John Doe");
    EXPECT_EQ(FullNameOf("ann"), "");
    EXPECT_EQ(FullNameOf("bob"), "  Bob B");
    EXPECT_EQ(FullNameOf("cr"), "Carl Ross");
    EXPECT_EQ(FullNameOf("tail"), "");
    EXPECT_EQ(FullNameOf("jd"), "");
    EXPECT_EQ(FullNameOf("nobody"), "");
}

TEST_F(AliasesTest, FullNameOfEmptyUserOrMissingFile)
{
    // A blank-led line has an empty first field: an empty user must not
    // take the rest of it as a full name.
    ASSERT_TRUE(TempHome::Write(sUsersPath, " joe Joe Blank\n\n"));
    EXPECT_EQ(FullNameOf(""), "");
    sUsersPath = sPrivateDir + "/absent";
    EXPECT_EQ(FullNameOf("jdoe"), "");
}

} // namespace
