#include "framework/socket/udp.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/net/winsock.h"
#include "tests/framework/socket/socket_fixture.h"

namespace framework::socket::testing {
namespace {

namespace net = platform::net;
using Bytes = std::vector<uint8_t>;

constexpr PEL_UDP_PARAMS kParams{1023, 256, 256, 600, 11776};

class UdpSessionTest : public SocketModule {
protected:
    // A host on an ephemeral loopback port and a client connected to it, the peer accepted.
    void connect() {
        ASSERT_EQ(pelUdpHost(&host, 0, &kParams), PEL_OK);
        port = pelUdpGetLocalPort(host);
        ASSERT_EQ(pelUdpConnect(&client, u"127.0.0.1", port, &kParams), PEL_OK);
        EXPECT_EQ(pelUdpGetState(client), PEL_E_BUSY);
        for (int i = 0; i < 1000 && (peer == nullptr || pelUdpGetState(client) != PEL_OK); ++i) {
            pelUdpUpdate(host);
            pelUdpUpdate(client);
            if (peer == nullptr) pelUdpAccept(host, &peer);
        }
        ASSERT_NE(peer, nullptr);
        ASSERT_EQ(pelUdpGetState(client), PEL_OK);
    }
    void TearDown() override {
        if (client) pelUdpClose(client);
        if (host) pelUdpClose(host);
        SocketModule::TearDown();
    }
    void pump() {
        pelUdpUpdate(client);
        pelUdpUpdate(host);
    }
    PEL_UDP* host = nullptr;
    PEL_UDP* client = nullptr;
    PEL_UDP* peer = nullptr;
    uint16_t port = 0;
};

std::vector<Bytes> randomMessages(uint32_t seed, int count) {
    std::mt19937 random(seed);
    std::vector<Bytes> messages;
    for (int i = 0; i < count; ++i) {
        Bytes m(random() % 256 + 1);
        for (uint8_t& b : m) b = static_cast<uint8_t>(random());
        messages.push_back(m);
    }
    return messages;
}

// One direction of a reliable exchange: queues what fits, collects what arrives.
struct Stream {
    PEL_UDP* from;
    PEL_UDP* to;
    std::vector<Bytes> sent;
    size_t queued = 0;
    std::vector<Bytes> received;

