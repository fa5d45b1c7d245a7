#pragma once
#include <cstdint>

#include "framework/core/mempool.h"
#include "platform/net/winsock.h"

struct PEL_LOOKUP;

// One socket record of the socket module: a TCP connection of the version check, or the
// socket of a reliable-UDP session.
struct PEL_SOCKET {
    platform::net::Socket socket;  // kInvalidSocket until one is stored
    // 0 broken, 1 resolving the host name, 2 connecting, 3 listening (UDP host), 4 connected.
    // The caller of a TCP connection may set it to 0 after a failed send.
    uint32_t state;
    PEL_LOOKUP* lookup;  // the name lookup in progress, or null
    uint16_t port;       // the port to connect to, host order
    // SO_SNDBUF of the socket, 0 when unknown: the caller sends in pieces of at most this size.
    uint32_t sendBufferSize;
};

// Starts the socket module once (later calls do nothing) and registers pelSocketFinalize to
// run at exit. Needs the framework core (pelInitialize).
void pelSocketInitialize();
// Stops the lookup workers (waiting for a running resolution) and frees both record pools.
void pelSocketFinalize();

// A record with no socket, state 0 and no lookup.
PEL_SOCKET* pelSocketAllocate();
// Returns a record to its pool (its socket must already be closed).
void pelSocketFree(PEL_SOCKET* record);
// Records of the socket-record pool free without growing (for tests).
uint32_t pelSocketGetFreeRecordCount();

// The session pool of the reliable-UDP sessions, guarded like the record pool.
void* pelSocketAllocateSession();
void pelSocketFreeSession(void* session);
