#include "entries/nameindex.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A name of the form the report meets most: eight letters before a domain.
std::string HostName(uint32_t n)
{
    std::string name(8, 'a');
    for (int i = 7; i >= 0; --i, n /= 26)
        name[static_cast<size_t>(i)] = static_cast<char>('a' + n % 26);
    return name + ".example.com";
}

int32_t Find(const NameIndex& index, const std::vector<std::string>& names, const std::string& name)
{
    return FindName(index, name, NameHash(name),
                    [&names](int32_t i) -> const std::string& { return names[static_cast<size_t>(i)]; });
}

} // namespace

TEST(NameIndex, EveryByteOfANameOfAnyLengthCountsInItsHash)
{
    // A name and the same name with one byte changed, at every place of
    // names from 0 to 24 bytes (whole words and every tail length).
    std::set<uint64_t> seen;
    size_t made = 0;
    for (size_t length = 0; length <= 24; ++length) {
        std::string name(length, 'q');
        seen.insert(NameHash(name));
        ++made;
        for (size_t at = 0; at < length; ++at) {
            std::string other = name;
            other[at] = 'r';
            seen.insert(NameHash(other));
            ++made;
        }
    }
    EXPECT_EQ(seen.size(), made);
    EXPECT_EQ(NameHash("a.example.com"), NameHash(std::string("a.example.com")));
    EXPECT_NE(NameHash(std::string("a\0", 2)), NameHash("a"));
}

TEST(NameIndex, NamesAreFoundThroughGrowthAndReorderingAndOthersAreNot)
{
    struct Case {
        uint32_t count;
        bool reverse; // reordered back to front after adding
    };
    const Case cases[] = {{0, false}, {1, false}, {17, true}, {5000, false}, {5000, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        NameIndex index;
        std::vector<std::string> names;
        for (uint32_t i = 0; i < c.count; ++i) {
            names.push_back(HostName(i * 7919));
            AddName(index, NameHash(names.back()));
        }
        if (c.reverse) {
            std::vector<uint32_t> order;
            for (uint32_t i = c.count; i-- > 0;)
                order.push_back(i);
            std::vector<std::string> moved(names.rbegin(), names.rend());
            names.swap(moved);
            ReorderNames(index, order);
        }
        for (uint32_t i = 0; i < c.count; ++i)
            ASSERT_EQ(Find(index, names, names[i]), static_cast<int32_t>(i));
        EXPECT_EQ(Find(index, names, HostName(1)), -1);
        EXPECT_EQ(Find(index, names, ""), -1);
        ClearNames(index);
        EXPECT_EQ(Find(index, names, names.empty() ? std::string("x") : names[0]), -1);
    }
}
