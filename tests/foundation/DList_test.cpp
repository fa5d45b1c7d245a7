#include "foundation/DList.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "foundation/DObject.h"

namespace mirel {
namespace {

struct Item : DObject {
    static inline std::map<int, int>* destroyed = nullptr;
    int id = 0;
    ~Item() override {
        if (destroyed) ++(*destroyed)[id];
    }
};

class DListTest : public ::testing::Test {
protected:
    void SetUp() override { Item::destroyed = &destroyed; }
    void TearDown() override { Item::destroyed = nullptr; }

    static rcptr<Item> Make(int id) {
        rcptr<Item> item;
        item.Create();
        item->id = id;
        return item;
    }
    static std::vector<int> Ids(DList<Item>& list) {
        std::vector<int> ids;
        for (auto it = list._GetFirstNode(); !(it == list._GetEndNode()); it = it.Next())
            ids.push_back(it.GetRef()->id);
        return ids;
    }
    // The sentinel's links, checked both ways against the node order.
    static void ExpectLinked(DList<Item>& list) {
        const rcptr<DNode> end = list._GetEndNode().Node();
        uint32_t n = 0;
        for (rcptr<DNode> node = end->next; !(node == end); node = node->next, ++n)
            EXPECT_EQ(node->next->prev.Get(), node.Get());
        EXPECT_EQ(end->next->prev.Get(), end.Get());
        EXPECT_EQ(n, list.Count());
    }

    std::map<int, int> destroyed;
};

TEST_F(DListTest, UnusedListHasNoSentinelUntilAsked) {
    {
        DList<Item> list;  // destroyed without ever making a sentinel
    }
    DList<Item> list;
    EXPECT_FALSE(list._GetFirstRef());
    auto first = list._GetFirstNode();
    EXPECT_TRUE(first == list._GetEndNode());
    EXPECT_EQ(first.Node()->next.Get(), first.Node().Get());
    EXPECT_EQ(first.Node()->prev.Get(), first.Node().Get());
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(DListTest, AddTailKeepsOrderAndLinks) {
    DList<Item> list;
    for (int id = 1; id <= 3; ++id) list.AddTail(Make(id));
    list._LinkNew(list._GetFirstNode().Next(), Make(9));
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 9, 2, 3}));
    EXPECT_EQ(list._GetFirstRef()->id, 1);
    ExpectLinked(list);
}

TEST_F(DListTest, ErasedNodeHeldByAPositionStillLeadsOn) {
    DList<Item> list;
    for (int id = 1; id <= 3; ++id) list.AddTail(Make(id));
    auto middle = list._GetFirstNode().Next();
    auto after = list.Erase(middle);
    EXPECT_EQ(after.GetRef()->id, 3);
    EXPECT_EQ(destroyed[2], 1);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 3}));
    ExpectLinked(list);
    // The detached node is alive and its Next reaches its old follower.
    EXPECT_TRUE(middle.Next() == after);
    // Erasing it again changes nothing.
    EXPECT_TRUE(list.Erase(middle) == after);
    EXPECT_EQ(list.Count(), 2u);
    ExpectLinked(list);
}

TEST_F(DListTest, ErasingTheEndOrTheOnlyElement) {
    DList<Item> list;
    list.AddTail(Make(1));
    auto end = list._GetEndNode();
    EXPECT_TRUE(list.Erase(end) == end);
    EXPECT_EQ(list.Count(), 1u);

    EXPECT_TRUE(list.Erase(list._GetFirstNode()) == end);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(end.Node()->next.Get(), end.Node().Get());
    EXPECT_EQ(end.Node()->prev.Get(), end.Node().Get());
    EXPECT_EQ(destroyed[1], 1);
}

TEST_F(DListTest, ElementHandlesOutliveTheirErasure) {
    DList<Item> list;
    rcptr<Item> kept = Make(4);
    list.AddTail(kept);
    EXPECT_EQ(kept.UseCount(), 2);
    list._EraseAllNodes();
    EXPECT_EQ(kept.UseCount(), 1);
    EXPECT_EQ(destroyed.count(4), 0u);
}

TEST_F(DListTest, DestructorDestroysEachElementOnce) {
    DList<Item>::Iterator held;  // outlives the list: its detached node must still be freed
    {
        DList<Item> list;
        for (int id = 0; id < 1000; ++id) list.AddTail(Make(id));
        held = list._GetFirstNode().Next();
    }
    ASSERT_EQ(destroyed.size(), 1000u);
    for (const auto& [id, times] : destroyed) EXPECT_EQ(times, 1) << id;
    EXPECT_FALSE(held.GetRef());
    // LeakSanitizer reports the nodes if a ring of references was never broken.
}

TEST_F(DListTest, ListsOfBaseHandlesDestroyDerivedElements) {
    DList<DObject> list;
    list.AddTail(Make(7));
    list._EraseAllNodes();
    EXPECT_EQ(destroyed[7], 1);
}

}  // namespace
}  // namespace mirel
