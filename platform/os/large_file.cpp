#include "platform/os/large_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <optional>

#include "platform/os/case_insensitive_path.h"

namespace platform::os {

namespace {

// The path as written when it exists, else its case-insensitive match on disk.
std::string existingPath(const std::string& path, bool leafMayBeMissing) {
    if (access(path.c_str(), F_OK) == 0) return path;
    std::optional<std::string> found = resolvePathIgnoringCase(path, leafMayBeMissing);
    return found ? *found : path;
}

LargeFile openRetrying(const std::string& path, int flags, mode_t mode) {
    for (;;) {
        const int file = open(path.c_str(), flags | O_CLOEXEC, mode);
        if (file >= 0 || errno != EINTR) return file;
    }
}

}  // namespace

LargeFile largeFileOpenRead(const std::string& utf8Path) {
    const std::string path = existingPath(utf8Path, false);
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return kInvalidLargeFile;
    return openRetrying(path, O_RDONLY, 0);
}

LargeFile largeFileOpenWrite(const std::string& utf8Path, bool createOrTruncate) {
    const std::string path = existingPath(utf8Path, createOrTruncate);
    const int flags = O_WRONLY | (createOrTruncate ? O_CREAT | O_TRUNC : 0);
    return openRetrying(path, flags, 0666);
}

void largeFileClose(LargeFile file) {
    if (file >= 0) close(file);
}

int64_t largeFileReadAt(LargeFile file, uint64_t offset, void* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(file, static_cast<char*>(buffer) + done, count - done,
                                  static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

int64_t largeFileWriteAt(LargeFile file, uint64_t offset, const void* bytes, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t put = pwrite(file, static_cast<const char*>(bytes) + done, count - done,
                                   static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return done > 0 ? static_cast<int64_t>(done) : -1;
        if (put == 0) break;
        done += static_cast<size_t>(put);
    }
    return static_cast<int64_t>(done);
}

bool largeFileSize(LargeFile file, uint64_t* size) {
    struct stat status {};
    if (fstat(file, &status) != 0) return false;
    *size = static_cast<uint64_t>(status.st_size);
    return true;
}

bool largeFileSync(LargeFile file) { return fsync(file) == 0; }

bool largeFileTruncate(LargeFile file, uint64_t length) {
    return ftruncate(file, static_cast<off_t>(length)) == 0;
}

bool largeFileIsRegular(const std::string& utf8Path) {
    struct stat status {};
    return stat(existingPath(utf8Path, false).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool largeFileMakeDirectory(const std::string& utf8Path) {
    const std::string path = existingPath(utf8Path, true);
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace platform::os
