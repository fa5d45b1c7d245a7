#include "platform/net/winsock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/errqueue.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include <cstring>
#include <mutex>
#include <unordered_set>

namespace platform::net {
namespace {

thread_local int lastError = 0;

int fail(int code) {
    lastError = code;
    return kSocketError;
}

int mapErrno(int e) {
    switch (e) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS:
        return kWsaWouldBlock;
    case ENOBUFS:
    case ENOMEM:
        return kWsaNoBuffers;
    case ECONNREFUSED:
    case ECONNRESET:
    case EHOSTUNREACH:
    case ENETUNREACH:
        return kWsaConnectionReset;
    case EMSGSIZE:
        return kWsaMessageSize;
    default:
        return kWsaOtherError;
    }
}

int failErrno() { return fail(mapErrno(errno)); }

sockaddr_in toSockaddr(Address a) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(a.ip);
    sa.sin_port = htons(a.port);
    return sa;
}

int fd(Socket s) { return static_cast<int>(s); }

// UDP sockets whose unreachable report was met by a send: the report is owed to the next receive.
std::mutex pendingLock;
std::unordered_set<Socket> pendingReset;

void keepReset(Socket s) {
    std::lock_guard lock(pendingLock);
    pendingReset.insert(s);
}

bool takeReset(Socket s) {
    std::lock_guard lock(pendingLock);
    return pendingReset.erase(s) != 0;
}

}  // namespace

int wsaStartup() { return 0; }
int wsaCleanup() { return 0; }
int wsaGetLastError() { return lastError; }

Socket udpSocket() {
    int f = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (f < 0) {
        failErrno();
        return kInvalidSocket;
    }
    // Without IP_RECVERR an unconnected UDP socket never learns that its peer's port is closed.
    int on = 1;
    ::setsockopt(f, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
    return f;
}

Socket tcpSocket() {
    int f = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (f < 0) {
        failErrno();
        return kInvalidSocket;
    }
    return f;
}

int setNonBlocking(Socket s, bool on) {
    int flags = ::fcntl(fd(s), F_GETFL);
    if (flags < 0) return failErrno();
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return ::fcntl(fd(s), F_SETFL, flags) < 0 ? failErrno() : 0;
}

int bindSocket(Socket s, Address local) {
    sockaddr_in sa = toSockaddr(local);
    return ::bind(fd(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) < 0 ? failErrno() : 0;
}

bool localAddress(Socket s, Address& out) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(fd(s), reinterpret_cast<sockaddr*>(&sa), &len) < 0) return false;
    out.ip = ntohl(sa.sin_addr.s_addr);
    out.port = ntohs(sa.sin_port);
    return true;
}

int closeSocket(Socket s) {
    takeReset(s);
    return ::close(fd(s)) < 0 ? failErrno() : 0;
}

namespace {

// Takes one queued ICMP error off the socket's error queue; true when there was one.
bool takeQueuedError(int f) {
    char control[256];
    char data[1];
    iovec iov{data, sizeof data};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    return ::recvmsg(f, &msg, MSG_ERRQUEUE | MSG_DONTWAIT) >= 0;
}

}  // namespace

int sendTo(Socket s, const void* data, size_t size, Address to) {
    sockaddr_in sa = toSockaddr(to);
    for (int attempt = 0; attempt < 2; ++attempt) {
        ssize_t n =
            ::sendto(fd(s), data, size, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        if (n >= 0) return static_cast<int>(n);
        // An unreachable report from an earlier datagram belongs to the next receive, not to
        // this send (which may go to another peer): keep it and retry.
        if (errno != ECONNREFUSED && errno != EHOSTUNREACH) return failErrno();
        keepReset(s);
    }
    return failErrno();
}

int recvFrom(Socket s, void* buffer, size_t size, Address& from) {
    if (takeReset(s)) return fail(kWsaConnectionReset);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ssize_t n = ::recvfrom(fd(s), buffer, size, MSG_TRUNC, reinterpret_cast<sockaddr*>(&sa), &len);
    if (n < 0) {
        int e = errno;
        if (e == ECONNREFUSED || e == EHOSTUNREACH) takeQueuedError(fd(s));
        return fail(mapErrno(e));
    }
    if (static_cast<size_t>(n) > size) return fail(kWsaMessageSize);
    from.ip = ntohl(sa.sin_addr.s_addr);
    from.port = ntohs(sa.sin_port);
    return static_cast<int>(n);
}

int connectSocket(Socket s, Address to) {
    sockaddr_in sa = toSockaddr(to);
    return ::connect(fd(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) < 0 ? failErrno() : 0;
}

int connectResult(Socket s) {
    pollfd p{fd(s), POLLOUT, 0};
    int r = ::poll(&p, 1, 0);
    if (r < 0) return failErrno();
    if (r == 0) return 0;
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd(s), SOL_SOCKET, SO_ERROR, &error, &len) < 0) return failErrno();
    if (error != 0) return fail(mapErrno(error));
    return 1;
}

int sendStream(Socket s, const void* data, size_t size) {
    ssize_t n = ::send(fd(s), data, size, MSG_NOSIGNAL);
    return n < 0 ? failErrno() : static_cast<int>(n);
}

int recvStream(Socket s, void* buffer, size_t size) {
    ssize_t n = ::recv(fd(s), buffer, size, 0);
    return n < 0 ? failErrno() : static_cast<int>(n);
}

int shutdownBoth(Socket s) { return ::shutdown(fd(s), SHUT_RDWR) < 0 ? failErrno() : 0; }

int sendBufferSize(Socket s) {
    int size = 0;
    socklen_t len = sizeof size;
    if (::getsockopt(fd(s), SOL_SOCKET, SO_SNDBUF, &size, &len) < 0) return failErrno();
    return size;
}

uint32_t inetAddr(const char* text) {
    in_addr a{};
    if (text == nullptr || ::inet_pton(AF_INET, text, &a) != 1) return kInaddrNone;
    return ntohl(a.s_addr);
}

bool resolveHost(const char* name, uint32_t& ip) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &result) != 0 || result == nullptr) return false;
    ip = ntohl(reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(result);
    return true;
}

}  // namespace platform::net
