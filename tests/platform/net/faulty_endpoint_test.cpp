#include "platform/net/faulty_endpoint.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform::net {
namespace {

// Sends datagrams 1..count through a FaultyEndpoint on loopback and lists the first byte of
// every datagram that arrives, in arrival order.
std::vector<int> deliver(const FaultRule& rule, int count) {
    Socket from = udpSocket(), to = udpSocket();
    setNonBlocking(to, true);
    bindSocket(from, {kLoopback, 0});
    bindSocket(to, {kLoopback, 0});
    Address target;
    localAddress(to, target);
    FaultyEndpoint endpoint(from, rule);
    for (int i = 1; i <= count; ++i) {
        uint8_t byte = static_cast<uint8_t>(i);
        endpoint.send(&byte, 1, target);
    }
    endpoint.flush();
    std::vector<int> got;
    uint8_t buffer[4];
    Address sender;
    for (int i = 0; i < 1000; ++i) {
        if (recvFrom(to, buffer, sizeof buffer, sender) == 1) got.push_back(buffer[0]);
    }
    closeSocket(from);
    closeSocket(to);
    return got;
}

TEST(FaultyEndpoint, RulesDropDuplicateAndReorder) {
    struct Case {
        const char* name;
        FaultRule rule;
        std::vector<int> expected;
    } cases[] = {
        {"none", {}, {1, 2, 3, 4, 5, 6}},
        {"every third dropped", {.dropEvery = 3}, {1, 2, 4, 5}},
        {"neighbours swapped", {.swapNeighbours = true}, {2, 1, 4, 3, 6, 5}},
        {"duplicates", {.duplicate = true}, {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6}},
    };
    for (const Case& c : cases) EXPECT_EQ(deliver(c.rule, 6), c.expected) << c.name;
}

TEST(FaultyEndpoint, SeededLossRepeatsAndLosesSome) {
    FaultRule rule{.seed = 7, .lossRate = 0.2};
    std::vector<int> first = deliver(rule, 100);
    EXPECT_EQ(deliver(rule, 100), first);
    EXPECT_LT(first.size(), 100u);
    EXPECT_GT(first.size(), 50u);
}

}  // namespace
}  // namespace platform::net
