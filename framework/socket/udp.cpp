#include "framework/socket/udp.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "framework/socket/lookup.h"
#include "framework/socket/udp_session.h"
#include "platform/os/cp932.h"

namespace net = platform::net;
using framework::socket::Framing;

namespace {

constexpr uint32_t kWaitingLimit = 23;
constexpr size_t kHelloSize = 10;

PEL_UDP* newSession(const PEL_UDP_PARAMS& params, net::Socket socket, net::Address address) {
    framework::socket::UdpCapacities capacities{size_t(params.sendUnits) * 256,
                                                size_t(params.receiveUnits) * 256,
                                                params.unreliableBytes, params.datagramSize};
    auto* session = new (pelSocketAllocateSession()) PEL_UDP(capacities);
    session->address = address;
    session->params = params;
    if (socket != net::kInvalidSocket) session->buffer.resize(params.datagramSize);
    session->record = pelSocketAllocate();
    if (socket != net::kInvalidSocket) {
        session->record->socket = socket;
        net::setNonBlocking(socket, true);
    }
    return session;
}

void freeSession(PEL_UDP* session) {
    pelSocketFree(session->record);
    session->~PEL_UDP();
    pelSocketFreeSession(session);
}

bool isHost(const PEL_UDP* s) { return s->host == nullptr; }
bool isClient(const PEL_UDP* s) { return s->host == s; }

// The session whose socket and buffer carry this session's datagrams.
PEL_UDP* carrier(PEL_UDP* s) { return isHost(s) || isClient(s) ? s : s->host; }

uint32_t& state(PEL_UDP* s) { return s->record->state; }

bool process(PEL_UDP* s, const uint8_t* bytes, size_t size) {
    if (framework::socket::processDatagram(s->streams, bytes, size)) return true;
    state(s) = 0;
    return false;
}

int sendRaw(PEL_UDP* s, const void* data, size_t size, net::Address to) {
    PEL_UDP* c = carrier(s);
    if (c->faults) return c->faults->send(data, size, to);
    return net::sendTo(c->record->socket, data, size, to);
}

// Builds and sends the session's next datagram; false (and state 0) when it breaks.
bool sendDatagram(PEL_UDP* s) {
    std::vector<uint8_t>& buffer = carrier(s)->buffer;
    size_t size = framework::socket::buildDatagram(s->streams, buffer.data(), buffer.size());
    if (s->streams.broken) {
        state(s) = 0;
        return false;
    }
    if (sendRaw(s, buffer.data(), size, s->address) < 0) {
        // A datagram lost to a full socket goes out again with the next one.
        int error = net::wsaGetLastError();
        if (error != net::kWsaWouldBlock && error != net::kWsaNoBuffers) {
            state(s) = 0;
            return false;
        }
    }
    return true;
}

void drain(PEL_UDP* s) {
    net::Address from;
    for (;;) {
        if (net::recvFrom(s->record->socket, s->buffer.data(), s->buffer.size(), from) >= 0)
            continue;
        int error = net::wsaGetLastError();
        if (error != net::kWsaConnectionReset && error != net::kWsaMessageSize) return;
    }
}

bool isHello(const uint8_t* bytes, size_t size) {
    return size == kHelloSize && std::all_of(bytes, bytes + size, [](uint8_t b) { return b == 0; });
}

PEL_UDP* findPeer(PEL_UDP* host, net::Address from) {
    for (PEL_UDP* peer : host->peers) {
        if (peer->address == from) return peer;
    }
    return nullptr;
}

void hostDatagram(PEL_UDP* host, const uint8_t* bytes, size_t size, net::Address from) {
    if (PEL_UDP* peer = findPeer(host, from)) {
        if (state(peer) == 2) {
            if (!process(peer, bytes, size)) pelUdpClose(peer);
        } else if (state(peer) == 4) {
            process(peer, bytes, size);
        }
        return;
    }
    if (!isHello(bytes, size) || host->phase >= host->waitingLimit) return;
    PEL_UDP* peer = newSession(host->params, net::kInvalidSocket, from);
    peer->host = host;
    state(peer) = 2;
    host->peers.push_back(peer);
    ++host->phase;
}

PEL_STATUS openClient(PEL_UDP** out, const char16_t* host, int32_t port,
                      const PEL_UDP_PARAMS* params, const int32_t* localPort) {
    if (host == nullptr || host[0] == 0) return PEL_E_INVALIDARG;
    net::Socket socket = net::udpSocket();
    if (socket == net::kInvalidSocket) return PEL_E_CREATE;
    PEL_UDP* session = newSession(*params, socket, {0, static_cast<uint16_t>(port)});
    session->host = session;
    std::string name = platform::os::utf16ToCp932(host);
    uint32_t ip = net::inetAddr(name.c_str());
    if (ip != net::kInaddrNone) {
        session->address.ip = ip;
        state(session) = 2;
    } else if ((session->record->lookup = pelLookupRequest(name.c_str())) != nullptr) {
        state(session) = 1;
    }
    bool bound = localPort == nullptr ||
                 net::bindSocket(socket, {0, static_cast<uint16_t>(*localPort)}) == 0;
    if (state(session) == 0 || !bound) {
        pelUdpClose(session);
        return PEL_E_CREATE;
    }
    *out = session;
    return PEL_OK;
}

PEL_STATUS sendStatus(int result) {
    if (result >= 0) return PEL_OK;
    switch (net::wsaGetLastError()) {
    case net::kWsaWouldBlock:
        return PEL_E_BUSY;
    case net::kWsaNoBuffers:
        return PEL_E_FULL;
    default:
        return PEL_E_IO;
    }
}

// Whether messages may be taken: connected, or broken with some left.
bool mayTake(PEL_UDP* s, bool empty) { return state(s) == 4 || (state(s) == 0 && !empty); }

PEL_STATUS take(PEL_UDP* s, PEL_RING& queue, Framing framing, uint32_t* length, void* buffer,
                uint32_t size) {
    bool empty = pelRingGetCount(&queue) == 0;
    if (!mayTake(s, empty)) return PEL_E_IO;
    *length = static_cast<uint32_t>(framework::socket::udpNextLength(queue, framing));
    if (size < *length) return PEL_E_FULL;
    if (*length != 0) framework::socket::udpTake(queue, framing, static_cast<uint8_t*>(buffer));
    return PEL_OK;
}

}  // namespace

