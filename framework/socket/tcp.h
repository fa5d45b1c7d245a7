#pragma once
#include <cstdint>

#include "framework/core/status.h"
#include "framework/socket/socket.h"

// Non-blocking TCP connections, polled by the caller until they are writable; the caller then
// sends and receives on the record's socket directly.

// PEL_OK with the record in state 1 (resolving a name) or 2 (connecting to a numeric address);
// PEL_E_INVALIDARG for an empty name or a port of 0 or less (no socket is made); PEL_E_CREATE
// when no socket can be made, the connect fails at once or no lookup worker can be started.
PEL_STATUS pelTcpConnect(PEL_SOCKET** out, const char16_t* host, int32_t port);
// PEL_OK once connected; PEL_E_BUSY while resolving or connecting; PEL_E_IO when broken (the
// name did not resolve, or the connection was refused or failed).
PEL_STATUS pelTcpPoll(PEL_SOCKET* record);
// Cancels a pending lookup, shuts the socket down and closes it, frees the record.
void pelTcpClose(PEL_SOCKET* record);
