#include "platform/os/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace platform::os {

namespace {

bool writeAll(int file, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(file, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

bool replaceFileContent(const std::string& utf8Path, std::string_view bytes) {
    std::string temporary = utf8Path + ".XXXXXX";
    const int file = mkostemp(temporary.data(), O_CLOEXEC);
    if (file < 0) return false;
    // mkostemp creates the file for its owner only; a file being replaced keeps its mode.
    struct stat previous {};
    bool written =
        stat(utf8Path.c_str(), &previous) != 0 || fchmod(file, previous.st_mode & 07777) == 0;
    written = written && writeAll(file, bytes) && fsync(file) == 0;
    written = close(file) == 0 && written;
    if (!written || rename(temporary.c_str(), utf8Path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> readSmallFile(const std::string& utf8Path, std::size_t maxBytes) {
    const int file = open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(file, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 || bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            close(file);
            return std::nullopt;
        }
        if (got == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    close(file);
    return bytes;
}

}  // namespace platform::os
