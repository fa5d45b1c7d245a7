#include "framework/socket/udp_datagram.h"

#include <gtest/gtest.h>

#include <vector>

namespace framework::socket {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes build(UdpStreams& s, size_t size = 1023) {
    Bytes buffer(size);
    buffer.resize(buildDatagram(s, buffer.data(), buffer.size()));
    return buffer;
}

// The items of a queue, oldest first, left in place.
std::vector<Bytes> items(PEL_RING& ring, Framing framing) {
    std::vector<Bytes> out;
    size_t count = udpItemCount(ring, framing);
    for (size_t i = 0; i < count; ++i) {
        Bytes item(udpNextLength(ring, framing));
        udpTake(ring, framing, item.data());
        out.push_back(item);
    }
    for (const Bytes& item : out) udpPut(ring, framing, item.data(), item.size());
    return out;
}

std::vector<Bytes> received(UdpStreams& s) { return items(s.receiveQueue, Framing::Message); }

void queue(UdpStreams& s, const Bytes& message) {
    ASSERT_TRUE(udpQueueMessage(s, message.data(), message.size()));
}

bool process(UdpStreams& s, const Bytes& datagram) {
    return processDatagram(s, datagram.data(), datagram.size());
}

// A datagram carrying reliable messages with sequences first, first + 1, ...
Bytes reliable(uint32_t ack, uint32_t first, const std::vector<Bytes>& messages) {
    Bytes d{uint8_t(ack),         uint8_t(ack >> 8),    uint8_t(ack >> 16),
            uint8_t(ack >> 24),   uint8_t(first),       uint8_t(first >> 8),
            uint8_t(first >> 16), uint8_t(first >> 24), uint8_t(messages.size() - 1)};
    for (const Bytes& m : messages) {
        d.push_back(uint8_t(m.size() - 1));
        d.insert(d.end(), m.begin(), m.end());
    }
    d.push_back(0);
    d.push_back(0);
    return d;
}

TEST(UdpDatagram, EmptyDatagramIsTenZeroBytesAndResetsIdle) {
    UdpStreams s;
    s.idle = 5;
    EXPECT_EQ(build(s), Bytes(10, 0));
    EXPECT_EQ(s.idle, 0u);
    UdpStreams peer;
    EXPECT_TRUE(process(peer, Bytes(10, 0)));
    EXPECT_TRUE(received(peer).empty());
}

TEST(UdpDatagram, RoomOf1012BytesLimitsTheMessagesCopied) {
    struct Case {
        size_t length, queued, copied;
    } cases[] = {{256, 5, 3}, {2, 300, 256}, {1, 1, 1}};
    for (const Case& c : cases) {
        UdpStreams sender, receiver;
        for (size_t i = 0; i < c.queued; ++i) queue(sender, Bytes(c.length, uint8_t(i)));
        Bytes d = build(sender);
        EXPECT_EQ(d[8] + 1u, c.copied) << c.length;
        EXPECT_EQ(sender.sendCount, c.queued) << "kept until acknowledged";
        ASSERT_TRUE(process(receiver, d));
        std::vector<Bytes> got = received(receiver);
        ASSERT_EQ(got.size(), c.copied);
        EXPECT_EQ(receiver.receiveSequence, c.copied);
        EXPECT_EQ(got.back(), Bytes(c.length, uint8_t(c.copied - 1)));
    }
}

TEST(UdpDatagram, OutOfOrderAndDuplicateMessagesAreSkipped) {
    UdpStreams s;
    ASSERT_TRUE(process(s, reliable(0, 2, {{'b'}})));  // ahead of the next expected
    EXPECT_TRUE(received(s).empty());
    ASSERT_TRUE(process(s, reliable(0, 1, {{'a'}, {'b'}})));
    ASSERT_TRUE(process(s, reliable(0, 1, {{'a'}, {'b'}, {'c'}})));  // repeats plus one new
    std::vector<Bytes> expected{{'a'}, {'b'}, {'c'}};
    EXPECT_EQ(received(s), expected);
    EXPECT_EQ(s.receiveSequence, 3u);
    // The answer acknowledges the third message.
    EXPECT_EQ(build(s)[0], 3);
}

TEST(UdpDatagram, AcknowledgementsRemoveMessagesAndBeyondTheQueueBreaks) {
    UdpStreams s;
    for (uint8_t i = 0; i < 3; ++i) queue(s, {i});
    s.idle = 9;
    ASSERT_TRUE(process(s, Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(items(s.sendQueue, Framing::Message), (std::vector<Bytes>{{2}}));
    EXPECT_EQ(s.sendSequence, 3u);
    EXPECT_EQ(s.idle, 0u);
    EXPECT_FALSE(process(s, Bytes{4, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(s.broken);
}

TEST(UdpDatagram, MalformedDatagramsBreak) {
    const Bytes cases[] = {
        {0, 0, 0},                            // shorter than the acknowledgement
        {0, 0, 0, 0, 1, 0, 0},                // cut reliable header
        {0, 0, 0, 0, 1, 0, 0, 0},             // no count byte
        {0, 0, 0, 0, 1, 0, 0, 0, 0, 3, 'a'},  // message longer than the datagram
        {0, 0, 0, 0, 0, 0, 0, 0, 0},          // cut block length
        {0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 'x'},  // block longer than the datagram
    };
    for (const Bytes& d : cases) {
        UdpStreams s;
        EXPECT_FALSE(process(s, d)) << d.size();
        EXPECT_TRUE(s.broken);
    }
}

TEST(UdpDatagram, FullReceiveQueueLeavesTheMessageForItsRepeat) {
    UdpStreams s({.receive = 4});
    ASSERT_TRUE(process(s, reliable(0, 1, {{'a', 'b'}, {'c', 'd'}})));
    EXPECT_EQ(received(s), (std::vector<Bytes>{Bytes{'a', 'b'}}));
    EXPECT_EQ(s.receiveSequence, 1u);
}

TEST(UdpDatagram, UnreliableBlocksKeepTheNewestThatFit) {
    UdpStreams sender, receiver({.blocks = 10});
    for (uint8_t i = 1; i <= 3; ++i) {
        udpSetBlock(sender, Bytes(3, i).data(), 3);
        ASSERT_TRUE(process(receiver, build(sender)));
        EXPECT_EQ(pelRingGetCount(&sender.sendSlot), 0u) << "a block goes out once";
    }
    // Each block costs five bytes: only the newest two stay.
    EXPECT_EQ(items(receiver.blocks, Framing::Block),
              (std::vector<Bytes>{Bytes(3, 2), Bytes(3, 3)}));
    // A block too large for the datagram is dropped, not sent cut.
    udpSetBlock(sender, Bytes(100, 7).data(), 100);
    EXPECT_EQ(build(sender, 20), Bytes(10, 0));
}

TEST(UdpDatagram, BufferTooSmallForAnyDatagramBreaks) {
    UdpStreams s;
    EXPECT_EQ(build(s, 9).size(), 0u);
    EXPECT_TRUE(s.broken);
}

}  // namespace
}  // namespace framework::socket
