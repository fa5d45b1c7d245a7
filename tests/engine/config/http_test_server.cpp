#include "tests/engine/config/http_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace tessera::test {
namespace {

int loopbackSocket(uint16_t* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return fd;
}

bool readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

}  // namespace

HttpTestServer::HttpTestServer(std::vector<Reply> replies) : replies_(std::move(replies)) {
    listener_ = loopbackSocket(&port_);
    ::listen(listener_, 8);
    thread_ = std::thread([this] { serve(); });
}

HttpTestServer::~HttpTestServer() {
    stop_ = true;
    thread_.join();
    for (int peer : silentPeers_) ::close(peer);
    ::close(listener_);
}

std::vector<std::string> HttpTestServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool HttpTestServer::idle() const {
    std::lock_guard lock(mutex_);
    return !busy_ && !readable(listener_, 0) && !(peer_ >= 0 && readable(peer_, 0));
}

void HttpTestServer::setBusy(bool busy, int peer) {
    std::lock_guard lock(mutex_);
    busy_ = busy;
    peer_ = peer;
}

void HttpTestServer::serve() {
    while (!stop_) {
        if (!readable(listener_, 10)) continue;
        setBusy(true, -1);
        const int peer = ::accept(listener_, nullptr, nullptr);
        if (peer >= 0) answer(peer);
        setBusy(false, -1);
    }
}

void HttpTestServer::answer(int peer) {
    // The request ends at its blank line (both forms end in a bare "\n\n").
    // Waiting for the client is idle time; reading what it sent and answering are not.
    std::string request;
    setBusy(false, peer);
    while (!stop_ && request.find("\n\n") == std::string::npos) {
        if (!readable(peer, 10)) continue;
        setBusy(true, peer);
        char buffer[256];
        const ssize_t n = ::recv(peer, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
        if (request.find("\n\n") == std::string::npos) setBusy(false, peer);
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    if (nextReply_ >= replies_.size()) {
        ::close(peer);
        return;
    }
    const Reply& reply = replies_[nextReply_++];
    if (!reply.bytes.empty()) ::send(peer, reply.bytes.data(), reply.bytes.size(), MSG_NOSIGNAL);
    if (reply.silent) {
        silentPeers_.push_back(peer);
    } else {
        ::close(peer);
    }
}

uint16_t refusingPort() {
    uint16_t port = 0;
    ::close(loopbackSocket(&port));
    return port;
}

void PacedClock::sleep(uint32_t milliseconds) {
    using namespace std::chrono_literals;
    // Bounded, so that a server that never settles fails its test instead of hanging it.
    for (int wait = 0; wait < 10000; ++wait) {
        bool idle = true;
        for (const HttpTestServer* server : servers_) idle = idle && server->idle();
        if (idle) break;
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100) * milliseconds);
    manual_.sleep(milliseconds);
}

}  // namespace tessera::test
