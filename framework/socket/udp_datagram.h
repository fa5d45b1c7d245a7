#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/core/ring.h"

namespace framework::socket {

// Sizes of a session's queues, in usable bytes (framing included).
struct UdpCapacities {
    size_t send = 256 * 256;     // reliable messages not yet acknowledged
    size_t receive = 256 * 256;  // reliable messages not yet taken
    size_t blocks = 11776;       // unreliable blocks not yet taken
    size_t slot = 1023;          // the one unreliable block to send next
};

// How items stand in a queue's byte ring: a reliable message as one byte (length - 1) and its
// 1 to 256 bytes, an unreliable block as a little-endian u16 length and its bytes.
enum class Framing { Message, Block };

// The two streams of one reliable-UDP session, without its socket: the ordered, acknowledged
// reliable stream and the latest-value unreliable stream. Every queue is a fixed ring set up
// when the session opens, so the datagram functions below allocate nothing and work on plain
// byte arrays.
struct UdpStreams {
    explicit UdpStreams(const UdpCapacities& capacities = {});
    ~UdpStreams();
    UdpStreams(const UdpStreams&) = delete;
    UdpStreams& operator=(const UdpStreams&) = delete;

    uint32_t receiveSequence = 0;  // last reliable message taken in order
    uint32_t sendSequence = 1;     // sequence of the oldest unacknowledged message
    PEL_RING sendQueue;            // unacknowledged reliable messages, oldest first
    uint32_t sendCount = 0;        // messages in sendQueue
    PEL_RING receiveQueue;         // reliable messages not yet taken
    PEL_RING blocks;               // unreliable blocks not yet taken
    PEL_RING sendSlot;             // the unreliable block to send next (empty: none)
    uint32_t idle = 0;             // receive pumps since the last sign of progress
    bool broken = false;
};

// Bytes a ring takes without growing.
size_t udpRoom(const PEL_RING& ring);
// The length of the oldest item, 0 when the ring holds none.
size_t udpNextLength(PEL_RING& ring, Framing framing);
// Takes the oldest item into `destination`, or drops it when that is null.
void udpTake(PEL_RING& ring, Framing framing, uint8_t* destination);
// Stores an item when it fits; false (nothing stored) otherwise.
bool udpPut(PEL_RING& ring, Framing framing, const uint8_t* bytes, size_t length);
// Complete items in the ring.
size_t udpItemCount(PEL_RING& ring, Framing framing);

// Queues a reliable message of 1 to 256 bytes; false when the send queue has no room.
bool udpQueueMessage(UdpStreams& streams, const uint8_t* bytes, size_t length);
// Replaces the block to send next; one that does not fit the slot is left out.
void udpSetBlock(UdpStreams& streams, const uint8_t* bytes, size_t length);

// Applies one received datagram: acknowledgements, reliable messages in order, an unreliable
// block. False (and `broken` set) for a malformed datagram or an acknowledgement beyond the
// send queue.
bool processDatagram(UdpStreams& streams, const uint8_t* bytes, size_t size);

// Writes the next datagram into `buffer` of `size` bytes: the acknowledgement, every queued
// reliable message that fits, then the unreliable block when it fits (the slot is emptied
// either way). Answers the datagram's length, or 0 (and `broken` set) when `size` < 10.
size_t buildDatagram(UdpStreams& streams, uint8_t* buffer, size_t size);

}  // namespace framework::socket
