#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace framework::socket {

// The two streams of one reliable-UDP session, without its socket: the ordered, acknowledged
// reliable stream (messages of 1 to 256 bytes) and the latest-value unreliable stream. The
// datagram functions below read and write only this state, so they work on plain byte arrays.
struct UdpStreams {
    uint32_t receiveSequence = 0;                // last reliable message taken in order
    uint32_t sendSequence = 1;                   // sequence of the oldest unacknowledged message
    std::deque<std::vector<uint8_t>> sendQueue;  // unacknowledged reliable messages, oldest first
    std::deque<std::vector<uint8_t>> receiveQueue;  // reliable messages not yet taken
    size_t receiveCapacity = 256 * 256;             // bytes, one length byte per message included
    std::deque<std::vector<uint8_t>> blocks;        // unreliable blocks not yet taken
    size_t blockCapacity = 11776;                   // bytes, two length bytes per block included
    std::vector<uint8_t> sendSlot;  // the unreliable block to send next (empty: none)
    uint32_t idle = 0;              // receive pumps since the last sign of progress
    bool broken = false;
};

// Applies one received datagram: acknowledgements, reliable messages in order, an unreliable
// block. False (and `broken` set) for a malformed datagram or an acknowledgement beyond the
// send queue.
bool processDatagram(UdpStreams& streams, const uint8_t* bytes, size_t size);

// Writes the next datagram into `buffer` of `size` bytes: the acknowledgement, every queued
// reliable message that fits, then the unreliable block when it fits (the slot is emptied
// either way). Answers the datagram's length, or 0 (and `broken` set) when `size` < 10.
size_t buildDatagram(UdpStreams& streams, uint8_t* buffer, size_t size);

}  // namespace framework::socket