PEL_STATUS pelUdpConnect(PEL_UDP** out, const char16_t* host, int32_t port,
                         const PEL_UDP_PARAMS* params) {
    return openClient(out, host, port, params, nullptr);
}

PEL_STATUS pelUdpConnectFrom(PEL_UDP** out, const char16_t* host, int32_t port,
                             const PEL_UDP_PARAMS* params, int32_t localPort) {
    return openClient(out, host, port, params, &localPort);
}

PEL_STATUS pelUdpGetState(PEL_UDP* client) {
    if (state(client) == 1) {
        uint32_t ip = 0;
        if (pelLookupPoll(client->record->lookup, &ip) != PEL_OK) return PEL_E_BUSY;
        client->record->lookup = nullptr;
        if (ip == net::kInaddrNone) {
            state(client) = 0;
        } else {
            client->address.ip = ip;
            state(client) = 2;
        }
    }
    if (state(client) == 2 && client->phase == 2) state(client) = 4;
    switch (state(client)) {
    case 4:
        return PEL_OK;
    case 0:
        return PEL_E_IO;
    default:
        return PEL_E_BUSY;
    }
}

PEL_STATUS pelUdpHost(PEL_UDP** out, int32_t port, const PEL_UDP_PARAMS* params) {
    net::Socket socket = net::udpSocket();
    if (socket == net::kInvalidSocket) return PEL_E_CREATE;
    if (net::bindSocket(socket, {0, static_cast<uint16_t>(port)}) != 0) {
        net::closeSocket(socket);
        return PEL_E_CREATE;
    }
    PEL_UDP* host = newSession(*params, socket, {});
    host->waitingLimit = kWaitingLimit;
    state(host) = 3;
    drain(host);
    *out = host;
    return PEL_OK;
}

PEL_STATUS pelUdpAccept(PEL_UDP* host, PEL_UDP** peer) {
    for (PEL_UDP* candidate : host->peers) {
        if (state(candidate) == 2) {
            state(candidate) = 4;
            --host->phase;
            *peer = candidate;
            return PEL_OK;
        }
    }
    return PEL_E_BUSY;
}

PEL_STATUS pelUdpSend(PEL_UDP* s, const void* message, uint32_t length, const void* block,
                      uint32_t blockLength) {
    // One length byte holds length - 1: a longer message would corrupt the queue's framing.
    if (length > 256) return PEL_E_INVALIDARG;
    if (state(s) != 4) return PEL_E_IO;
    auto* bytes = static_cast<const uint8_t*>(message);
    if (length != 0 && !framework::socket::udpQueueMessage(s->streams, bytes, length))
        return PEL_E_FULL;
    if (blockLength != 0 && 2 + size_t(blockLength) <= s->params.datagramSize)
        framework::socket::udpSetBlock(s->streams, static_cast<const uint8_t*>(block), blockLength);
    return PEL_OK;
}

