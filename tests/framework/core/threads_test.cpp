#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/core/core.h"
#include "framework/core/spinlock.h"
#include "framework/core/thread.h"

namespace {

TEST(SpinLock, ZeroFilledLockIsFreeAndRecursive) {
    PEL_SPINLOCK lock{};
    EXPECT_EQ(pelSpinTryLock(&lock), PEL_OK);
    EXPECT_EQ(pelSpinLock(&lock), PEL_OK);
    EXPECT_EQ(lock.depth, 2u);
    pelSpinUnlock(&lock);
    pelSpinUnlock(&lock);
    EXPECT_EQ(lock.state.load(), 0u);
}

TEST(SpinLock, AnotherThreadGetsInOnlyAfterEveryLevelIsReleased) {
    PEL_SPINLOCK lock{};
    pelSpinLock(&lock);
    pelSpinLock(&lock);
    auto tryElsewhere = [&] {
        PEL_STATUS status = 0;
        std::thread other([&] {
            status = pelSpinTryLock(&lock);
            if (status == PEL_OK) pelSpinUnlock(&lock);
        });
        other.join();
        return status;
    };
    EXPECT_EQ(tryElsewhere(), PEL_E_BUSY);
    pelSpinUnlock(&lock);
    EXPECT_EQ(tryElsewhere(), PEL_E_BUSY);
    pelSpinUnlock(&lock);
    EXPECT_EQ(tryElsewhere(), PEL_OK);
}

TEST(SpinLock, SerialisesIncrementsFromSeveralThreads) {
    pelInitialize();
    PEL_SPINLOCK lock{};
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                PelSpinGuard outer(&lock);
                PelSpinGuard inner(&lock);
                ++counter;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(counter, 80000);
}

TEST(Thread, RunsTheEntryAndGivesTheRecordBack) {
    pelInitialize();
    std::atomic<int> ran{0};
    const uint32_t freeBefore = pelThreadGetFreeRecordCount();
    PEL_THREAD* thread = nullptr;
    ASSERT_EQ(pelThreadCreate(
                  &thread,
                  [](void* user) -> uint32_t {
                      static_cast<std::atomic<int>*>(user)->fetch_add(1);
                      return 7;
                  },
                  &ran, 5, 1024),
              PEL_OK);
    uint32_t exitCode = 0;
    EXPECT_TRUE(pelThreadJoin(thread, &exitCode));
    EXPECT_EQ(exitCode, 7u);
    EXPECT_EQ(pelThreadGetPriority(thread), 15);
    pelThreadClose(thread);
    EXPECT_EQ(ran.load(), 1);
    EXPECT_EQ(pelThreadGetFreeRecordCount(), freeBefore > 0 ? freeBefore : 4u);
}

TEST(Thread, WithoutAHandleTheThreadRunsUnwatched) {
    pelInitialize();
    std::atomic<bool> done{false};
    ASSERT_EQ(pelThreadCreate(
                  nullptr,
                  [](void* user) -> uint32_t {
                      static_cast<std::atomic<bool>*>(user)->store(true);
                      return 0;
                  },
                  &done, 2, 0),
              PEL_OK);
    while (!done.load()) std::this_thread::yield();
}

}  // namespace
