// The machine facts of the settings report, checked against what the system itself says.
#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cctype>

#include "platform/os/system_facts.h"

namespace {

TEST(SystemFacts, MatchTheSystem) {
    const platform::os::SystemFacts facts = platform::os::systemFacts();
    struct utsname names {};
    ASSERT_EQ(uname(&names), 0);
    EXPECT_EQ(facts.kernelRelease, names.release);
    const uint64_t total = static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) *
                           static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    EXPECT_EQ(facts.memoryTotal, total);
    EXPECT_LE(facts.memoryFree, facts.memoryTotal);
    EXPECT_EQ(facts.pointerBits, 64);
#if defined(__x86_64__)
    // Leaf 0's vendor is printable text; leaf 1 of every x86-64 processor has SSE2 (EDX 26).
    for (char c : facts.vendor) EXPECT_TRUE(std::isprint(static_cast<unsigned char>(c)));
    EXPECT_NE(facts.leaf1[2] & (1u << 26), 0u);
#endif
}

}  // namespace
