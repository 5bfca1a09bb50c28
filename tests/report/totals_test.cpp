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

TEST_F(SortTotalsTest, SortingTheTouchedTotalsGivesTheExchangeSortOrderAsARunWouldMeetThem)
{
    // A run's rhythm: lines add to a few of many totals (new ones at the
    // end), then a count sort; counts tie often, so the positions decide.
    struct Case {
        size_t names;    // distinct names the lines draw from
        int perSort;     // lines between two count sorts
        bool librarySort;
    };
    const Case cases[] = {{3, 2, false}, {40, 7, false}, {2000, 100, false}, {2000, 3000, false}, {300, 50, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names);
        bRepMySort = !c.librarySort;
        std::mt19937 random(static_cast<unsigned>(c.names));
        std::vector<TotalEntry> expected, got;
        std::vector<int32_t> entryOf;  // name index -> position in got
        std::vector<uint8_t> touched;
        for (int sorts = 0; sorts < 30; ++sorts) {
            for (int line = 0; line < c.perSort; ++line) {
                // A long tail: low name indexes come up far more often.
                size_t name = static_cast<size_t>(random() % (random() % c.names + 1));
                if (name >= entryOf.size()) {
                    name = entryOf.size();
                    TotalEntry e{0, 0, static_cast<int32_t>(name)};
                    expected.push_back(e);
                    got.push_back(e);
                    entryOf.push_back(static_cast<int32_t>(got.size() - 1));
                    touched.push_back(0);
                }
                for (TotalEntry& e : expected)
                    if (e.iNameIndex == static_cast<int32_t>(name))
                        ++e.iCount;
                ++got[static_cast<size_t>(entryOf[name])].iCount;
                touched[name] = 1;
            }
            if (c.librarySort) {
                SortTotals(expected, eSortByCount);
                SortTouchedByCount(got, touched);
                for (size_t i = 1; i < got.size(); ++i)
                    ASSERT_LE(got[i - 1].iCount, got[i].iCount);
            } else {
                ExchangeSort(expected, eSortByCount);
                std::vector<int32_t> before = Names(got);
                size_t from = SortTouchedByCount(got, touched);
                ASSERT_EQ(Names(got), Names(expected)) << "after sort " << sorts;
                // The first changed position is where the order first differs.
                size_t differs = 0;
                while (differs < got.size() && got[differs].iNameIndex == before[differs])
                    ++differs;
                ASSERT_EQ(from, differs);
            }
            for (size_t i = 0; i < got.size(); ++i)
                entryOf[static_cast<size_t>(got[i].iNameIndex)] = static_cast<int32_t>(i);
            EXPECT_EQ(std::count(touched.begin(), touched.end(), 1), 0);
            EXPECT_EQ(iFaultCode, 0);
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
