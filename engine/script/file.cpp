#include "engine/script/file.h"

#include <bit>
#include <cstring>

#include "framework/core/report.h"
#include "framework/core/wide_string.h"

namespace {

constexpr const char16_t* kOperationFailed = u"Error: [%s] ファイル操作でエラーが発生しました。";

// Reports a failed operation; always false so that callers can return it.
bool fail(const char* tag) {
    pelReport(PEL_REPORT_ERROR, kOperationFailed, tag);
    return false;
}

}  // namespace

bool File::create(const char16_t* path, int32_t mode, uint32_t flags) {
    close();
    file_ = pelFileOpen(mode, path, flags);
    if (file_) return true;
    pelReport(PEL_REPORT_ERROR, u"Error: [%s] \"%ls\"を開けません。", "File::create", path);
    return false;
}

void File::close() {
    if (!file_) return;
    pelFileClose(file_);
    file_ = nullptr;
}

bool File::read(void* destination, size_t n) {
    if (!file_) return fail("File::read");
    size_t got = 0;
    pelFileLock();
    const PEL_STATUS status = pelFileReadRaw(n, file_, &got, destination);
    pelFileUnlock();
    if (status < 0 || got != n) return fail("File::read");
    return true;
}

uint64_t File::getSize() {
    uint64_t size = 0;
    if (!file_ || pelFileGetSize(&size, file_) < 0) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] ファイルサイズを取得できません。",
                  "File::getSize");
        return 0;
    }
    return size;
}

namespace {

// The typed reads share this: a u32 under the given tag, 0 after a failure.
uint32_t readWord(PEL_FILE* file, const char* tag) {
    uint32_t value = 0;
    if (!file || pelFileReadU32(&value, file) < 0) {
        fail(tag);
        return 0;
    }
    return value;
}

}  // namespace

uint32_t File::readU32() { return readWord(file_, "File::readU32"); }

int32_t File::readI32() { return static_cast<int32_t>(readWord(file_, "File::readI32")); }

float File::readF32() { return std::bit_cast<float>(readWord(file_, "File::readF32")); }

uint64_t File::readU64() {
    uint64_t value = 0;
    if (!file_ || pelFileReadU64(&value, file_) < 0) {
        fail("File::readU64");
        return 0;
    }
    return value;
}

size_t File::readString(char16_t* destination, size_t capacity) {
    if (capacity > 0) destination[0] = 0;
    const uint32_t count = readWord(file_, "File::readU32");
    if (count == 0) return 0;
    if (count >= capacity) {
        fail("File::readString");
        return 0;
    }
    if (pelFileReadU16Array(file_, reinterpret_cast<uint16_t*>(destination), count) < 0) {
        destination[0] = 0;
        fail("File::readString");
        return 0;
    }
    destination[count] = 0;
    return count;
}

void File::writeU32(uint32_t value) {
    if (!file_ || pelFileWriteU32(value, file_) < 0) fail("File::writeU32");
}

void File::writeI32(int32_t value) {
    if (!file_ || pelFileWriteU32(static_cast<uint32_t>(value), file_) < 0) fail("File::writeI32");
}

void File::writeU64(uint64_t value) {
    if (!file_ || pelFileWriteU64(file_, value) < 0) fail("File::writeU64");
}

void File::writeF32(float value) {
    if (!file_ || pelFileWriteF32(file_, value) < 0) fail("File::writeF32");
}

void File::writeString(const char16_t* text) {
    const size_t count = pelStrLength(text);
    if (!file_ || pelFileWriteU32(static_cast<uint32_t>(count), file_) < 0) {
        fail("File::writeU32");
        return;
    }
    if (pelFileWriteU16Array(count, reinterpret_cast<const uint16_t*>(text), file_) < 0) {
        fail("File::writeString");
    }
}
