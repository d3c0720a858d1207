// The tree's node lists: every change that the parser makes to a level gives what std::vector
// gives, with elements that can only be moved (as nodes are).
#include "model/compact_vector.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qm::model {
namespace {

using Item = std::unique_ptr<int>;

std::vector<int> valuesOf(const CompactVector<Item>& list)
{
    std::vector<int> values;
    for (const Item& item : list) values.push_back(item ? *item : -1);
    return values;
}

CompactVector<Item> listOf(int count, int first = 0)
{
    CompactVector<Item> list;
    for (int i = 0; i < count; ++i) list.push_back(std::make_unique<int>(first + i));
    return list;
}

TEST(CompactVector, InsertsAndErasesAsStdVectorDoesAtEveryPlace)
{
    for (int size = 0; size <= 6; ++size) {
        for (int at = 0; at <= size; ++at) {
            for (int count = 0; count <= 4; ++count) {
                for (const bool trimmed : {false, true}) {
                    CompactVector<Item> list = listOf(size);
                    if (trimmed) list.shrink_to_fit();  // no room: the insert moves everything
                    std::vector<int> expected;
                    for (int i = 0; i < size; ++i) expected.push_back(i);
                    CompactVector<Item> more = listOf(count, 100);
                    list.insert(list.begin() + at, std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
                    for (int i = 0; i < count; ++i) expected.insert(expected.begin() + at + i, 100 + i);
                    ASSERT_EQ(valuesOf(list), expected) << "size " << size << " at " << at << " count " << count;

                    list.emplace(list.begin() + at, std::make_unique<int>(50));
                    expected.insert(expected.begin() + at, 50);
                    ASSERT_EQ(valuesOf(list), expected);

                    const auto last = std::min<std::ptrdiff_t>(at + count, static_cast<std::ptrdiff_t>(list.size()));
                    list.erase(list.begin() + at, list.begin() + last);
                    expected.erase(expected.begin() + at, expected.begin() + last);
                    ASSERT_EQ(valuesOf(list), expected);
                }
            }
        }
    }
}

TEST(CompactVector, GrowsKeepsAndGivesBackItsElements)
{
    CompactVector<Item> list;
    EXPECT_TRUE(list.empty());
    for (int i = 0; i < 100; ++i) {
        // An element of the list itself as the argument: it is read before the list grows.
        if (i > 0 && i % 10 == 0) {
            Item copy = std::make_unique<int>(*list.back());
            list.emplace_back(std::move(copy));
            *list.back() = i;
        } else {
            list.emplace_back(std::make_unique<int>(i));
        }
    }
    ASSERT_EQ(list.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(*list[static_cast<std::size_t>(i)], i);
    EXPECT_EQ(*list.front(), 0);
    EXPECT_EQ(*list.rbegin()->get(), 99);
    EXPECT_THROW((void)list.at(100), std::out_of_range);

    list.pop_back();
    list.resize(50);
    list.shrink_to_fit();
    EXPECT_EQ(list.capacity(), 50u);
    CompactVector<Item> moved = std::move(list);
    EXPECT_TRUE(list.empty());  // NOLINT: a moved-from list is empty
    EXPECT_EQ(moved.size(), 50u);
    moved.resize(52);
    EXPECT_EQ(moved.back(), nullptr);
    moved.clear();
    EXPECT_TRUE(moved.empty());
}

}  // namespace
}  // namespace qm::model
