// Inherited pipes: exact reads and writes, the bytes waiting, and the failures a caller reports.
#include "platform/os/pipe.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace tessera::test {
namespace {

using namespace platform::os;

TEST(Pipe, ReadsAndWritesWholeBlocksAndEndOfDataIsAFailure) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const auto in = static_cast<uint32_t>(ends[0]);
    const auto out = static_cast<uint32_t>(ends[1]);
    size_t waiting = 99;
    EXPECT_TRUE(pipeBytesWaiting(in, &waiting));
    EXPECT_EQ(waiting, 0u);
    EXPECT_TRUE(pipeWrite(out, "abcdef", 6));
    EXPECT_TRUE(pipeBytesWaiting(in, &waiting));
    EXPECT_EQ(waiting, 6u);
    char got[4] = {};
    ASSERT_TRUE(pipeRead(in, got, 4));
    EXPECT_EQ(std::string(got, 4), "abcd");
    close(ends[1]);
    EXPECT_FALSE(pipeRead(in, got, 4));  // two bytes, then the end of data
    close(ends[0]);
}

TEST(Pipe, DescriptorsThatAreNotOpenFail) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    close(ends[1]);
    for (const uint32_t pipe : {static_cast<uint32_t>(ends[0]), 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(pipe);
        size_t waiting = 0;
        char byte = 0;
        EXPECT_FALSE(pipeBytesWaiting(pipe, &waiting));
        EXPECT_FALSE(pipeRead(pipe, &byte, 1));
        EXPECT_FALSE(pipeWrite(pipe, &byte, 1));
    }
}

}  // namespace
}  // namespace tessera::test
