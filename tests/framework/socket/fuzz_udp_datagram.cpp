// Feeds arbitrary datagrams to a session's receive processing, with a few reliable messages
// queued so that acknowledgements have something to remove, then builds the answer. Processing
// must stay inside the datagram and never grow the queues past their capacities.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "framework/socket/udp_datagram.h"

using namespace framework::socket;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UdpStreams streams;
    streams.receiveCapacity = 600;
    streams.blockCapacity = 300;
    for (uint8_t i = 1; i <= 3; ++i) streams.sendQueue.emplace_back(i, i);
    bool ok = processDatagram(streams, data, size);
    if (ok == streams.broken) std::abort();
    size_t received = 0;
    for (const auto& m : streams.receiveQueue) received += 1 + m.size();
    size_t blocks = 0;
    for (const auto& b : streams.blocks) blocks += 2 + b.size();
    if (received > streams.receiveCapacity || blocks > streams.blockCapacity) std::abort();
    uint8_t out[1023];
    if (buildDatagram(streams, out, sizeof out) > sizeof out) std::abort();
    return 0;
}
