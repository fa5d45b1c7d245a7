#include "framework/socket/lookup.h"

#include <gtest/gtest.h>

#include "platform/net/winsock.h"
#include "tests/framework/socket/socket_fixture.h"

namespace framework::socket::testing {
namespace {

using LookupTest = SocketModule;

TEST_F(LookupTest, FinishedLookupHandsOutItsResultOnceAndTurnsIdle) {
    PEL_LOOKUP* found = pelLookupRequest("host");
    EXPECT_EQ(finish(found), 0x7F000001u);
    EXPECT_EQ(pelLookupGetFlags(found), 0u);
    PEL_LOOKUP* missing = pelLookupRequest("missing");
    EXPECT_EQ(missing, found);  // the idle record and its worker serve the next request
    EXPECT_EQ(finish(missing), platform::net::kInaddrNone);
    EXPECT_EQ(pelLookupGetRecordCount(), 1u);
}

TEST_F(LookupTest, CancelDuringResolveLeavesTheRecordCleanForReuse) {
    PEL_LOOKUP* slow = pelLookupRequest("slow.example");
    resolver().waitEntered(1);
    pelLookupCancel(slow);
    EXPECT_EQ(pelLookupGetFlags(slow), PEL_LOOKUP_RESOLVING | PEL_LOOKUP_CANCELLED);
    resolver().openGate();
    while (pelLookupGetFlags(slow) != 0) std::this_thread::yield();

    PEL_LOOKUP* next = pelLookupRequest("missing");
    EXPECT_EQ(next, slow);
    // The cancelled answer was never handed out: the new request's own result arrives.
    EXPECT_EQ(finish(next), platform::net::kInaddrNone);
}

TEST_F(LookupTest, ConcurrentRequestsUseTwoRecordsAndAThirdReusesTheFirst) {
    PEL_LOOKUP* first = pelLookupRequest("slow.one");
    resolver().waitEntered(1);
    PEL_LOOKUP* second = pelLookupRequest("slow.two");
    EXPECT_NE(first, second);
    resolver().waitEntered(2);
    resolver().openGate();
    finish(first);
    finish(second);
    EXPECT_EQ(pelLookupRequest("host"), first);
    EXPECT_EQ(pelLookupGetRecordCount(), 2u);
}

TEST_F(LookupTest, ShutdownWaitsForAWorkerInsideTheResolver) {
    PEL_LOOKUP* slow = pelLookupRequest("slow.example");
    resolver().waitEntered(1);
    // The resolver returns only once shut-down has told its record to stop, so shut-down has
    // seen it busy and must wait for it to come back.
    resolver().releaseOnStop(slow);
    pelSocketFinalize();
    EXPECT_EQ(resolver().returnedCount(), 1);
    EXPECT_EQ(pelLookupGetRecordCount(), 0u);
}

TEST_F(LookupTest, ShutdownEndsIdleWorkers) {
    finish(pelLookupRequest("host"));
    pelSocketFinalize();
    EXPECT_EQ(pelLookupGetRecordCount(), 0u);
}

TEST_F(LookupTest, NoRequestWhenTheWorkerCannotStart) {
    pelLookupFailWorkerStart(true);
    EXPECT_EQ(pelLookupRequest("host"), nullptr);
    EXPECT_EQ(pelLookupGetRecordCount(), 0u);
}

}  // namespace
}  // namespace framework::socket::testing
