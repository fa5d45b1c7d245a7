#include "platform/os/critical_section.h"

#include <gtest/gtest.h>

#include <thread>

namespace platform::os {
namespace {

TEST(CriticalSection, OwnerReentersAndOthersWaitUntilEveryLeave) {
    CriticalSection section;
    section.enter();
    section.enter();  // recursive
    bool otherGotIn = true;
    std::thread([&] { otherGotIn = section.tryEnter(); }).join();
    EXPECT_FALSE(otherGotIn);
    section.leave();
    std::thread([&] { otherGotIn = section.tryEnter(); }).join();
    EXPECT_FALSE(otherGotIn);  // still held once
    section.leave();
    std::thread([&] {
        otherGotIn = section.tryEnter();
        if (otherGotIn) section.leave();
    }).join();
    EXPECT_TRUE(otherGotIn);
}

}  // namespace
}  // namespace platform::os