    void step() {
        while (queued < sent.size() &&
               pelUdpSend(from, sent[queued].data(), uint32_t(sent[queued].size()), nullptr, 0) ==
                   PEL_OK) {
            ++queued;
        }
        uint8_t buffer[256];
        uint32_t length = 0;
        while (pelUdpReceiveReliable(to, &length, buffer, sizeof buffer) == PEL_OK && length != 0)
            received.emplace_back(buffer, buffer + length);
    }
};

TEST_F(UdpSessionTest, ReliableMessagesArriveOnceAndInOrderUnderEveryFaultRule) {
    struct Case {
        const char* name;
        net::FaultRule rule;
    };
    const Case cases[] = {
        {"none", {}},
        {"20% loss", {.seed = 7, .lossRate = 0.2}},
        {"every third dropped", {.dropEvery = 3}},
        {"neighbours swapped", {.swapNeighbours = true}},
        {"duplicates", {.duplicate = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        connect();
        pelUdpSetFaultRule(client, c.rule);
        pelUdpSetFaultRule(host, c.rule);
        Stream up{client, peer, randomMessages(1, 1000)};
        Stream down{peer, client, randomMessages(2, 1000)};
        for (int i = 0; i < 100000 && (up.received.size() < 1000 || down.received.size() < 1000);
             ++i) {
            up.step();
            down.step();
            pump();
        }
        EXPECT_EQ(up.received, up.sent);
        EXPECT_EQ(down.received, down.sent);
        EXPECT_EQ(pelUdpGetState(client), PEL_OK);
        pelUdpClose(client);
        pelUdpClose(host);
        client = host = peer = nullptr;
    }
}

TEST_F(UdpSessionTest, OnlyTheLatestUnreliableBlockIsTakenWithReceiveLatest) {
    connect();
    for (uint8_t i = 1; i <= 3; ++i) {
        ASSERT_EQ(pelUdpSend(client, nullptr, 0, Bytes(4, i).data(), 4), PEL_OK);
        pelUdpUpdate(client);
    }
    pelUdpUpdate(host);
    Bytes buffer(16);
    uint32_t length = 0;
    ASSERT_EQ(pelUdpReceiveLatest(peer, &length, buffer.data(), 16), PEL_OK);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + length), Bytes(4, 3));
    ASSERT_EQ(pelUdpReceive(peer, &length, buffer.data(), 16), PEL_OK);
    EXPECT_EQ(length, 0u);
}

TEST_F(UdpSessionTest, ShortBufferAnswersTheLengthAndKeepsTheMessage) {
    connect();
    ASSERT_EQ(pelUdpSend(client, "hello", 5, nullptr, 0), PEL_OK);
    pump();
    char buffer[8];
    uint32_t length = 0;
    EXPECT_EQ(pelUdpReceiveReliable(peer, &length, buffer, 4), PEL_E_FULL);
    EXPECT_EQ(length, 5u);
    ASSERT_EQ(pelUdpReceiveReliable(peer, &length, buffer, 5), PEL_OK);
    EXPECT_EQ(std::string(buffer, length), "hello");
}

TEST_F(UdpSessionTest, OverlongMessageIsRefusedAndQueuesNothing) {
    connect();
    Bytes big(257, 0xAB);
    EXPECT_EQ(pelUdpSend(client, big.data(), 257, nullptr, 0), PEL_E_INVALIDARG);
    ASSERT_EQ(pelUdpSend(client, "next", 4, nullptr, 0), PEL_OK);
    pump();
    char buffer[256];
    uint32_t length = 0;
    ASSERT_EQ(pelUdpReceiveReliable(peer, &length, buffer, sizeof buffer), PEL_OK);
    EXPECT_EQ(std::string(buffer, length), "next");
    EXPECT_EQ(pelUdpReceiveReliable(peer, &length, buffer, sizeof buffer), PEL_OK);
    EXPECT_EQ(length, 0u);
}

TEST_F(UdpSessionTest, SilentHostBreaksTheClientAfterTheTimeOut) {
    connect();
    ASSERT_EQ(pelUdpSend(client, "x", 1, nullptr, 0), PEL_OK);
    for (uint32_t i = 0; i < kParams.timeout; ++i) pelUdpUpdate(client);
    EXPECT_EQ(pelUdpGetState(client), PEL_OK);
    pelUdpUpdate(client);
    EXPECT_EQ(pelUdpGetState(client), PEL_E_IO);
}

TEST_F(UdpSessionTest, ClosedClientBreaksTheHostsPeer) {
    connect();
    pelUdpClose(client);
    client = nullptr;
    pelUdpUpdate(host);
    EXPECT_EQ(pelUdpGetRawState(peer), 0u);
    uint32_t length = 0;
    EXPECT_EQ(pelUdpReceiveReliable(peer, &length, nullptr, 0), PEL_E_IO);
}

TEST_F(UdpSessionTest, ClosingAHostWithPeersFreesEverything) {
    pelSocketFree(pelSocketAllocate());
    uint32_t freeRecords = pelSocketGetFreeRecordCount();
    connect();
    pelUdpClose(host);
    host = nullptr;
    pelUdpClose(client);
    client = nullptr;
    EXPECT_EQ(pelSocketGetFreeRecordCount(), freeRecords);
}

TEST_F(UdpSessionTest, ClientWhoseHostPortIsClosedBreaksOnTheReset) {
    net::Socket probe = net::udpSocket();
    net::bindSocket(probe, {net::kLoopback, 0});
    net::Address closed;
    net::localAddress(probe, closed);
    net::closeSocket(probe);
    ASSERT_EQ(pelUdpConnect(&client, u"127.0.0.1", closed.port, &kParams), PEL_OK);
    int pumps = 0;
    while (pumps < 100 && pelUdpGetState(client) == PEL_E_BUSY) {
        pelUdpUpdate(client);
        ++pumps;
    }
    EXPECT_EQ(pelUdpGetState(client), PEL_E_IO);
    EXPECT_LT(pumps, 100) << "broken by the reset, long before the time-out";
}

// Raw loopback sockets standing for remote clients.
struct RawClients {
    explicit RawClients(int count) {
        for (int i = 0; i < count; ++i) {
            sockets.push_back(net::udpSocket());
            net::bindSocket(sockets.back(), {net::kLoopback, 0});
        }
    }
    ~RawClients() {
        for (net::Socket s : sockets) net::closeSocket(s);
    }
    void send(int i, const Bytes& data, uint16_t port) {
        net::sendTo(sockets[i], data.data(), data.size(), {net::kLoopback, port});
    }
    std::vector<net::Socket> sockets;
};

int acceptAll(PEL_UDP* host) {
    int accepted = 0;
    PEL_UDP* peer = nullptr;
    while (pelUdpAccept(host, &peer) == PEL_OK) ++accepted;
    return accepted;
}

TEST_F(UdpSessionTest, TheTwentyFourthHelloWaitsForAnAccept) {
    ASSERT_EQ(pelUdpHost(&host, 0, &kParams), PEL_OK);
    port = pelUdpGetLocalPort(host);
    RawClients raw(24);
    const Bytes hello(10, 0);
    for (int i = 0; i < 24; ++i) raw.send(i, hello, port);
    pelUdpUpdate(host);
    EXPECT_EQ(acceptAll(host), 23);
    raw.send(23, hello, port);
    pelUdpUpdate(host);
    EXPECT_EQ(acceptAll(host), 1);
}

TEST_F(UdpSessionTest, ThreeByteDatagramClosesAWaitingPeerAndBreaksAClient) {
    ASSERT_EQ(pelUdpHost(&host, 0, &kParams), PEL_OK);
    port = pelUdpGetLocalPort(host);
    RawClients raw(1);
    raw.send(0, Bytes(10, 0), port);
    pelUdpUpdate(host);
    raw.send(0, Bytes(3, 0), port);
    pelUdpUpdate(host);
    EXPECT_EQ(acceptAll(host), 0);

    net::Address rawAddress;
    net::localAddress(raw.sockets[0], rawAddress);
    ASSERT_EQ(pelUdpConnect(&client, u"127.0.0.1", rawAddress.port, &kParams), PEL_OK);
    pelUdpUpdate(client);  // the hello goes out
    raw.send(0, Bytes(3, 0), pelUdpGetLocalPort(client));
    pelUdpUpdate(client);
    EXPECT_EQ(pelUdpGetState(client), PEL_E_IO);
}

TEST_F(UdpSessionTest, HelloAndByteFromAClientSocketReachTheHost) {
    ASSERT_EQ(pelUdpHost(&host, 0, &kParams), PEL_OK);
    port = pelUdpGetLocalPort(host);
    ASSERT_EQ(pelUdpConnect(&client, u"127.0.0.1", port, &kParams), PEL_OK);
    ASSERT_EQ(pelUdpSendHello(client, net::kLoopback, port), PEL_OK);
    pelUdpUpdate(host);
    ASSERT_EQ(pelUdpAccept(host, &peer), PEL_OK);
    // One zero byte is the close notice: the accepted peer breaks.
    const uint8_t zero = 0;
    ASSERT_EQ(pelUdpSendByte(client, net::kLoopback, port, &zero), PEL_OK);
    pelUdpUpdate(host);
    EXPECT_EQ(pelUdpGetRawState(peer), 0u);
}

TEST_F(UdpSessionTest, ClientByNameResolvesFirstOrFailsWithoutAWorker) {
    pelLookupFailWorkerStart(true);
    PEL_UDP* failed = nullptr;
    EXPECT_EQ(pelUdpConnect(&failed, u"elsewhere", 1, &kParams), PEL_E_CREATE);
    EXPECT_EQ(failed, nullptr);

    pelLookupFailWorkerStart(false);
    ASSERT_EQ(pelUdpConnect(&client, u"missing", 1, &kParams), PEL_OK);
    EXPECT_EQ(pelUdpGetRawState(client), 1u);
    while (pelUdpGetState(client) == PEL_E_BUSY) {
    }
    EXPECT_EQ(pelUdpGetRawState(client), 0u);
}

}  // namespace
}  // namespace framework::socket::testing
