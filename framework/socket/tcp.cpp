#include "framework/socket/tcp.h"

#include <string>

#include "framework/socket/lookup.h"
#include "platform/os/cp932.h"

namespace net = platform::net;

namespace {

void setupSocket(PEL_SOCKET* record) {
    net::setNonBlocking(record->socket, true);
    int size = net::sendBufferSize(record->socket);
    record->sendBufferSize = size > 0 ? static_cast<uint32_t>(size) : 0;
}

// True when the connect succeeded at once or is under way.
bool startConnect(PEL_SOCKET* record, uint32_t ip) {
    if (net::connectSocket(record->socket, {ip, record->port}) == 0) return true;
    return net::wsaGetLastError() == net::kWsaWouldBlock;
}

}  // namespace

PEL_STATUS pelTcpConnect(PEL_SOCKET** out, const char16_t* host, int32_t port) {
    if (host == nullptr || host[0] == 0 || port <= 0 || port > 0xFFFF) return PEL_E_INVALIDARG;
    PEL_SOCKET* record = pelSocketAllocate();
    record->port = static_cast<uint16_t>(port);
    record->socket = net::tcpSocket();
    if (record->socket == net::kInvalidSocket) {
        pelTcpClose(record);
        return PEL_E_CREATE;
    }
    setupSocket(record);
    std::string name = platform::os::utf16ToCp932(host);
    uint32_t ip = net::inetAddr(name.c_str());
    if (ip == net::kInaddrNone) {
        // Without a worker the record could never leave state 1.
        record->lookup = pelLookupRequest(name.c_str());
        if (record->lookup != nullptr) record->state = 1;
    } else if (startConnect(record, ip)) {
        record->state = 2;
    }
    if (record->state == 0) {
        pelTcpClose(record);
        return PEL_E_CREATE;
    }
    *out = record;
    return PEL_OK;
}

PEL_STATUS pelTcpPoll(PEL_SOCKET* record) {
    switch (record->state) {
    case 1: {
        uint32_t ip = 0;
        if (pelLookupPoll(record->lookup, &ip) != PEL_OK) return PEL_E_BUSY;
        record->lookup = nullptr;
        if (ip == net::kInaddrNone || !startConnect(record, ip)) {
            record->state = 0;
            return PEL_E_IO;
        }
        record->state = 2;
        return PEL_E_BUSY;
    }
    case 2: {
        // A refused connect also makes the socket writable; its pending error tells it apart.
        int result = net::connectResult(record->socket);
        if (result == 0) return PEL_E_BUSY;
        if (result < 0) {
            record->state = 0;
            return PEL_E_IO;
        }
        record->state = 4;
        return PEL_OK;
    }
    case 4:
        return PEL_OK;
    default:
        return PEL_E_IO;
    }
}

void pelTcpClose(PEL_SOCKET* record) {
    if (record->lookup != nullptr) {
        pelLookupCancel(record->lookup);
        record->lookup = nullptr;
    }
    if (record->socket != net::kInvalidSocket) {
        net::shutdownBoth(record->socket);
        net::closeSocket(record->socket);
        record->socket = net::kInvalidSocket;
    }
    pelSocketFree(record);
}
