#include "report/totals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "frame/settings.h"

namespace {

std::vector<TotalEntry> Entries(const std::vector<uint64_t>& bytes, const std::vector<int32_t>& counts)
{
    std::vector<TotalEntry> v;
    for (size_t i = 0; i < bytes.size(); ++i)
        v.push_back({bytes[i], counts[i], static_cast<int32_t>(i)});
    return v;
}

std::vector<int32_t> Names(const std::vector<TotalEntry>& v)
{
    std::vector<int32_t> names;
    for (const TotalEntry& e : v)
        names.push_back(e.iNameIndex);
    return names;
}

// The exchange sort the totals were first sorted with: passes from the end
// to the front that swap neighbours out of order, until a pass swaps none.
// Its result is the order the reports have always had.
void ExchangeSort(std::vector<TotalEntry>& v, int mode)
{
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t j = v.size(); j-- > 1;) {
            bool out = mode == eSortByBytes ? v[j - 1].iBytes < v[j].iBytes : v[j - 1].iCount > v[j].iCount;
            if (out) {
                std::swap(v[j - 1], v[j]);
                swapped = true;
            }
        }
    }
}

class SortTotalsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); iFaultCode = 0; }
    void TearDown() override { ResetSettings(); iFaultCode = 0; }
};

TEST_F(SortTotalsTest, OwnSortIsStableInBothModes)
{
    struct Case {
        int mode;
        std::vector<uint64_t> bytes;
        std::vector<int32_t> counts;
        std::vector<int32_t> expected;  // name indexes in the sorted order
    } cases[] = {
        {eSortByBytes, {5, 9, 5, 7}, {1, 1, 1, 1}, {1, 3, 0, 2}},
        {eSortByCount, {1, 1, 1, 1}, {3, 1, 3, 2}, {1, 3, 0, 2}},
        // Bytes compare unsigned: a total below zero counts as huge.
        {eSortByBytes, {10, UINT64_MAX - 4, 20}, {1, 1, 1}, {1, 2, 0}},
        // Counts compare signed.
        {eSortByCount, {0, 0, 0}, {2, -1, 0}, {1, 2, 0}},
        {eSortByBytes, {3, 3, 3}, {1, 2, 3}, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        std::vector<TotalEntry> v = Entries(c.bytes, c.counts);
        SortTotals(v, c.mode);
        EXPECT_EQ(Names(v), c.expected) << "mode " << c.mode;
        EXPECT_EQ(iFaultCode, 0);
    }
}

TEST_F(SortTotalsTest, OwnSortGivesTheExchangeSortOrder)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        size_t n = random() % 60;
        std::vector<TotalEntry> v;
        // Few distinct keys, so that stability decides most of the order;
        // some rounds start nearly sorted, as between two count sorts.
        for (size_t i = 0; i < n; ++i)
            v.push_back({random() % 5, static_cast<int32_t>(round % 3 == 0 ? i / 4 : random() % 4),
                         static_cast<int32_t>(i)});
        for (int mode : {eSortByCount, eSortByBytes}) {
            std::vector<TotalEntry> expected = v;
            ExchangeSort(expected, mode);
            std::vector<TotalEntry> got = v;
            SortTotals(got, mode);
            ASSERT_EQ(Names(got), Names(expected)) << "round " << round << " mode " << mode;
        }
    }
}

TEST_F(SortTotalsTest, LibrarySortOrdersByKeyAndFewerThanTwoEntriesAreLeftAlone)
{
    bRepMySort = false;
    std::vector<TotalEntry> v = Entries({5, 9, 6, 7, UINT64_MAX}, {4, 1, 3, 2, 0});
    SortTotals(v, eSortByBytes);
    EXPECT_EQ(Names(v), (std::vector<int32_t>{4, 1, 3, 2, 0}));
    SortTotals(v, eSortByCount);
    EXPECT_EQ(Names(v), (std::vector<int32_t>{4, 1, 3, 2, 0}));
    EXPECT_EQ(iFaultCode, 0);
    for (bool own : {true, false}) {
        bRepMySort = own;
        iFaultCode = 77;
        std::vector<TotalEntry> one = Entries({5}, {1});
        SortTotals(one, eSortByCount);
        EXPECT_EQ(iFaultCode, 77);
    }
}

} // namespace
