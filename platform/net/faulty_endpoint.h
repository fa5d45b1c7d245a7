#pragma once
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "platform/net/winsock.h"

namespace platform::net {

// How a FaultyEndpoint mangles the datagrams it sends. Decisions come from a generator seeded
// with `seed`, so a failing run repeats exactly.
struct FaultRule {
    uint32_t seed = 1;
    double lossRate = 0.0;        // chance that a datagram is dropped
    int dropEvery = 0;            // drop every n-th datagram (0: never)
    bool swapNeighbours = false;  // send each pair of datagrams in reverse order
    bool duplicate = false;       // send each datagram twice
};

// A datagram sender over a UDP socket that applies a FaultRule: tests put it between two
// sessions to exercise loss, duplication and reordering on loopback.
class FaultyEndpoint {
public:
    FaultyEndpoint(Socket socket, FaultRule rule);
    // Sends (or drops, duplicates, holds back) one datagram; answers like sendTo would for a
    // datagram that went out.
    int send(const void* data, size_t size, Address to);
    // Sends a datagram still held back for swapping.
    void flush();

private:
    int emit(const std::vector<uint8_t>& data, Address to);

    Socket socket_;
    FaultRule rule_;
    std::mt19937 random_;
    uint64_t count_ = 0;
    std::optional<std::pair<std::vector<uint8_t>, Address>> held_;
};

}  // namespace platform::net
