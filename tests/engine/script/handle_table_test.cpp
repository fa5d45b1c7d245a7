#include "engine/script/handle_table.h"

#include <gtest/gtest.h>

#include <set>

namespace tessera::test {
namespace {

TEST(HandleTable, StaleAndForgedIdsFindNothing) {
    HandleTable<int> table;
    int a = 1, b = 2;
    const uint32_t idA = table.insert(&a);
    EXPECT_NE(idA, 0u);
    EXPECT_EQ(table.find(idA), &a);
    EXPECT_EQ(table.remove(idA), &a);
    EXPECT_EQ(table.find(idA), nullptr);
    EXPECT_EQ(table.remove(idA), nullptr);
    const uint32_t idB = table.insert(&b);  // the same slot, a new generation
    EXPECT_NE(idB, idA);
    EXPECT_EQ(table.find(idA), nullptr);
    EXPECT_EQ(table.find(idB), &b);
    EXPECT_EQ(table.find(0), nullptr);
    EXPECT_EQ(table.find(idB + 1), nullptr);
    EXPECT_EQ(table.find(idB ^ 0x10000u), nullptr);
}

// A slot whose generations have gone all the way round is retired: no id ever repeats.
TEST(HandleTable, IdsNeverRepeatWhenGenerationsWrap) {
    HandleTable<int> table;
    int value = 0;
    std::set<uint32_t> seen;
    for (int i = 0; i < 0x10000 + 10; ++i) {
        const uint32_t id = table.insert(&value);
        ASSERT_TRUE(seen.insert(id).second) << i;
        table.remove(id);
    }
}

TEST(HandleTable, TwoTablesIssueDifferentIds) {
    HandleTable<int> first, second;
    int value = 0;
    EXPECT_NE(first.insert(&value), second.insert(&value));
}

}  // namespace
}  // namespace tessera::test
