#include "foundation/rcptr.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "foundation/DObject.h"

namespace mirel {
namespace {

// Counts destructor runs per instance, so double destruction shows up as a count of 2.
struct Tracked : DObject {
    static inline std::vector<int>* log = nullptr;
    int id = 0;
    ~Tracked() override {
        if (log) log->push_back(id);
    }
};

struct TrackedDerived : Tracked {
    char extra[40] = {};  // a different size, so base-typed array arithmetic would go wrong
};

class RcptrTest : public ::testing::Test {
protected:
    void SetUp() override { Tracked::log = &destroyed; }
    void TearDown() override { Tracked::log = nullptr; }
    std::vector<int> destroyed;
};

TEST_F(RcptrTest, CopiesShareOneCountAndTheLastReleaseDestroys) {
    rcptr<Tracked> a;
    a.Create();
    a->id = 7;
    EXPECT_EQ(a.UseCount(), 1);
    {
        rcptr<Tracked> b(a);
        rcptr<Tracked> c;
        c = b;
        EXPECT_EQ(a.UseCount(), 3);
        EXPECT_EQ(c.Get(), a.Get());
    }
    EXPECT_EQ(a.UseCount(), 1);
    EXPECT_TRUE(destroyed.empty());
    a.Reset();
    EXPECT_FALSE(a);
    EXPECT_EQ(destroyed, std::vector<int>{7});
}

TEST_F(RcptrTest, BaseHandleOverDerivedArrayDestroysEveryElementOnce) {
    rcptr<TrackedDerived> derived;
    derived.Allocate(3);
    for (int i = 0; i < 3; ++i) derived[i].id = i + 1;
    rcptr<DObject> base(derived);
    derived.Reset();
    EXPECT_TRUE(destroyed.empty());
    base.Reset();
    EXPECT_EQ(destroyed, (std::vector<int>{3, 2, 1}));
}

TEST_F(RcptrTest, UntypedHolderDestroysAsTheRealType) {
    rcptr<TrackedDerived> derived;
    derived.Create();
    derived->id = 5;
    rcptr_holder holder(derived);
    derived.Reset();
    rcptr<TrackedDerived> back = holder.As<TrackedDerived>();
    EXPECT_EQ(back->id, 5);
    EXPECT_EQ(holder.UseCount(), 2);
    back.Reset();
    holder.Reset();
    EXPECT_EQ(destroyed, std::vector<int>{5});
}

TEST_F(RcptrTest, CopyOffsetReleasedLastFreesTheWholeArray) {
    rcptr<Tracked> whole;
    whole.Allocate(5);
    for (int i = 0; i < 5; ++i) whole[i].id = i;
    rcptr<Tracked> inner = whole.CopyOffset(2);
    EXPECT_EQ(inner->id, 2);
    whole.Reset();
    EXPECT_TRUE(destroyed.empty());
    inner.Reset();
    EXPECT_EQ(destroyed.size(), 5u);
}

TEST_F(RcptrTest, SelfAssignKeepsTheObject) {
    rcptr<Tracked> a;
    a.Create();
    a->id = 1;
    a.Assign(a);
    const rcptr<Tracked>& alias = a;
    a = alias;
    EXPECT_EQ(a.UseCount(), 1);
    EXPECT_EQ(a->id, 1);
    a.Adopt(a);
    EXPECT_EQ(a.UseCount(), 1);
    EXPECT_TRUE(destroyed.empty());
}

TEST_F(RcptrTest, CreateOnAnOwningHandleDestroysTheOldObject) {
    rcptr<Tracked> a;
    a.Create();
    a->id = 1;
    a.Create();
    a->id = 2;
    EXPECT_EQ(destroyed, std::vector<int>{1});
    EXPECT_EQ(a.UseCount(), 1);
}

TEST_F(RcptrTest, AdoptMovesWithoutAddingAReference) {
    rcptr<Tracked> a, b;
    a.Create();
    b.Create();
    b->id = 9;
    Tracked* object = a.Get();
    b.Adopt(a);
    EXPECT_EQ(destroyed, std::vector<int>{9});
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), object);
    EXPECT_EQ(b.UseCount(), 1);
}

TEST(Rcptr, NonOwningHandlesNeverFree) {
    char text[] = "stack text";
    rcptr<char> h = rcptr<char>::NonOwning(text);
    rcptr<char> copy(h);
    EXPECT_EQ(copy.UseCount(), 0);
    EXPECT_EQ(copy.Get(), text);
    copy.Reset();
    h = rcptr<char>();  // released by assignment: must not free stack memory
    rcptr<char> null;
    null.Reset();
    EXPECT_FALSE(null);
}

TEST(Rcptr, AllocateZeroLeavesANullHandle) {
    rcptr<int> h;
    h.Allocate(4);
    EXPECT_TRUE(h);
    h.Allocate(0);
    EXPECT_FALSE(h);
    EXPECT_EQ(h.UseCount(), 0);
}

TEST(Rcptr, HandlesTakeAndReturnPoolBlocks) {
    const uint32_t before = DRefCountPool().Used();
    rcptr<int> h;
    h.Allocate(1);
    EXPECT_EQ(DRefCountPool().Used(), before + 1);
    h.Reset();
    EXPECT_EQ(DRefCountPool().Used(), before);
}

TEST_F(RcptrTest, CopiesOnManyThreadsDestroyOnce) {
    rcptr<Tracked> shared;
    shared.Create();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([shared] {
            for (int i = 0; i < 20000; ++i) {
                rcptr<Tracked> copy(shared);
                rcptr<DObject> base(copy);
            }
        });
    }
    shared.Reset();
    for (auto& t : threads) t.join();
    EXPECT_EQ(destroyed.size(), 1u);
}

}  // namespace
}  // namespace mirel
