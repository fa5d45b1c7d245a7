#pragma once
#include <cstdint>
#include <string>

#include "engine/config/http_answer.h"
#include "engine/config/updater_link.h"

// Asks the maker's server whether a newer version of the game exists: an HTTP/1.0 request for
// "/<directory>/ver<version>.txt", through the `http_proxy` proxy when set (falling back to a
// direct connection), following 301 redirects, bounded to 5000 ms and cancellable. Every
// problem is a level-2 message and lets the game start.
class Updater {
public:
    static constexpr uint32_t kTimeLimitMs = 5000;
    static constexpr uint32_t kPollSleepMs = 50;

    Updater(UpdaterConnection& connection, UpdaterDialogs& dialogs)
        : connection_(connection), dialogs_(dialogs) {}

    // False only when the player opened the maker's home page from the newer-version dialog.
    bool run(const char16_t* host, int32_t port, const char16_t* directory, uint32_t version,
             const char16_t* shortTitle);

    // One pump step: dispatches the waiting messages, fails on the quit request and once the
    // time limit since `start` has passed, then sleeps 50 ms when asked.
    bool pumpStep(uint32_t start, bool sleep);
    // One answer line (carriage returns dropped, cut at 1024 bytes); false when the
    // connection broke or the pump step failed while waiting.
    bool recvLine(std::u16string* line, uint32_t start);

private:
    // Connects to the target (or the proxy, falling back to a direct connection) and sends
    // the request; false ends the check.
    bool connectAndSend(const HttpTarget& target, HttpTarget* proxy, uint32_t start);
    bool send(const std::string& request, uint32_t start);

    UpdaterConnection& connection_;
    UpdaterDialogs& dialogs_;
};

// The maker's home page: "http://<host>/", with ":<port>" when the port is not 80.
std::u16string updaterHomePage(const char16_t* host, int32_t port);
