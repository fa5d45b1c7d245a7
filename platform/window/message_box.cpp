#include "platform/window/message_box.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/os/cp932.h"

namespace platform::window {
namespace {

std::mutex& ObserverLock() {
    static std::mutex lock;
    return lock;
}

MessageBoxObserver& Observer() {
    static MessageBoxObserver observer;
    return observer;
}

}  // namespace

int messageBox(void* /*owner*/, std::string_view cp932Text, std::string_view cp932Caption,
               uint32_t style) {
    {
        std::lock_guard lock(ObserverLock());
        if (Observer()) Observer()(cp932Text, cp932Caption, style);
    }
    const std::string line =
        "[" + os::cp932ToUtf8(cp932Caption) + "] " + os::cp932ToUtf8(cp932Text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return kIdOk;
}

void setMessageBoxObserver(MessageBoxObserver observer) {
    std::lock_guard lock(ObserverLock());
    Observer() = std::move(observer);
}

}  // namespace platform::window
