// The one-pass field split and the word search that long scans use must
// find exactly what FieldView and a plain substring search find.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "entries/fields.h"
#include "entries/words.h"
#include "frame/settings.h"

namespace {

class LineSplitTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        sWords.clear();
        ResetSettings();
        DetectLayout("");
    }
};

TEST_F(LineSplitTest, FieldsAreThoseFieldViewFinds)
{
    const char* lines[] = {
        "",
        "   ",
        "a  b\tc",
        " a b",
        "a b c \r\n",
        "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20",
        "f1 f2 f3 f4 f5 f6 f7 f8 f9  ",
        "x\ry z",
    };
    // Long random lines too: the split works on blocks of bytes, and every
    // field edge and line end must come out the same at any place in a block.
    std::vector<std::string> all(std::begin(lines), std::end(lines));
    std::mt19937 random(5);
    const std::string alphabet = "ab  \t.\r\n\x80";
    for (int round = 0; round < 300; ++round) {
        std::string line;
        for (size_t k = 0, n = random() % 300; k < n; ++k)
            line += alphabet[random() % (round % 2 == 0 ? 5 : alphabet.size())];
        all.push_back(line);
    }
    for (const char* first : {"1 2 10.0.0.7 x 5", "a b c d e: f g 10.0.0.7 x 5", ""}) {
        DetectLayout(first);
        for (const std::string& text : all) {
            const char* line = text.c_str();
            LineFields fields;
            SplitLine(line, fields);
            EXPECT_EQ(fields.length, std::string(line).find_first_of("\r\n") == std::string::npos
                                         ? std::string(line).size()
                                         : std::string(line).find_first_of("\r\n"))
                << line;
            for (int n = -1; n <= 22; ++n)
                EXPECT_EQ(FieldOf(fields, n), FieldView(line, n)) << "field " << n << " of \"" << line << "\"";
        }
    }
}

TEST_F(LineSplitTest, WordMarkIsThatOfTheFirstEntryFoundAnywhere)
{
    DetectLayout("1 2 10.0.0.7 TCP_MISS/200 5 GET http://h/ -");
    std::mt19937 random(11);
    const std::string alphabet = "abz./q0 ";
    for (int round = 0; round < 2000; ++round) {
        std::string words;
        std::vector<std::string> entries;
        for (int w = 0; w < 3; ++w) {
            std::string word;
            for (size_t k = 0, n = 1 + random() % (round % 2 == 0 ? 4 : 7); k < n; ++k)
                word += alphabet[random() % (alphabet.size() - 1)];
            entries.push_back((random() % 3 == 0 ? "!" : "") + word);
            words += entries.back() + "\n";
        }
        std::string line;
        // Short lines, and long ones whose words stand anywhere in a block.
        for (size_t k = 0, n = random() % (round % 2 == 0 ? 30 : 200); k < n; ++k)
            line += alphabet[random() % alphabet.size()];
        char expected = ' ';
        for (const std::string& entry : entries) {
            bool skip = entry[0] == '!';
            if (line.find(entry.substr(skip ? 1 : 0)) != std::string::npos) {
                expected = skip ? '-' : 'w';
                break;
            }
        }
        sWords = words;
        std::string marks;
        MatchWords(line.c_str(), marks);
        ASSERT_EQ(marks[0], expected) << "line \"" << line << "\" words\n" << words;
    }
}

TEST_F(LineSplitTest, WordIsFoundAtEveryPlaceAndNotWhenCutShort)
{
    // Every place in lines of up to five blocks, and the word without its
    // last byte at the line's end.
    DetectLayout("1 2 10.0.0.7 TCP_MISS/200 5 GET http://h/ -");
    for (const std::string word : {"q", "zq", "readme", "0123456789abcdefgh"}) {
        sWords = word + "\n";
        for (size_t length = word.size(); length <= 80; ++length) {
            for (size_t at = 0; at + word.size() <= length; ++at) {
                std::string line(length, '~');
                line.replace(at, word.size(), word);
                std::string marks;
                MatchWords(line.c_str(), marks);
                ASSERT_EQ(marks[0], 'w') << "\"" << line << "\"";
            }
            std::string cut(length - 1, '~');
            cut.replace(cut.size() - (word.size() - 1), word.size() - 1, word.substr(0, word.size() - 1));
            std::string marks;
            MatchWords(cut.c_str(), marks);
            ASSERT_EQ(marks[0], ' ') << "\"" << cut << "\"";
        }
    }
}

} // namespace
