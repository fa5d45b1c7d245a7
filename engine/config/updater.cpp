#include "engine/config/updater.h"

#include "framework/core/report.h"
#include "platform/os/clock.h"
#include "platform/os/open_url.h"
#include "platform/os/proxy_setting.h"
#include "platform/os/utf8.h"

namespace {

constexpr const char* kTag = "Updater::run";

void message(const char16_t* format) { pelReport(PEL_REPORT_MESSAGE, format, kTag); }

std::u16string decimal(int64_t value) {
    std::u16string text;
    for (char c : std::to_string(value)) text += static_cast<char16_t>(c);
    return text;
}

}  // namespace

std::u16string updaterHomePage(const char16_t* host, int32_t port) {
    std::u16string url = u"http://";
    url += host;
    if (port != 80) url += u":" + decimal(port);
    return url + u"/";
}

bool Updater::pumpStep(uint32_t start, bool sleep) {
    if (!dialogs_.pumpMessages()) return false;
    if (platform::os::clock().milliseconds() - start >= kTimeLimitMs) return false;
    if (sleep) platform::os::clock().sleep(kPollSleepMs);
    return true;
}

bool Updater::recvLine(std::u16string* line, uint32_t start) {
    HttpLineReader reader;
    for (;;) {
        uint8_t byte = 0;
        const UpdaterConnection::Io io = connection_.receiveByte(&byte);
        if (io == UpdaterConnection::Io::Failed) {
            pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] can't recv",
                      "`anonymous-namespace'::recvLine");
            return false;
        }
        if (io == UpdaterConnection::Io::WouldBlock) {
            if (!pumpStep(start, true)) return false;
            continue;
        }
        if (reader.push(byte)) break;
    }
    *line = reader.take();
    return true;
}

bool Updater::send(const std::string& request, uint32_t start) {
    size_t offset = 0;
    while (offset < request.size()) {
        if (connection_.poll() != UpdaterConnection::State::Connected) {
            message(u"Message: [%s] can't send");
            return false;
        }
        size_t size = request.size() - offset;
        const size_t limit = connection_.sendBufferSize();
        if (limit != 0 && size > limit) size = limit;
        size_t sent = 0;
        connection_.send(request.data() + offset, size, &sent);
        offset += sent;
        if (offset < request.size() && !pumpStep(start, true)) return false;
    }
    return true;
}

bool Updater::connectAndSend(const HttpTarget& target, HttpTarget* proxy, uint32_t start) {
    for (;;) {
        if (!pumpStep(start, false)) return false;
        connection_.close();
        const bool viaProxy = !proxy->host.empty();
        const HttpTarget& peer = viaProxy ? *proxy : target;
        bool failed = !connection_.connect(peer.host, peer.port);
        while (!failed) {
            const UpdaterConnection::State state = connection_.poll();
            if (state == UpdaterConnection::State::Connected) break;
            if (state == UpdaterConnection::State::Failed) {
                failed = true;
            } else if (!pumpStep(start, true)) {
                return false;
            }
        }
        if (failed) {
            if (!viaProxy) {
                message(u"Message: [%s] can't connect");
                return false;
            }
            message(u"Message: [%s] can't connect, try to connect directly");
            proxy->host.clear();
            continue;
        }
        message(u"Message: [%s] connected");
        return send(versionRequest(target, viaProxy), start);
    }
}

bool Updater::run(const char16_t* host, int32_t port, const char16_t* directory, uint32_t version,
                  const char16_t* shortTitle) {
    if (!dialogs_.openProgress()) return true;
    const uint32_t start = platform::os::clock().milliseconds();
    if (!pumpStep(start, false)) return true;

    HttpTarget target{host, port, versionFilePath(directory, version)};
    HttpTarget proxy;
    if (proxyFromSetting(platform::os::proxySetting().c_str(), &proxy)) {
        pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] using proxy[%ls:%d]", kTag,
                  proxy.host.c_str(), proxy.port);
    } else {
        proxy.host.clear();
    }

    for (;;) {
        if (!connectAndSend(target, &proxy, start)) return true;
        std::u16string line;
        if (!recvLine(&line, start)) return true;
        const uint32_t status = httpStatus(line.c_str());
        if (status == 200) {
            message(u"Message: [%s] newer version is here!");
            if (dialogs_.showNewerVersion(shortTitle) == UpdaterDialogs::Answer::Ok) return true;
            platform::os::openUrl(platform::os::utf16ToUtf8(updaterHomePage(host, port)));
            return false;
        }
        if (status == 404) {
            message(u"Message: [%s] this game is latest version");
            return true;
        }
        if (status != 301) {
            pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] unknown return code: [%ls]", kTag,
                      line.c_str());
            return true;
        }
        message(u"Message: [%s] 301 Moved Permanently");
        LocationResult location = LocationResult::NotLocation;
        while (location == LocationResult::NotLocation) {
            if (!pumpStep(start, false) || !recvLine(&line, start)) return true;
            location = readLocation(line.c_str(), &target);
        }
        if (location == LocationResult::Malformed) {
            pelReport(PEL_REPORT_MESSAGE, u"Message: [%s] illigal format[%ls]", kTag, line.c_str());
            return true;
        }
    }
}
