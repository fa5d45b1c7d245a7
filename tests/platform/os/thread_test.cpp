#include "platform/os/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/os/event.h"
#include "platform/os/interlocked.h"

namespace platform::os {
namespace {

struct Work {
    std::atomic<int> runs{0};
    uint32_t idSeen = 0;
};

uint32_t countRun(void* argument) {
    auto* work = static_cast<Work*>(argument);
    work->idSeen = currentThreadId();
    ++work->runs;
    return 7;
}

TEST(Thread, RunsProcedureWithArgumentAndJoinsItsExitCode) {
    Work work;
    Thread thread;
    ASSERT_TRUE(thread.start(countRun, &work));
    const uint32_t id = thread.id();
    EXPECT_NE(id, 0u);
    EXPECT_FALSE(thread.start(countRun, &work));  // one thread per object
    uint32_t exitCode = 0;
    EXPECT_TRUE(thread.join(&exitCode));
    EXPECT_EQ(exitCode, 7u);
    EXPECT_EQ(work.runs, 1);
    EXPECT_EQ(work.idSeen, id);
    EXPECT_NE(currentThreadId(), id);
    EXPECT_NE(currentThreadId(), 0u);
    EXPECT_FALSE(thread.join());
    EXPECT_FALSE(thread.running());
}

uint32_t waitForEvent(void* argument) {
    static_cast<Event*>(argument)->wait(kInfinite);
    return 0;
}

TEST(Thread, DetachedThreadRunsOnAndCanBeRestarted) {
    // The detached thread may still be returning from its wait after the test ends: the
    // event must outlive the test.
    static Event release(true, false);
    Thread thread;
    thread.setPriority(2);
    ASSERT_TRUE(thread.start(waitForEvent, &release));
    thread.detach();
    EXPECT_FALSE(thread.running());
    EXPECT_EQ(thread.priority(), 2);  // recorded only
    release.set();
    Work work;
    ASSERT_TRUE(thread.start(countRun, &work));
    thread.join();
    EXPECT_EQ(work.runs, 1);
    thread.detach();  // nothing held: no effect
}

TEST(Interlocked, CountsFromManyThreads) {
    int32_t count = 0;
    int32_t total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                interlockedIncrement(count);
                interlockedExchangeAdd(total, 3);
                interlockedDecrement(count);
                interlockedIncrement(count);
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(interlockedRead(count), 40000);
    EXPECT_EQ(interlockedRead(total), 120000);
}

TEST(Interlocked, ReturnValues) {
    int32_t word = 5;
    EXPECT_EQ(interlockedIncrement(word), 6);
    EXPECT_EQ(interlockedDecrement(word), 5);
    EXPECT_EQ(interlockedExchange(word, 9), 5);
    EXPECT_EQ(interlockedExchangeAdd(word, 2), 9);
    EXPECT_EQ(interlockedCompareExchange(word, 1, 0), 11);  // no match: unchanged
    EXPECT_EQ(word, 11);
    EXPECT_EQ(interlockedCompareExchange(word, 1, 11), 11);
    EXPECT_EQ(word, 1);
}

}  // namespace
}  // namespace platform::os
