#include "foundation/DAllocator.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "foundation/DRefCount.h"

namespace mirel {
namespace {

TEST(DAllocator, ServesThePoolThenTheHeapAndTakesBothBack) {
    auto pool = std::make_unique<DAllocator<DRefCount, 4096>>();
    std::vector<void*> blocks;
    for (int i = 0; i < 4097; ++i) blocks.push_back(pool->Alloc());
    EXPECT_EQ(pool->Used(), 4096u);
    EXPECT_EQ(std::set<void*>(blocks.begin(), blocks.end()).size(), blocks.size());

    pool->Free(blocks.back());  // the heap block goes back to the heap
    blocks.pop_back();
    EXPECT_EQ(pool->Used(), 4096u);

    void* middle = blocks[1000];
    pool->Free(middle);  // any order
    EXPECT_EQ(pool->Used(), 4095u);
    EXPECT_EQ(pool->Alloc(), middle);
    EXPECT_EQ(pool->Used(), 4096u);

    for (void* b : blocks) pool->Free(b);
    EXPECT_EQ(pool->Used(), 0u);
}

TEST(DAllocator, PayloadsAreAlignedForTheRecord) {
    DAllocator<DRefCount, 2> pool;
    void* a = pool.Alloc();
    void* b = pool.Alloc();
    void* heap = pool.Alloc();
    for (void* p : {a, b, heap}) EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(DRefCount), 0u);
    pool.Free(heap);
    pool.Free(a);
    pool.Free(b);
}

TEST(DAllocator, ManyThreadsAllocateAndFree) {
    // A small pool, so that the threads also run into the heap fallback.
    DAllocator<DRefCount, 64> pool;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&pool, t] {
            std::vector<void*> held;
            for (int round = 0; round < 2000; ++round) {
                for (int i = 0; i < 1 + (round + t) % 40; ++i) {
                    auto* p = static_cast<int*>(pool.Alloc());
                    *p = t;  // a block handed out twice would be written by two threads
                    held.push_back(p);
                }
                for (void* p : held) {
                    ASSERT_EQ(*static_cast<int*>(p), t);
                    pool.Free(p);
                }
                held.clear();
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(pool.Used(), 0u);
}

}  // namespace
}  // namespace mirel
