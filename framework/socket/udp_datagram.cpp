#include "framework/socket/udp_datagram.h"

#include <cstring>

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

size_t queuedBytes(const std::deque<std::vector<uint8_t>>& queue, size_t header) {
    size_t total = 0;
    for (const auto& m : queue) total += header + m.size();
    return total;
}

bool breakSession(UdpStreams& streams) {
    streams.broken = true;
    return false;
}

}  // namespace

bool processDatagram(UdpStreams& s, const uint8_t* bytes, size_t size) {
    size_t at = 0;
    if (size < 4) return breakSession(s);
    uint32_t ack = readU32(bytes);
    at = 4;
    if (ack != 0) {
        while (ack >= s.sendSequence) {
            s.sendSequence = nextSequence(s.sendSequence);
            if (s.sendQueue.empty()) return breakSession(s);
            s.sendQueue.pop_front();
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
            bool fits = queuedBytes(s.receiveQueue, 1) + 1 + length <= s.receiveCapacity;
            if (sequence == nextSequence(s.receiveSequence) && fits) {
                s.receiveQueue.emplace_back(bytes + at, bytes + at + length);
                s.receiveSequence = sequence;
            }
            at += length;
        }
    }
    if (size - at < 2) return breakSession(s);
    size_t length = size_t(bytes[at]) | size_t(bytes[at + 1]) << 8;
    at += 2;
    if (length > size - at) return breakSession(s);
    if (length != 0 && 2 + length <= s.blockCapacity) {
        while (!s.blocks.empty() && queuedBytes(s.blocks, 2) + 2 + length > s.blockCapacity) {
            s.blocks.pop_front();
        }
        s.blocks.emplace_back(bytes + at, bytes + at + length);
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
    size_t unreliable = s.sendSlot.empty() ? 0 : 2 + s.sendSlot.size();
    if (unreliable + 4 > size - 4) unreliable = 0;
    long room = long(size) - 4 - long(unreliable) - 7;
    size_t copied = 0;
    if (room > 0) {
        writeU32(buffer + at, s.sendSequence);
        size_t countAt = at + 4;
        size_t used = 0;
        at += 5;
        for (const auto& m : s.sendQueue) {
            if (copied == 256 || used + 1 + m.size() > size_t(room)) break;
            buffer[at] = static_cast<uint8_t>(m.size() - 1);
            std::memcpy(buffer + at + 1, m.data(), m.size());
            at += 1 + m.size();
            used += 1 + m.size();
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
    size_t length = s.sendSlot.size();
    if (length != 0 && at + 2 + length <= size) {
        buffer[at] = static_cast<uint8_t>(length);
        buffer[at + 1] = static_cast<uint8_t>(length >> 8);
        std::memcpy(buffer + at + 2, s.sendSlot.data(), length);
        at += 2 + length;
    } else {
        buffer[at] = buffer[at + 1] = 0;
        at += 2;
    }
    s.sendSlot.clear();
    return at;
}

}  // namespace framework::socket
