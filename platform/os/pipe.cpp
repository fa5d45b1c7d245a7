#include "platform/os/pipe.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace platform::os {

namespace {

bool validDescriptor(uint32_t pipe) { return pipe <= static_cast<uint32_t>(INT_MAX); }

}  // namespace

bool pipeBytesWaiting(uint32_t pipe, size_t* bytes) {
    int waiting = 0;
    if (!validDescriptor(pipe) || ioctl(static_cast<int>(pipe), FIONREAD, &waiting) != 0 ||
        waiting < 0)
        return false;
    *bytes = static_cast<size_t>(waiting);
    return true;
}

bool pipeRead(uint32_t pipe, void* data, size_t size) {
    if (!validDescriptor(pipe)) return false;
    auto* bytes = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ssize_t got = read(static_cast<int>(pipe), bytes, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool pipeWrite(uint32_t pipe, const void* data, size_t size) {
    if (!validDescriptor(pipe)) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t put = write(static_cast<int>(pipe), bytes, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

}  // namespace platform::os
