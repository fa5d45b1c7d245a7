#include "platform/net/winsock.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace platform::net {
namespace {

// A non-blocking UDP socket bound to a free loopback port, closed at the end of the test.
struct UdpEnd {
    Socket s = udpSocket();
    Address address;
    UdpEnd() {
        EXPECT_NE(s, kInvalidSocket);
        EXPECT_EQ(setNonBlocking(s, true), 0);
        EXPECT_EQ(bindSocket(s, {kLoopback, 0}), 0);
        EXPECT_TRUE(localAddress(s, address));
    }
    ~UdpEnd() { closeSocket(s); }
};

// Polls a non-blocking receive a bounded number of times; loopback delivery is immediate, the
// bound only keeps a lost datagram from hanging the test.
int receive(UdpEnd& end, void* buffer, size_t size, Address& from) {
    for (int i = 0; i < 100000; ++i) {
        int n = recvFrom(end.s, buffer, size, from);
        if (n != kSocketError || wsaGetLastError() != kWsaWouldBlock) return n;
    }
    return kSocketError;
}

TEST(Winsock, DatagramsOnLoopbackCarryTheSenderAddress) {
    UdpEnd a, b;
    EXPECT_EQ(a.address.ip, kLoopback);
    EXPECT_NE(a.address.port, 0);
    char empty[4];
    Address from;
    EXPECT_EQ(recvFrom(a.s, empty, sizeof empty, from), kSocketError);
    EXPECT_EQ(wsaGetLastError(), kWsaWouldBlock);

    const char text[] = "hello";
    ASSERT_EQ(sendTo(a.s, text, 5, b.address), 5);
    char buffer[16] = {};
    ASSERT_EQ(receive(b, buffer, sizeof buffer, from), 5);
    EXPECT_EQ(std::memcmp(buffer, text, 5), 0);
    EXPECT_EQ(from, a.address);
}

TEST(Winsock, DatagramLargerThanTheBufferIsAnErrorNotACutMessage) {
    UdpEnd a, b;
    std::vector<char> big(100, 'x');
    ASSERT_EQ(sendTo(a.s, big.data(), big.size(), b.address), 100);
    char buffer[99];
    Address from;
    EXPECT_EQ(receive(b, buffer, sizeof buffer, from), kSocketError);
    EXPECT_EQ(wsaGetLastError(), kWsaMessageSize);
    // The next datagram of fitting size arrives whole.
    ASSERT_EQ(sendTo(a.s, big.data(), 99, b.address), 99);
    EXPECT_EQ(receive(b, buffer, sizeof buffer, from), 99);
}

TEST(Winsock, ClosedPeerPortSurfacesAsConnectionResetOnTheNextReceive) {
    UdpEnd a;
    Address gone;
    {
        UdpEnd b;
        gone = b.address;
    }
    char byte = 1;
    ASSERT_EQ(sendTo(a.s, &byte, 1, gone), 1);
    char buffer[8];
    Address from;
    EXPECT_EQ(receive(a, buffer, sizeof buffer, from), kSocketError);
    EXPECT_EQ(wsaGetLastError(), kWsaConnectionReset);
    // A report met by a later send to another peer does not fail that send; it is kept for
    // the next receive.
    UdpEnd c;
    EXPECT_EQ(sendTo(a.s, &byte, 1, gone), 1);
    ASSERT_EQ(sendTo(a.s, &byte, 1, c.address), 1);
    bool reset = false;
    for (int i = 0; i < 100000 && !reset; ++i) {
        reset = recvFrom(a.s, buffer, sizeof buffer, from) == kSocketError &&
                wsaGetLastError() == kWsaConnectionReset;
    }
    EXPECT_TRUE(reset);
    EXPECT_EQ(receive(c, buffer, sizeof buffer, from), 1);
}

TEST(Winsock, TcpConnectReachesAListenerAndFailsOnAClosedPort) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(kLoopback);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t len = sizeof sa;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
    Address open{kLoopback, ntohs(sa.sin_port)};

    Socket s = tcpSocket();
    ASSERT_EQ(setNonBlocking(s, true), 0);
    EXPECT_GT(sendBufferSize(s), 0);
    int r = connectSocket(s, open);
    EXPECT_TRUE(r == 0 || wsaGetLastError() == kWsaWouldBlock);
    int state = 0;
    for (int i = 0; i < 100000 && state == 0; ++i) state = connectResult(s);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(sendStream(s, "v", 1), 1);
    EXPECT_EQ(shutdownBoth(s), 0);
    closeSocket(s);
    ::close(listener);

    // The listener is gone, so its port now refuses.
    Socket refused = tcpSocket();
    ASSERT_EQ(setNonBlocking(refused, true), 0);
    connectSocket(refused, open);
    state = 0;
    for (int i = 0; i < 100000 && state == 0; ++i) state = connectResult(refused);
    EXPECT_EQ(state, kSocketError);
    closeSocket(refused);
}

TEST(Winsock, AddressTextAndNumericLookups) {
    struct Case {
        const char* text;
        uint32_t ip;
    } cases[] = {
        {"127.0.0.1", kLoopback},   {"10.1.2.3", 0x0A010203}, {"localhost.", kInaddrNone},
        {"256.0.0.1", kInaddrNone}, {"", kInaddrNone},
    };
    for (const Case& c : cases) EXPECT_EQ(inetAddr(c.text), c.ip) << c.text;
    EXPECT_EQ(inetAddr(nullptr), kInaddrNone);
    uint32_t ip = 0;
    ASSERT_TRUE(resolveHost("127.0.0.1", ip));
    EXPECT_EQ(ip, kLoopback);
}

}  // namespace
}  // namespace platform::net
