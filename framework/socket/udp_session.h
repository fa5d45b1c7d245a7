#pragma once
#include <memory>
#include <vector>

#include "framework/socket/socket.h"
#include "framework/socket/udp.h"
#include "framework/socket/udp_datagram.h"

// One session record of the session pool.
struct PEL_UDP {
    explicit PEL_UDP(const framework::socket::UdpCapacities& capacities) : streams(capacities) {}

    PEL_UDP* host = nullptr;      // itself for a client, null for a host, the owner for a peer
    std::vector<PEL_UDP*> peers;  // a host's peers in arrival order
    uint32_t waitingLimit = 0;    // a host's limit of peers waiting to be accepted
    uint32_t phase = 0;  // client: 0 hello due, 1 hello sent, 2 host answered; host: peers waiting
    PEL_SOCKET* record = nullptr;    // socket (none for a peer) and state
    platform::net::Address address;  // the other side
    PEL_UDP_PARAMS params{};
    std::vector<uint8_t> buffer;  // datagram buffer (none for a peer)
    framework::socket::UdpStreams streams;
    std::unique_ptr<platform::net::FaultyEndpoint> faults;  // tests only
};
