// Feeds arbitrary datagrams to a session's receive processing, with a few reliable messages
// queued so that acknowledgements have something to remove, then builds the answer. Processing
// must stay inside the datagram and leave only whole items in the queues.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "framework/socket/udp_datagram.h"

using namespace framework::socket;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UdpStreams streams({.receive = 600, .blocks = 300});
    for (uint8_t i = 1; i <= 3; ++i) {
        const uint8_t message[3] = {i, i, i};
        udpQueueMessage(streams, message, i);
    }
    bool ok = processDatagram(streams, data, size);
    if (ok == streams.broken) std::abort();
    // The rings are fixed: whatever was stored must still be whole items.
    size_t received = 0;
    for (size_t n = udpItemCount(streams.receiveQueue, Framing::Message); n > 0; --n) {
        received += 1 + udpNextLength(streams.receiveQueue, Framing::Message);
        udpTake(streams.receiveQueue, Framing::Message, nullptr);
    }
    if (received > 600 || pelRingGetCount(&streams.receiveQueue) != 0) std::abort();
    while (udpItemCount(streams.blocks, Framing::Block) > 0)
        udpTake(streams.blocks, Framing::Block, nullptr);
    if (pelRingGetCount(&streams.blocks) != 0) std::abort();
    uint8_t out[1023];
    if (buildDatagram(streams, out, sizeof out) > sizeof out) std::abort();
    return 0;
}
