#pragma once
#include <cstdint>

#include "framework/core/status.h"
#include "platform/net/faulty_endpoint.h"

// Reliable-UDP sessions over one non-blocking UDP socket: a client talks to one host, a host
// accepts peers on one port. Each session carries an ordered, acknowledged stream of reliable
// messages (1 to 256 bytes) and a latest-value stream of unreliable blocks. There is no thread
// and no timer: the owner pumps each session once per tick, usually with pelUdpUpdate.
struct PEL_UDP;

struct PEL_UDP_PARAMS {
    uint32_t datagramSize;     // the largest datagram sent or received
    uint32_t receiveUnits;     // reliable receive queue, in units of 256 bytes
    uint32_t sendUnits;        // reliable send queue, in units of 256 bytes
    uint32_t timeout;          // receive pumps without progress before a session breaks
    uint32_t unreliableBytes;  // unreliable receive queue, in bytes
};

// Opens a client: state 1 while the name is looked up, state 2 at once for a numeric address.
// PEL_E_INVALIDARG for an empty name, PEL_E_CREATE when no socket can be made or no lookup
// worker can be started.
PEL_STATUS pelUdpConnect(PEL_UDP** out, const char16_t* host, int32_t port,
                         const PEL_UDP_PARAMS* params);
// The same, with the socket bound to `localPort` (any address); a failed bind is PEL_E_CREATE.
PEL_STATUS pelUdpConnectFrom(PEL_UDP** out, const char16_t* host, int32_t port,
                             const PEL_UDP_PARAMS* params, int32_t localPort);
// A client's state: PEL_OK connected, PEL_E_BUSY resolving or connecting, PEL_E_IO broken.
PEL_STATUS pelUdpGetState(PEL_UDP* client);
// Opens a host listening on `port` (0: an ephemeral one); PEL_E_CREATE when the socket cannot
// be made or bound.
PEL_STATUS pelUdpHost(PEL_UDP** out, int32_t port, const PEL_UDP_PARAMS* params);
// PEL_OK with the oldest waiting peer, now accepted; PEL_E_BUSY when none waits.
PEL_STATUS pelUdpAccept(PEL_UDP* host, PEL_UDP** peer);
// Queues a reliable message (length 0: none) and replaces the pending unreliable block (length
// 0: none; one too large for a datagram is left out). PEL_E_IO when not connected or accepted;
// PEL_E_FULL when the message does not fit the send queue; PEL_E_INVALIDARG for a message over
// 256 bytes. Nothing is queued on a failure.
PEL_STATUS pelUdpSend(PEL_UDP* session, const void* message, uint32_t length, const void* block,
                      uint32_t blockLength);
// The next reliable message (length 0 when none); PEL_E_FULL with the needed length when the
// buffer is too small (the message stays); PEL_E_IO when broken and empty, or not connected.
PEL_STATUS pelUdpReceiveReliable(PEL_UDP* session, uint32_t* length, void* buffer, uint32_t size);
// The oldest unreliable block, with the same answers.
PEL_STATUS pelUdpReceive(PEL_UDP* session, uint32_t* length, void* buffer, uint32_t size);
// Drops every block but the newest and takes that one.
PEL_STATUS pelUdpReceiveLatest(PEL_UDP* session, uint32_t* length, void* buffer, uint32_t size);
// Reads every waiting datagram; true when the socket ran dry (the send pump may follow).
bool pelUdpReceivePump(PEL_UDP* session);
// Sends one datagram to the host (client) or to each waiting and accepted peer (host).
void pelUdpSendPump(PEL_UDP* session);
void pelUdpUpdate(PEL_UDP* session);
// Closes any kind of session (a host closes its peers first) and frees it.
void pelUdpClose(PEL_UDP* session);
// One byte, or the ten-byte hello, from the session's socket to any address (host order).
// PEL_E_BUSY on would-block, PEL_E_FULL when out of buffers, PEL_E_IO on other errors.
PEL_STATUS pelUdpSendByte(PEL_UDP* session, uint32_t address, uint16_t port, const uint8_t* byte);
PEL_STATUS pelUdpSendHello(PEL_UDP* session, uint32_t address, uint16_t port);

// The session's state (0 broken ... 4 connected) and its socket's local port, for tests.
uint32_t pelUdpGetRawState(const PEL_UDP* session);
uint16_t pelUdpGetLocalPort(const PEL_UDP* session);
// Sends the session's datagrams (a host's: those to all its peers) through a fault rule.
void pelUdpSetFaultRule(PEL_UDP* session, const platform::net::FaultRule& rule);
