#include "foundation/DThread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "foundation/DEvent.h"

namespace mirel {
namespace {

struct Job {
    DEvent done;
    std::atomic<int> runs{0};
    void* seen = nullptr;
};

uint32_t RunJob(void* argument) {
    auto* job = static_cast<Job*>(argument);
    job->seen = argument;
    ++job->runs;
    job->done.Set();
    return 0;
}

TEST(DThread, RunsProcedureWithArgumentOncePerStart) {
    Job job;
    ASSERT_TRUE(job.done.Create(false, false));
    DThread thread;
    ASSERT_TRUE(thread.Start(&RunJob, &job));
    EXPECT_TRUE(thread.IsStarted());
    EXPECT_NE(thread.GetThreadId(), 0u);
    EXPECT_FALSE(thread.Start(&RunJob, &job));  // still held: nothing started
    ASSERT_EQ(job.done.Wait(platform::os::kInfinite), 0u);
    EXPECT_EQ(job.seen, &job);
    thread.Close();
    EXPECT_FALSE(thread.IsStarted());
    EXPECT_EQ(thread.GetThreadId(), 0u);

    ASSERT_TRUE(thread.Start(&RunJob, &job));  // startable again after Close
    ASSERT_EQ(job.done.Wait(platform::os::kInfinite), 0u);
    EXPECT_EQ(job.runs, 2);
}

TEST(DThread, CloseWithoutStartIsHarmless) {
    DThread thread;
    thread.Close();
    thread.Close();
    EXPECT_FALSE(thread.IsStarted());
}

TEST(DEvent, PollIsTrueWhenNotSignalledAndConsumesAnAutoResetSignal) {
    DEvent event;
    EXPECT_TRUE(event.Poll());  // no event at all
    EXPECT_EQ(event.Wait(0), 0xFFFFFFFFu);
    EXPECT_FALSE(event.Set());

    ASSERT_TRUE(event.Create(true, false));
    EXPECT_FALSE(event.Poll());  // signalled ...
    EXPECT_TRUE(event.Poll());   // ... and consumed
    EXPECT_TRUE(event.Signal());
    EXPECT_TRUE(event.Reset());
    EXPECT_TRUE(event.Poll());

    DEvent manual;
    ASSERT_TRUE(manual.Create(false, true));
    EXPECT_TRUE(manual.Poll());
    EXPECT_TRUE(manual.Set());
    EXPECT_FALSE(manual.Poll());
    EXPECT_FALSE(manual.Poll());  // stays signalled
    EXPECT_TRUE(manual.Pulse());
    EXPECT_TRUE(manual.Poll());
}

TEST(DEvent, CreateTwiceKeepsTheOldEventAndCloseTwiceIsTrue) {
    DEvent event;
    ASSERT_TRUE(event.Create(false, true));
    const auto first = event.GetHandle();
    EXPECT_FALSE(event.Create(true, false));
    EXPECT_EQ(event.GetHandle(), first);
    EXPECT_TRUE(event.Poll());  // still the unsignalled manual event
    EXPECT_TRUE(event.Close());
    EXPECT_TRUE(event.Close());
    EXPECT_EQ(event.GetHandle(), nullptr);
}

TEST(DEvent, NamedEventsAreRefused) {
    DEvent event;
    EXPECT_FALSE(event.Create(false, false, rcptr<const char>::NonOwning("shared")));
    EXPECT_TRUE(event.Create(false, false, rcptr<const char>::NonOwning("")));
}

TEST(DEvent, WaitTimesOutWith0x102) {
    DEvent event;
    ASSERT_TRUE(event.Create(false, false));
    EXPECT_EQ(event.Wait(50), 0x102u);
}

uint32_t SetLater(void* argument) {
    static_cast<DEvent*>(argument)->Set();
    return 0;
}

TEST(DEvent, SetFromAnotherThreadWakesWait) {
    DEvent event;
    ASSERT_TRUE(event.Create(false, false));
    DThread thread;
    ASSERT_TRUE(thread.Start(&SetLater, &event));
    EXPECT_EQ(event.Wait(platform::os::kInfinite), 0u);
    thread.Close();
}

}  // namespace
}  // namespace mirel
