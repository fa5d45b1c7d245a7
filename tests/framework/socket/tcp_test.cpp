#include "framework/socket/tcp.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "platform/net/winsock.h"
#include "tests/framework/socket/socket_fixture.h"

namespace framework::socket::testing {
namespace {

namespace net = platform::net;

// A TCP listener on an ephemeral port of 127.0.0.1.
class Listener {
public:
    Listener() {
        socket_ = net::tcpSocket();
        net::bindSocket(socket_, {net::kLoopback, 0});
        ::listen(static_cast<int>(socket_), 4);
        net::Address bound;
        net::localAddress(socket_, bound);
        port = bound.port;
    }
    ~Listener() { net::closeSocket(socket_); }
    int accept() { return ::accept(static_cast<int>(socket_), nullptr, nullptr); }
    uint16_t port = 0;

private:
    net::Socket socket_;
};

// A loopback port with nobody listening on it.
uint16_t closedPort() {
    net::Socket s = net::tcpSocket();
    net::bindSocket(s, {net::kLoopback, 0});
    net::Address bound;
    net::localAddress(s, bound);
    net::closeSocket(s);
    return bound.port;
}

// Polls until the connection leaves resolving and connecting.
PEL_STATUS settle(PEL_SOCKET* record) {
    PEL_STATUS status;
    while ((status = pelTcpPoll(record)) == PEL_E_BUSY) {
    }
    return status;
}

// Free records after the pool's first block exists, so that a leaked record shows.
uint32_t freeRecordsAfterWarmUp() {
    pelSocketFree(pelSocketAllocate());
    return pelSocketGetFreeRecordCount();
}

using TcpTest = SocketModule;

TEST_F(TcpTest, NumericAddressConnectsToAListenerWithoutALookup) {
    Listener listener;
    PEL_SOCKET* record = nullptr;
    ASSERT_EQ(pelTcpConnect(&record, u"127.0.0.1", listener.port), PEL_OK);
    EXPECT_EQ(record->state, 2u);
    EXPECT_EQ(record->lookup, nullptr);
    EXPECT_GT(record->sendBufferSize, 0u);
    EXPECT_EQ(settle(record), PEL_OK);
    EXPECT_EQ(record->state, 4u);

    int peer = listener.accept();
    ASSERT_GE(peer, 0);
    EXPECT_EQ(net::sendStream(record->socket, "ping", 4), 4);
    char text[4];
    EXPECT_EQ(::recv(peer, text, 4, MSG_WAITALL), 4);
    EXPECT_EQ(std::string(text, 4), "ping");
    ::close(peer);
    pelTcpClose(record);
    EXPECT_EQ(pelLookupGetRecordCount(), 0u);
}

TEST_F(TcpTest, HostNameGoesThroughALookupFirst) {
    Listener listener;
    PEL_SOCKET* record = nullptr;
    ASSERT_EQ(pelTcpConnect(&record, u"localhost", listener.port), PEL_OK);
    EXPECT_EQ(record->state, 1u);
    EXPECT_NE(record->lookup, nullptr);
    EXPECT_EQ(settle(record), PEL_OK);
    EXPECT_EQ(record->state, 4u);
    EXPECT_EQ(record->lookup, nullptr);
    pelTcpClose(record);
}

TEST_F(TcpTest, FailuresEndBroken) {
    struct Case {
        const char16_t* host;
        uint16_t port;
    };
    // A refused connect makes the socket writable too; it must not pass for connected.
    const Case cases[] = {{u"127.0.0.1", closedPort()}, {u"missing", 80}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.host, c.host + std::char_traits<char16_t>::length(c.host)));
        PEL_SOCKET* record = nullptr;
        ASSERT_EQ(pelTcpConnect(&record, c.host, c.port), PEL_OK);
        EXPECT_EQ(settle(record), PEL_E_IO);
        EXPECT_EQ(record->state, 0u);
        EXPECT_EQ(pelTcpPoll(record), PEL_E_IO);
        pelTcpClose(record);
    }
}

TEST_F(TcpTest, BadArgumentsAreRefusedWithoutARecord) {
    uint32_t freeRecords = freeRecordsAfterWarmUp();
    PEL_SOCKET* record = nullptr;
    EXPECT_EQ(pelTcpConnect(&record, u"127.0.0.1", 0), PEL_E_INVALIDARG);
    EXPECT_EQ(pelTcpConnect(&record, u"127.0.0.1", -1), PEL_E_INVALIDARG);
    EXPECT_EQ(pelTcpConnect(&record, u"", 80), PEL_E_INVALIDARG);
    EXPECT_EQ(record, nullptr);
    EXPECT_EQ(pelSocketGetFreeRecordCount(), freeRecords);
}

TEST_F(TcpTest, NameFailsAtOnceWhenNoLookupWorkerStarts) {
    uint32_t freeRecords = freeRecordsAfterWarmUp();
    pelLookupFailWorkerStart(true);
    PEL_SOCKET* record = nullptr;
    EXPECT_EQ(pelTcpConnect(&record, u"localhost", 80), PEL_E_CREATE);
    EXPECT_EQ(record, nullptr);
    EXPECT_EQ(pelSocketGetFreeRecordCount(), freeRecords);
}

TEST_F(TcpTest, CloseDuringTheLookupCancelsIt) {
    PEL_SOCKET* record = nullptr;
    ASSERT_EQ(pelTcpConnect(&record, u"slow.example", 80), PEL_OK);
    PEL_LOOKUP* lookup = record->lookup;
    resolver().waitEntered(1);
    pelTcpClose(record);
    EXPECT_EQ(pelLookupGetFlags(lookup), PEL_LOOKUP_RESOLVING | PEL_LOOKUP_CANCELLED);
}

}  // namespace
}  // namespace framework::socket::testing
