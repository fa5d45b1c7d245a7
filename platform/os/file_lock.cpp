#include "platform/os/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>

namespace platform::os {

FileLock::Result FileLock::tryAcquire(const std::string& utf8Path) {
    release();
    int file;
    do {
        file = open(utf8Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    } while (file < 0 && errno == EINTR);
    if (file < 0) return Result::Unavailable;
    int locked;
    do {
        locked = flock(file, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool busy = errno == EWOULDBLOCK;
        close(file);
        return busy ? Result::HeldElsewhere : Result::Unavailable;
    }
    file_ = file;
    return Result::Acquired;
}

void FileLock::release() {
    if (file_ < 0) return;
    close(file_);  // closing the only descriptor of this open releases the lock
    file_ = -1;
}

}  // namespace platform::os
