#include "platform/os/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <string>

#include "platform/os/case_insensitive_path.h"
#include "platform/os/system_path.h"

namespace platform::os {
namespace {

int openFlags(uint32_t access, Disposition disposition) {
    int flags = O_CLOEXEC;
    const bool read = (access & kGenericRead) != 0;
    const bool write = (access & kGenericWrite) != 0;
    flags |= write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
    case Disposition::CreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    case Disposition::CreateAlways:
        flags |= O_CREAT | O_TRUNC;
        break;
    case Disposition::OpenExisting:
        break;
    case Disposition::OpenAlways:
        flags |= O_CREAT;
        break;
    }
    return flags;
}

bool knownDisposition(Disposition disposition) {
    const auto value = static_cast<uint32_t>(disposition);
    return value >= 1 && value <= 4;
}

// Opens and refuses directories, which Linux opens for reading but Windows never does.
int openRegular(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags, 0666);
    if (fd < 0) return -1;
    struct stat status {};
    if (fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

}  // namespace

FileHandle createFile(std::string_view cp932Path, uint32_t access, Disposition disposition) {
    if (cp932Path.empty() || !knownDisposition(disposition)) return kInvalidFileHandle;
    const std::string path = systemPathFromCp932(cp932Path);
    const int flags = openFlags(access, disposition);
    int fd = openRegular(path, flags);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        const bool creates = (flags & O_CREAT) != 0;
        if (auto onDisk = resolvePathIgnoringCase(path, creates); onDisk && *onDisk != path)
            fd = openRegular(*onDisk, flags);
    }
    return fd < 0 ? kInvalidFileHandle : fd;
}

bool readFile(FileHandle file, void* buffer, uint32_t count, uint32_t& done) {
    done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t got = read(file, out + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        done += static_cast<uint32_t>(got);
    }
    return true;
}

bool writeFile(FileHandle file, const void* bytes, uint32_t count, uint32_t& done) {
    done = 0;
    const auto* in = static_cast<const char*>(bytes);
    while (done < count) {
        const ssize_t put = write(file, in + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<uint32_t>(put);
    }
    return true;
}

uint32_t setFilePointer(FileHandle file, int32_t distance, SeekOrigin origin) {
    off_t start = 0;
    switch (origin) {
    case SeekOrigin::Begin:
        break;
    case SeekOrigin::Current:
        start = lseek(file, 0, SEEK_CUR);
        if (start < 0) return kInvalidSetFilePointer;
        break;
    case SeekOrigin::End: {
        struct stat status {};
        if (fstat(file, &status) != 0) return kInvalidSetFilePointer;
        start = status.st_size;
        break;
    }
    default:
        return kInvalidSetFilePointer;
    }
    const off_t target = start + distance;
    if (target < 0 || target > INT32_MAX) return kInvalidSetFilePointer;
    if (lseek(file, target, SEEK_SET) < 0) return kInvalidSetFilePointer;
    return static_cast<uint32_t>(target);
}

uint32_t getFileSize(FileHandle file) {
    struct stat status {};
    if (fstat(file, &status) != 0 || status.st_size >= off_t{kInvalidFileSize})
        return kInvalidFileSize;
    return static_cast<uint32_t>(status.st_size);
}

bool flushFileBuffers(FileHandle file) { return fsync(file) == 0; }

bool closeFile(FileHandle file) { return file >= 0 && close(file) == 0; }

bool isRegularFile(std::string_view cp932Path) {
    if (cp932Path.empty()) return false;
    std::string path = systemPathFromCp932(cp932Path);
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        auto onDisk = resolvePathIgnoringCase(path, false);
        if (!onDisk || stat(onDisk->c_str(), &status) != 0) return false;
    }
    return S_ISREG(status.st_mode);
}

}  // namespace platform::os
