#include "framework/socket/udp_datagram.h"

namespace framework::socket {
namespace {

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Sequence numbers skip 0, which marks "none" on the wire.
uint32_t nextSequence(uint32_t s) { return s == 0xFFFFFFFF ? 1 : s + 1; }

bool breakSession(UdpStreams& streams) {
    streams.broken = true;
    return false;
}

size_t headerSize(Framing framing) { return framing == Framing::Message ? 1 : 2; }

// The length of the item whose header starts `offset` bytes into the ring; 0 when the ring
// holds no complete header there.
size_t lengthAt(PEL_RING& ring, Framing framing, uint32_t offset) {
    uint8_t header[2];
    uint32_t size = static_cast<uint32_t>(headerSize(framing));
    if (pelRingPeek(&ring, header, size, offset) != size) return 0;
    return framing == Framing::Message ? size_t(header[0]) + 1
                                       : size_t(header[0]) | size_t(header[1]) << 8;
}

// A fixed ring holding `bytes` usable bytes (one slot always stays empty).
void initRing(PEL_RING& ring, size_t bytes) {
    pelRingInit(&ring, 1, static_cast<uint32_t>(bytes + 1), 0);
}

}  // namespace

UdpStreams::UdpStreams(const UdpCapacities& capacities) {
    initRing(sendQueue, capacities.send);
    initRing(receiveQueue, capacities.receive);
    initRing(blocks, capacities.blocks);
    initRing(sendSlot, capacities.slot);
}

UdpStreams::~UdpStreams() {
    pelRingDestroy(&sendQueue);
    pelRingDestroy(&receiveQueue);
    pelRingDestroy(&blocks);
    pelRingDestroy(&sendSlot);
}

size_t udpRoom(const PEL_RING& ring) { return pelRingGetFree(&ring) - 1; }

size_t udpNextLength(PEL_RING& ring, Framing framing) { return lengthAt(ring, framing, 0); }

void udpTake(PEL_RING& ring, Framing framing, uint8_t* destination) {
    size_t length = udpNextLength(ring, framing);
    pelRingSkip(static_cast<uint32_t>(headerSize(framing)), &ring);
    if (destination != nullptr)
        pelRingPop(&ring, destination, static_cast<uint32_t>(length));
    else
        pelRingSkip(static_cast<uint32_t>(length), &ring);
}

bool udpPut(PEL_RING& ring, Framing framing, const uint8_t* bytes, size_t length) {
    if (headerSize(framing) + length > udpRoom(ring)) return false;
    uint8_t header[2] = {static_cast<uint8_t>(framing == Framing::Message ? length - 1 : length),
                         static_cast<uint8_t>(length >> 8)};
    pelRingPush(&ring, header, static_cast<uint32_t>(headerSize(framing)));
    pelRingPush(&ring, bytes, static_cast<uint32_t>(length));
    return true;
}

size_t udpItemCount(PEL_RING& ring, Framing framing) {
    size_t count = 0;
    uint32_t stored = pelRingGetCount(&ring);
    for (uint32_t at = 0; at + headerSize(framing) <= stored; ++count) {
        size_t next = at + headerSize(framing) + lengthAt(ring, framing, at);
        if (next > stored) break;
        at = static_cast<uint32_t>(next);
    }
    return count;
}

bool udpQueueMessage(UdpStreams& s, const uint8_t* bytes, size_t length) {
    if (!udpPut(s.sendQueue, Framing::Message, bytes, length)) return false;
    ++s.sendCount;
    return true;
}

void udpSetBlock(UdpStreams& s, const uint8_t* bytes, size_t length) {
    pelRingSkip(pelRingGetCount(&s.sendSlot), &s.sendSlot);
    udpPut(s.sendSlot, Framing::Block, bytes, length);
}

bool processDatagram(UdpStreams& s, const uint8_t* bytes, size_t size) {
    size_t at = 0;
    if (size < 4) return breakSession(s);
    uint32_t ack = readU32(bytes);
    at = 4;
    if (ack != 0) {
        while (ack >= s.sendSequence) {
            s.sendSequence = nextSequence(s.sendSequence);
            if (s.sendCount == 0) return breakSession(s);
            udpTake(s.sendQueue, Framing::Message, nullptr);
            --s.sendCount;
            s.idle = 0;
        }
    }
    if (size - at < 4) return breakSession(s);
    uint32_t first = readU32(bytes + at);
    at += 4;
    if (first != 0) {
        if (size - at < 1) return breakSession(s);
        int count = bytes[at++] + 1;
        uint32_t sequence = first;
        for (int i = 0; i < count; ++i, sequence = nextSequence(sequence)) {
            if (size - at < 1) return breakSession(s);
            size_t length = size_t(bytes[at++]) + 1;
            if (length > size - at) return breakSession(s);
            // A message that does not fit now is not acknowledged and comes again.
            if (sequence == nextSequence(s.receiveSequence) &&
                udpPut(s.receiveQueue, Framing::Message, bytes + at, length)) {
                s.receiveSequence = sequence;
            }
            at += length;
        }
    }
    if (size - at < 2) return breakSession(s);
    size_t length = size_t(bytes[at]) | size_t(bytes[at + 1]) << 8;
    at += 2;
    if (length > size - at) return breakSession(s);
    if (length != 0 && 2 + length <= s.blocks.capacity - 1) {
        while (udpRoom(s.blocks) < 2 + length) {
            if (udpItemCount(s.blocks, Framing::Block) == 0) {
                pelRingSkip(pelRingGetCount(&s.blocks), &s.blocks);  // damaged: empty it
                break;
            }
            udpTake(s.blocks, Framing::Block, nullptr);
        }
        udpPut(s.blocks, Framing::Block, bytes + at, length);
    }
    return true;
}

size_t buildDatagram(UdpStreams& s, uint8_t* buffer, size_t size) {
    // Ten bytes hold the smallest datagram (acknowledgement, no messages, no block).
    if (size < 10) {
        s.broken = true;
        return 0;
    }
    writeU32(buffer, s.receiveSequence);
    size_t at = 4;
    size_t unreliable = pelRingGetCount(&s.sendSlot);
    if (unreliable + 4 > size - 4) unreliable = 0;
    long room = long(size) - 4 - long(unreliable) - 7;
    size_t copied = 0;
    if (room > 0) {
        writeU32(buffer + at, s.sendSequence);
        size_t countAt = at + 4;
        size_t used = 0;
        at += 5;
        uint32_t offset = 0;
        // Messages are peeked in place: they stay queued until acknowledged.
        while (copied < 256 && copied < s.sendCount) {
            size_t length = lengthAt(s.sendQueue, Framing::Message, offset);
            if (used + 1 + length > size_t(room)) break;
            pelRingPeek(&s.sendQueue, buffer + at, static_cast<uint32_t>(1 + length), offset);
            at += 1 + length;
            used += 1 + length;
            offset += static_cast<uint32_t>(1 + length);
            ++copied;
        }
        if (copied > 0)
            buffer[countAt] = static_cast<uint8_t>(copied - 1);
        else
            at = 4;
    }
    if (copied == 0) {
        writeU32(buffer + at, 0);
        at += 4;
        s.idle = 0;
    }
    size_t length = udpNextLength(s.sendSlot, Framing::Block);
    if (length != 0 && at + 2 + length <= size) {
        pelRingPeek(&s.sendSlot, buffer + at, static_cast<uint32_t>(2 + length), 0);
        at += 2 + length;
    } else {
        buffer[at] = buffer[at + 1] = 0;
        at += 2;
    }
    pelRingSkip(pelRingGetCount(&s.sendSlot), &s.sendSlot);
    return at;
}

}  // namespace framework::socket
