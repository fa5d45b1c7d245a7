#pragma once
#include "engine/config/updater_link.h"
#include "framework/socket/tcp.h"

// The version check's connection over the framework's non-blocking TCP records: one record at
// a time, polled until writable, then bytes sent and received on its socket directly.
class TcpUpdaterConnection final : public UpdaterConnection {
public:
    // Starts the socket module when nothing has yet (the framework core must be running).
    TcpUpdaterConnection();
    ~TcpUpdaterConnection() override { close(); }
    TcpUpdaterConnection(const TcpUpdaterConnection&) = delete;
    TcpUpdaterConnection& operator=(const TcpUpdaterConnection&) = delete;

    bool connect(const std::u16string& host, int32_t port) override;
    State poll() override;
    size_t sendBufferSize() override;
    Io send(const char* data, size_t size, size_t* sent) override;
    Io receiveByte(uint8_t* byte) override;
    void close() override;

private:
    // A failed send or receive breaks the record (state 0), as the socket module allows.
    Io broken();

    PEL_SOCKET* record_ = nullptr;
};
