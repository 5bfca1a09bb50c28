#include "report/nametotals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "frame/settings.h"

namespace {

class NameTotalsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); iFaultCode = 0; }
    void TearDown() override { ResetSettings(); iFaultCode = 0; }
};

// Names as logs bring them: short, long (past a cache line, a few KB),
// realm forms, one the start of another, differing only in the last
// byte, and empty.
std::vector<std::string> SomeNames(size_t count)
{
    std::vector<std::string> names = {"", "a", "ab", "CORP\\jsmith", "jsmith@CORP.EXAMPLE.COM", "jsmith",
                                      std::string(3000, 'x') + "1", std::string(3000, 'x') + "2",
                                      "www.example.com:443", "www.example.co"};
    for (size_t i = 0; names.size() < count; ++i)
        names.push_back("s" + std::to_string(i) + (i % 7 == 0 ? std::string(70, '-') : "") + ".example.net");
    names.resize(count);
    return names;
}

// One name's total in the sequence the oracle keeps.
struct Kept {
    size_t name;
    uint64_t bytes;
    int32_t count;
};

TEST_F(NameTotalsTest, OrderAndTotalsAreThoseOfSortingTheWholeSequenceAtEverySort)
{
    // A run's rhythm: adds to a few of many names (new ones at the end of
    // the sequence), then a count sort. Counts tie often, so the places
    // the sorts leave decide most of the order.
    struct Case {
        size_t names;  // distinct names the adds draw from
        int perSort;   // adds between two count sorts
        int sorts;
        bool librarySort;
        // How the totals are made (see NameTotals' constructor): by
        // default, or relabelling after every or every few sorts, or with
        // keys never packed into one word.
        int64_t relabelFloor = int64_t{1} << 24;
        int64_t relabelPerName = 32;
        int keyBits = 64;
    };
    const Case cases[] = {{1, 3, 4, false},       {3, 2, 30, false},   {40, 7, 30, false},
                          {2000, 100, 30, false}, {2000, 3000, 3, false}, {500, 40, 0, false},
                          {300, 50, 30, true},    {1, 5, 3, true},     {5000, 900, 12, false},
                          {40, 7, 30, false, 0, 0},             {2000, 100, 30, false, 0, 0},
                          {2000, 300, 30, false, 0, 2},         {2000, 100, 30, false, 1 << 24, 32, 0},
                          {5000, 900, 12, false, 1 << 24, 32, 0}, {300, 50, 30, true, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.names << " names, " << c.perSort << " per sort"
                                        << (c.librarySort ? ", library sort" : "") << ", relabel "
                                        << c.relabelFloor << "/" << c.relabelPerName << ", key bits " << c.keyBits);
        bRepMySort = !c.librarySort;
        std::mt19937 random(static_cast<unsigned>(c.names * 31 + static_cast<size_t>(c.perSort)));
        std::vector<std::string> names = SomeNames(c.names);
        std::vector<Kept> sequence;  // the oracle: every total, sorted again and again
        std::vector<size_t> firstSeen;
        NameTotals totals(c.relabelFloor, c.relabelPerName, c.keyBits);
        for (int sort = 0; sort <= c.sorts; ++sort) {
            for (int add = 0; add < c.perSort; ++add) {
                // A long tail: low names come up far more often.
                size_t name = static_cast<size_t>(random() % (random() % c.names + 1));
                int64_t bytes = static_cast<int64_t>(random() % 4) * 1000;
                auto kept = std::find_if(sequence.begin(), sequence.end(),
                                         [name](const Kept& k) { return k.name == name; });
                if (kept == sequence.end()) {
                    sequence.push_back({name, 0, 0});
                    firstSeen.push_back(name);
                    kept = sequence.end() - 1;
                }
                kept->bytes += static_cast<uint64_t>(bytes);
                ++kept->count;
                totals.Add(names[name], bytes);
            }
            if (sort == c.sorts)
                break;
            if (c.librarySort) {
                // The library's order is whatever its sort makes of the
                // same sequence: the same call must give the same order.
                std::vector<TotalEntry> entries;
                for (size_t i = 0; i < sequence.size(); ++i)
                    entries.push_back({sequence[i].bytes, sequence[i].count, static_cast<int32_t>(i)});
                SortTotals(entries, eSortByCount);
                std::vector<Kept> sorted;
                for (const TotalEntry& e : entries)
                    sorted.push_back(sequence[static_cast<size_t>(e.iNameIndex)]);
                sequence.swap(sorted);
            } else {
                std::stable_sort(sequence.begin(), sequence.end(),
                                 [](const Kept& a, const Kept& b) { return a.count < b.count; });
            }
            totals.SortByCount();
            EXPECT_EQ(iFaultCode, 0);
        }
        std::vector<TotalEntry> got;
        std::vector<std::string_view> gotNames;
        totals.Collect(got, gotNames);
        ASSERT_EQ(gotNames.size(), firstSeen.size());
        for (size_t i = 0; i < firstSeen.size(); ++i)
            ASSERT_EQ(gotNames[i], names[firstSeen[i]]) << "name index " << i;
        ASSERT_EQ(got.size(), sequence.size());
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(gotNames[static_cast<size_t>(got[i].iNameIndex)], names[sequence[i].name]) << "place " << i;
            ASSERT_EQ(got[i].iBytes, sequence[i].bytes) << "place " << i;
            ASSERT_EQ(got[i].iCount, sequence[i].count) << "place " << i;
        }
        for (size_t i = 0; i < firstSeen.size(); ++i)
            EXPECT_EQ(totals.Find(names[firstSeen[i]]), static_cast<int32_t>(i));
    }
}

TEST_F(NameTotalsTest, BytesSaturateAndClearForgetsEveryName)
{
    NameTotals totals;
    totals.Add("u", INT64_MAX);
    totals.Add("u", INT64_MAX);
    totals.Add("u", INT64_MAX);
    totals.Add("v", 0);
    std::vector<TotalEntry> got;
    std::vector<std::string_view> names;
    totals.Collect(got, names);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].iBytes, UINT64_MAX);
    EXPECT_EQ(got[0].iCount, 3);
    EXPECT_EQ(got[1].iBytes, 0u);
    EXPECT_EQ(totals.Find("w"), -1);
    totals.Clear();
    EXPECT_EQ(totals.Find("u"), -1);
    totals.Add("w", 5);
    totals.Collect(got, names);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], "w");
    EXPECT_EQ(got[0].iBytes, 5u);
}

} // namespace
