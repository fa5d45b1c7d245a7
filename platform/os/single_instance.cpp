#include "platform/os/single_instance.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/os/known_folders.h"

namespace platform::os {

namespace {

// Fills a Unix socket address; false when the path does not fit.
bool socketAddress(const std::string& path, sockaddr_un* address) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof address->sun_path) return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Asks the holder to raise its window, best effort: the connection itself is the request, so
// the holder finds it complete in its listening queue as soon as connect returns.
void requestRaise(const std::string& path) {
    sockaddr_un address;
    if (!socketAddress(path, &address)) return;
    const int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (peer < 0) return;
    connect(peer, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    close(peer);
}

}  // namespace

std::string runtimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return runtime;
    const std::string folder = temporaryFolder() + "/tessera-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    // Another user may have made the folder first in a shared temporary folder.
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != getuid())
        return {};
    return folder;
}

SingleInstance::Result SingleInstance::acquire(const std::string& utf8Name) {
    release();
    const std::string folder = runtimeFolder();
    if (folder.empty() || utf8Name.empty()) return Result::Unavailable;
    std::string name = utf8Name;
    for (char& c : name)
        if (c == '/') c = '_';
    const std::string base = folder + "/" + name;
    switch (lock_.tryAcquire(base + ".lock")) {
    case FileLock::Result::HeldElsewhere:
        requestRaise(base + ".sock");
        return Result::AlreadyRunning;
    case FileLock::Result::Unavailable:
        return Result::Unavailable;
    case FileLock::Result::Acquired:
        break;
    }
    // The lock makes this process the socket's only owner: a socket file left by a holder
    // that crashed is replaced. Without a socket the lock still holds; raising is optional.
    sockaddr_un address;
    if (!socketAddress(base + ".sock", &address)) return Result::First;
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0) return Result::First;
    unlink(address.sun_path);
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0) {
        close(listener);
        return Result::First;
    }
    listener_ = listener;
    socketPath_ = address.sun_path;
    return Result::First;
}

void SingleInstance::release() {
    if (listener_ >= 0) {
        close(listener_);
        unlink(socketPath_.c_str());
        listener_ = -1;
        socketPath_.clear();
    }
    lock_.release();
}

bool SingleInstance::takeRaiseRequests() {
    if (listener_ < 0) return false;
    bool raise = false;
    for (;;) {
        const int peer = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) {
            if (errno == EINTR) continue;
            return raise;
        }
        raise = true;
        close(peer);
    }
}

}  // namespace platform::os
