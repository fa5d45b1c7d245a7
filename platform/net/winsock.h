#pragma once
#include <cstddef>
#include <cstdint>

namespace platform::net {

// A socket handle as the WinSock calls hand it out; kInvalidSocket marks a failed creation.
using Socket = intptr_t;
inline constexpr Socket kInvalidSocket = -1;
inline constexpr int kSocketError = -1;

// The WinSock error codes the socket module tells apart; every other failure is reported as
// kWsaOtherError.
inline constexpr int kWsaWouldBlock = 10035;
inline constexpr int kWsaMessageSize = 10040;
inline constexpr int kWsaNoBuffers = 10055;
inline constexpr int kWsaConnectionReset = 10054;
inline constexpr int kWsaOtherError = 10004;

// An IPv4 address and port in host byte order.
struct Address {
    uint32_t ip = 0;
    uint16_t port = 0;
    bool operator==(const Address&) const = default;
};

inline constexpr uint32_t kLoopback = 0x7F000001;
inline constexpr uint32_t kInaddrNone = 0xFFFFFFFF;

// Start-up and clean-up have nothing to do on this platform.
int wsaStartup();
int wsaCleanup();
// The error of the calling thread's last failed socket call.
int wsaGetLastError();

// UDP sockets report an unreachable peer on their next receive as kWsaConnectionReset.
Socket udpSocket();
Socket tcpSocket();
// Non-blocking mode (FIONBIO).
int setNonBlocking(Socket s, bool on);
int bindSocket(Socket s, Address local);
// The address the socket is bound to (its port once bound to port 0).
bool localAddress(Socket s, Address& out);
int closeSocket(Socket s);

// A datagram larger than `size` fails with kWsaMessageSize instead of arriving cut.
int sendTo(Socket s, const void* data, size_t size, Address to);
int recvFrom(Socket s, void* buffer, size_t size, Address& from);

// kSocketError with kWsaWouldBlock means the connect has started.
int connectSocket(Socket s, Address to);
// 1 when writable and connected, 0 while connecting, kSocketError when the connect failed.
int connectResult(Socket s);
int sendStream(Socket s, const void* data, size_t size);
int recvStream(Socket s, void* buffer, size_t size);
int shutdownBoth(Socket s);
int sendBufferSize(Socket s);

// Dotted-quad text to an address in host order, kInaddrNone when it is not one.
uint32_t inetAddr(const char* text);
// Resolves a host name to an IPv4 address (blocking); false when it has none.
bool resolveHost(const char* name, uint32_t& ip);

}  // namespace platform::net
