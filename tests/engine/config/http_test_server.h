#pragma once
// An HTTP server thread on 127.0.0.1 for the version check: it answers the connections it
// accepts, in order, with scripted bytes (and then closes, or stays silent), and records every
// request. The paced clock lets the check's time move only while every server is idle, so
// waits in fake time never outrun the server thread.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/os/clock.h"

namespace tessera::test {

class HttpTestServer {
public:
    struct Reply {
        std::string bytes;
        bool silent = false;  // the connection stays open without another byte
    };

    // Connections after the last reply are closed at once.
    explicit HttpTestServer(std::vector<Reply> replies);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    uint16_t port() const { return port_; }
    // The requests received so far, each up to its blank line.
    std::vector<std::string> requests() const;
    // Nothing for the server to do: no connection waits to be accepted, no request bytes wait
    // to be read and no answer is being written.
    bool idle() const;

private:
    void serve();
    void answer(int peer);
    void setBusy(bool busy, int peer);

    int listener_ = -1;
    uint16_t port_ = 0;
    std::vector<Reply> replies_;
    size_t nextReply_ = 0;
    std::vector<int> silentPeers_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    int peer_ = -1;  // the connection being served
    bool busy_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A loopback port nobody listens on: connections to it are refused.
uint16_t refusingPort();

// Fake time (a ManualClock) whose sleeps first wait, in real time, until every server is idle,
// and then a tenth of the time slept (which leaves the name-lookup workers time to answer).
class PacedClock final : public platform::os::Clock {
public:
    // The servers to wait for from now on.
    void pace(std::vector<const HttpTestServer*> servers) { servers_ = std::move(servers); }

    uint32_t milliseconds() override { return manual_.milliseconds(); }
    uint64_t counter() override { return manual_.counter(); }
    uint64_t counterFrequency() override { return manual_.counterFrequency(); }
    void sleep(uint32_t milliseconds) override;

private:
    platform::os::ManualClock manual_;
    std::vector<const HttpTestServer*> servers_;
};

}  // namespace tessera::test