PEL_STATUS pelUdpReceiveReliable(PEL_UDP* s, uint32_t* length, void* buffer, uint32_t size) {
    return take(s, s->streams.receiveQueue, Framing::Message, length, buffer, size);
}

PEL_STATUS pelUdpReceive(PEL_UDP* s, uint32_t* length, void* buffer, uint32_t size) {
    return take(s, s->streams.blocks, Framing::Block, length, buffer, size);
}

PEL_STATUS pelUdpReceiveLatest(PEL_UDP* s, uint32_t* length, void* buffer, uint32_t size) {
    PEL_RING& blocks = s->streams.blocks;
    while (framework::socket::udpItemCount(blocks, Framing::Block) > 1)
        framework::socket::udpTake(blocks, Framing::Block, nullptr);
    return take(s, blocks, Framing::Block, length, buffer, size);
}

bool pelUdpReceivePump(PEL_UDP* s) {
    if (isClient(s)) {
        if (state(s) == 2 && s->phase == 0) {
            s->phase = 1;
            uint8_t hello[kHelloSize] = {};
            sendRaw(s, hello, sizeof hello, s->address);
            drain(s);
            return false;
        }
        if (state(s) != 2 && state(s) != 4) return false;
        if (s->streams.idle >= s->params.timeout) {
            state(s) = 0;
            return false;
        }
        ++s->streams.idle;
    } else {
        std::vector<PEL_UDP*> peers = s->peers;
        for (PEL_UDP* peer : peers) {
            if (peer->streams.idle < s->params.timeout)
                ++peer->streams.idle;
            else if (state(peer) == 2)
                pelUdpClose(peer);
            else if (state(peer) == 4)
                state(peer) = 0;
        }
    }
    for (;;) {
        net::Address from;
        int n = net::recvFrom(s->record->socket, s->buffer.data(), s->buffer.size(), from);
        if (n < 0 && net::wsaGetLastError() == net::kWsaWouldBlock) return true;
        if (n <= 0) {
            if (isClient(s)) state(s) = 0;
            return false;
        }
        if (isHost(s)) {
            hostDatagram(s, s->buffer.data(), size_t(n), from);
        } else if (from == s->address) {
            if (!process(s, s->buffer.data(), size_t(n))) return false;
            s->phase = 2;
        }
    }
}

void pelUdpSendPump(PEL_UDP* s) {
    if (isClient(s)) {
        if (state(s) == 2 || state(s) == 4) sendDatagram(s);
    } else {
        std::vector<PEL_UDP*> peers = s->peers;
        for (PEL_UDP* peer : peers) {
            if (state(peer) == 2) {
                if (!sendDatagram(peer)) pelUdpClose(peer);
            } else if (state(peer) == 4) {
                sendDatagram(peer);
            }
        }
    }
    if (s->faults) s->faults->flush();
}

void pelUdpUpdate(PEL_UDP* s) {
    if (pelUdpReceivePump(s)) pelUdpSendPump(s);
}

void pelUdpClose(PEL_UDP* s) {
    if (isHost(s)) {
        while (!s->peers.empty()) pelUdpClose(s->peers.front());
    } else if (s->address.ip != 0) {
        const uint8_t notice = 0;
        sendRaw(s, &notice, 1, s->address);
    }
    if (s->record->lookup != nullptr) pelLookupCancel(s->record->lookup);
    if (s->record->socket != net::kInvalidSocket) net::closeSocket(s->record->socket);
    if (!isHost(s) && !isClient(s)) {
        PEL_UDP* host = s->host;
        if (state(s) == 2) --host->phase;
        host->peers.erase(std::find(host->peers.begin(), host->peers.end(), s));
    }
    freeSession(s);
}

PEL_STATUS pelUdpSendByte(PEL_UDP* s, uint32_t address, uint16_t port, const uint8_t* byte) {
    return sendStatus(net::sendTo(carrier(s)->record->socket, byte, 1, {address, port}));
}

PEL_STATUS pelUdpSendHello(PEL_UDP* s, uint32_t address, uint16_t port) {
    const uint8_t hello[kHelloSize] = {};
    return sendStatus(
        net::sendTo(carrier(s)->record->socket, hello, sizeof hello, {address, port}));
}

uint32_t pelUdpGetRawState(const PEL_UDP* s) { return s->record->state; }

uint16_t pelUdpGetLocalPort(const PEL_UDP* s) {
    net::Address local;
    return net::localAddress(s->record->socket, local) ? local.port : 0;
}

void pelUdpSetFaultRule(PEL_UDP* s, const net::FaultRule& rule) {
    s->faults = std::make_unique<net::FaultyEndpoint>(s->record->socket, rule);
}
