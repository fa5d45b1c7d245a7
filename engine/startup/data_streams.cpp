#include "engine/startup/data_streams.h"

#include <string_view>

#include "framework/file/file.h"
#include "framework/msw/msw.h"
#include "platform/os/cp932.h"

namespace {

// The framework's file lock around one operation.
class FileLockGuard {
public:
    FileLockGuard() { pelFileLock(); }
    ~FileLockGuard() { pelFileUnlock(); }
    FileLockGuard(const FileLockGuard&) = delete;
    FileLockGuard& operator=(const FileLockGuard&) = delete;
};

int32_t framework32(uint64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

DDataPellam::~DDataPellam() {
    if (file_) pelFileClose(file_);
}

void DDataPellam::TakeFile(PEL_FILE* file) {
    if (file_) pelFileClose(file_);
    file_ = file;
}

int32_t DDataPellam::Write(const void* bytes, int32_t count) {
    if (!file_ || count < 0) return -1;
    FileLockGuard guard;
    size_t written = 0;
    if (pelFileWriteRaw(bytes, file_, &written, static_cast<size_t>(count)) < 0) return -1;
    return static_cast<int32_t>(written);
}

int32_t DDataPellam::Read(void* buffer, int32_t count) {
    if (!file_ || count < 0) return -1;
    FileLockGuard guard;
    size_t read = 0;
    if (pelFileReadRaw(static_cast<size_t>(count), file_, &read, buffer) < 0) return -1;
    return static_cast<int32_t>(read);
}

bool DDataPellam::Seek(int32_t offset, int32_t whence) {
    if (!file_) return false;
    int32_t origin = 1;
    if (whence == SeekBegin) origin = 0;
    if (whence == SeekEnd) origin = 2;
    return pelFileSeek(file_, static_cast<int64_t>(offset), origin) >= 0;
}

int32_t DDataPellam::Tell() {
    if (!file_) return -1;
    FileLockGuard guard;
    uint64_t position = 0;
    if (pelFileGetPosition(&position, file_) < 0) return -1;
    return framework32(position);
}

int32_t DDataPellam::Size() {
    if (!file_) return -1;
    uint64_t size = 0;
    if (pelFileGetSize(&size, file_) < 0) return -1;
    return framework32(size);
}

bool DDataPellam::Truncate() { return file_ && pelFileTruncate(file_) >= 0; }

bool DDataPellam::Flush() { return file_ && pelFileCommit(file_) >= 0; }

int32_t DDataPellamLog::Write(const void* bytes, int32_t count) {
    if (count <= 0 || !bytes) return count;
    const size_t length = static_cast<size_t>(count < MaxText ? count : MaxText);
    std::string_view text(static_cast<const char*>(bytes), length);
    // The text ends at its first zero byte, as a C string would.
    text = text.substr(0, text.find('\0'));
    const std::u16string wide = platform::os::cp932ToUtf16(text);
    pelMswLogWrite(wide.c_str(), wide.size());
    return count;
}
