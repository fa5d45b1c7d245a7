#include "engine/config/tcp_updater_connection.h"

#include "platform/net/winsock.h"

namespace net = platform::net;

TcpUpdaterConnection::TcpUpdaterConnection() { pelSocketInitialize(); }

bool TcpUpdaterConnection::connect(const std::u16string& host, int32_t port) {
    close();
    return pelTcpConnect(&record_, host.c_str(), port) == PEL_OK;
}

UpdaterConnection::State TcpUpdaterConnection::poll() {
    if (!record_) return State::Failed;
    switch (pelTcpPoll(record_)) {
    case PEL_OK:
        return State::Connected;
    case PEL_E_BUSY:
        return State::Pending;
    default:
        return State::Failed;
    }
}

size_t TcpUpdaterConnection::sendBufferSize() { return record_ ? record_->sendBufferSize : 0; }

UpdaterConnection::Io TcpUpdaterConnection::broken() {
    record_->state = 0;
    return Io::Failed;
}

UpdaterConnection::Io TcpUpdaterConnection::send(const char* data, size_t size, size_t* sent) {
    *sent = 0;
    if (!record_) return Io::Failed;
    const int result = net::sendStream(record_->socket, data, size);
    if (result >= 0) {
        *sent = static_cast<size_t>(result);
        return Io::Done;
    }
    return net::wsaGetLastError() == net::kWsaWouldBlock ? Io::WouldBlock : broken();
}

UpdaterConnection::Io TcpUpdaterConnection::receiveByte(uint8_t* byte) {
    if (!record_) return Io::Failed;
    const int result = net::recvStream(record_->socket, byte, 1);
    if (result == 1) return Io::Done;
    // 0: the server closed the connection.
    if (result == 0) return broken();
    return net::wsaGetLastError() == net::kWsaWouldBlock ? Io::WouldBlock : broken();
}

void TcpUpdaterConnection::close() {
    if (!record_) return;
    pelTcpClose(record_);
    record_ = nullptr;
}
