#include "framework/file/file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "framework/core/core.h"
#include "framework/core/hash.h"
#include "framework/core/lock.h"
#include "framework/core/mempool.h"
#include "framework/core/report.h"
#include "framework/core/wide_string.h"
#include "framework/file/file_module.h"
#include "framework/file/path.h"
#include "platform/os/large_file.h"
#include "platform/os/module_path.h"
#include "platform/os/utf8.h"

// One opened system file, shared by every PEL_FILE that reads it.
struct PEL_FILE_DESC {
    platform::os::LargeFile system;
    int mode;            // kReadable or kWritable
    uint64_t size;       // of a readable file, from its status at open
    PEL_LIST files;      // the PEL_FILE records open on it
    char16_t* key;       // resolved, lower-cased framework path (owned)
    PEL_LIST_LINK link;  // in the module's descriptor list
};

namespace {

constexpr int kReadable = 1;
constexpr int kWritable = 2;
constexpr unsigned char kByteOrderMark[3] = {0xEF, 0xBB, 0xBF};

struct FileModule {
    PEL_LOCK lock;
    bool running = false;
    std::u16string executableFolder;
    std::u16string appDirectory;
    PEL_HASH openFiles{};
    PEL_LIST descriptors{};
    PEL_MEMPOOL filePool{};
};

FileModule& module() {
    static FileModule instance;
    return instance;
}

// Out of line: inlined into the small fixed-size reads, g++ 12 misjudges the loop's bound and
// warns of writes past the caller's array.
[[gnu::noinline]] void scramble(uint8_t* bytes, size_t count, uint64_t offset) {
    for (size_t i = 0; i < count; ++i) bytes[i] ^= static_cast<uint8_t>((offset + i) & 0xFF);
}

bool endsWithSeparator(const char16_t* path) {
    const size_t length = pelStrLength(path);
    return length > 0 && (path[length - 1] == u'/' || path[length - 1] == u'\\');
}

std::u16string lowerCased(std::u16string text) {
    for (char16_t& unit : text) unit = pelCharToLower(unit);
    return text;
}

std::string nativeUtf8(const std::u16string& resolved) {
    return platform::os::utf16ToUtf8(pelPathToNativeString(resolved));
}

bool isWritable(const PEL_FILE* file) { return file->descriptor->mode == kWritable; }

PEL_FILE* newRecord(PEL_FILE_DESC* descriptor, uint64_t base, uint64_t size, uint32_t flags,
                    const char16_t* name) {
    auto* file = static_cast<PEL_FILE*>(pelMempoolAllocateBlock(&module().filePool));
    if (!file) return nullptr;
    file->flags = static_cast<uint8_t>(flags & ~PEL_FILE_HAS_BOM);
    file->descriptor = descriptor;
    file->base = base;
    file->size = size;
    file->position = 0;
    file->name = name;
    file->bufferCount = 0;
    file->bufferIndex = 0;
    pelListAppend(&descriptor->files, file);
    return file;
}

void closeDescriptor(PEL_FILE_DESC* descriptor) {
    platform::os::largeFileClose(descriptor->system);
    pelHashRemove(&module().openFiles, descriptor->key);
    pelListRemove(&module().descriptors, &descriptor->link);
    std::free(descriptor->key);
    std::free(descriptor);
}

void emptyBuffer(PEL_FILE* file) {
    file->bufferCount = 0;
    file->bufferIndex = 0;
}

// Reads system-file bytes at base + position, unscrambling them when the file is scrambled.
int64_t readData(PEL_FILE* file, uint64_t position, void* destination, size_t count) {
    const uint64_t offset = file->base + position;
    const int64_t got =
        platform::os::largeFileReadAt(file->descriptor->system, offset, destination, count);
    if (got > 0 && (file->flags & PEL_FILE_SCRAMBLED))
        scramble(static_cast<uint8_t*>(destination), static_cast<size_t>(got), offset);
    return got;
}

void testByteOrderMark(PEL_FILE* file) {
    uint8_t head[3];
    if (file->size >= 3 && readData(file, 0, head, 3) == 3 &&
        std::memcmp(head, kByteOrderMark, 3) == 0) {
        file->flags |= PEL_FILE_HAS_BOM;
    }
}

PEL_FILE_DESC* openDescriptor(const std::u16string& resolved, const std::u16string& key,
                              int32_t mode, uint32_t flags) {
    const std::string native = nativeUtf8(resolved);
    if (native.empty()) return nullptr;
    auto* descriptor =
        pelCheckAlloc(static_cast<PEL_FILE_DESC*>(std::calloc(1, sizeof(PEL_FILE_DESC))));
    if (!descriptor) return nullptr;
    if (mode >= PEL_FILE_MODE_WRITE) {
        descriptor->system =
            platform::os::largeFileOpenWrite(native, (flags & PEL_FILE_CREATE) != 0);
        descriptor->mode = kWritable;
    } else {
        descriptor->system = platform::os::largeFileOpenRead(native);
        descriptor->mode = kReadable;
        if (descriptor->system != platform::os::kInvalidLargeFile &&
            !platform::os::largeFileSize(descriptor->system, &descriptor->size)) {
            platform::os::largeFileClose(descriptor->system);
            descriptor->system = platform::os::kInvalidLargeFile;
        }
    }
    if (descriptor->system == platform::os::kInvalidLargeFile) {
        std::free(descriptor);
        return nullptr;
    }
    pelListInit(&descriptor->files, offsetof(PEL_FILE, link), nullptr, nullptr);
    descriptor->key = pelStrDup(key.c_str());
    pelHashInsert(&module().openFiles, descriptor->key, descriptor);
    pelListAppend(&module().descriptors, descriptor);
    return descriptor;
}

void startModule() {
    FileModule& m = module();
    std::lock_guard guard(m.lock);
    const std::string executable = platform::os::moduleFileName();
    const size_t slash = executable.find_last_of('/');
    m.executableFolder = slash == std::string::npos
                             ? std::u16string()
                             : platform::os::utf8ToUtf16(executable.substr(0, slash + 1));
    m.appDirectory.clear();
    pelHashInit(&m.openFiles, 256, nullptr);
    pelListInit(&m.descriptors, offsetof(PEL_FILE_DESC, link), nullptr, nullptr);
    pelMempoolInit(&m.filePool, 16, sizeof(PEL_FILE), PEL_MEMPOOL_GROWABLE);
    m.running = true;
    if (m.executableFolder.empty()) pelReportText(PEL_REPORT_ERROR, u"Error: Can't initialized.");
}

void stopModule() {
    FileModule& m = module();
    std::lock_guard guard(m.lock);
    if (!m.running) return;
    pelArchiveUnmountAll();
    while (m.descriptors.count > 0) {
        closeDescriptor(static_cast<PEL_FILE_DESC*>(pelListFirst(&m.descriptors)));
    }
    pelMempoolDestroy(&m.filePool);
    pelHashDestroy(&m.openFiles);
    m.executableFolder.clear();
    m.appDirectory.clear();
    m.running = false;
}

// Flushes a writable file and returns the system file's length.
bool systemLength(PEL_FILE* file, uint64_t* length) {
    if (pelFileFlush(file) < 0) return false;
    return platform::os::largeFileSize(file->descriptor->system, length);
}

// The target of a seek from the start (0), the current position (1) or the end (2); false
// when the origin is unknown or the target lies outside 0..end.
bool seekTarget(int64_t position, uint64_t end, int64_t offset, int32_t origin, int64_t* target) {
    if (origin < 0 || origin > 2 || end > static_cast<uint64_t>(INT64_MAX)) return false;
    const int64_t from = origin == 0 ? 0 : origin == 1 ? position : static_cast<int64_t>(end);
    if (__builtin_add_overflow(from, offset, target)) return false;
    return *target >= 0 && static_cast<uint64_t>(*target) <= end;
}

PEL_STATUS failSeek(PEL_FILE* file) {
    file->position = 0;
    emptyBuffer(file);
    return PEL_E_IO;
}

}  // namespace

void pelFileRegisterModule() { pelCoreSetFileSystem(startModule, stopModule); }

std::u16string pelFileModuleExecutableFolder() { return module().executableFolder; }

std::u16string pelFileModuleAppDirectory() { return module().appDirectory; }

void pelFileLock() { module().lock.enter(); }

void pelFileUnlock() { module().lock.leave(); }

void pelFileSetAppDirectory(const char16_t* subDirectory) {
    std::lock_guard guard(module().lock);
    module().appDirectory = subDirectory ? subDirectory : u"";
    std::u16string& directory = module().appDirectory;
    if (!directory.empty() && directory.back() != u'/') directory += u'/';
}

PEL_FILE* pelFileOpenView(PEL_FILE_DESC* descriptor, uint64_t base, uint64_t size, uint32_t flags,
                          const char16_t* name) {
    PEL_FILE* file = newRecord(descriptor, base, size, flags, name);
    if (file && (flags & PEL_FILE_TEST_BOM)) testByteOrderMark(file);
    return file;
}

PEL_FILE* pelFileOpen(int32_t mode, const char16_t* path, uint32_t flags) {
    std::lock_guard guard(module().lock);
    if (!module().running) return nullptr;
    if (mode == PEL_FILE_MODE_READ) {
        if (endsWithSeparator(path)) return nullptr;
        if (PEL_FILE* member = pelArchiveOpenMember(lowerCased(path).c_str(), flags)) return member;
    }
    const std::u16string resolved = pelPathResolveString(module().executableFolder, path);
    const std::u16string key = lowerCased(resolved);
    auto* descriptor = static_cast<PEL_FILE_DESC*>(pelHashFind(&module().openFiles, key.c_str()));
    if (descriptor) {
        if (descriptor->mode == kWritable || mode >= PEL_FILE_MODE_WRITE) return nullptr;
    } else {
        descriptor = openDescriptor(resolved, key, mode, flags);
        if (!descriptor) return nullptr;
    }
    PEL_FILE* file =
        newRecord(descriptor, 0, descriptor->size, flags & ~PEL_FILE_CREATE, descriptor->key);
    if (!file) {
        if (descriptor->files.count == 0) closeDescriptor(descriptor);
        return nullptr;
    }
    if ((flags & PEL_FILE_TEST_BOM) && descriptor->mode == kReadable) testByteOrderMark(file);
    return file;
}

PEL_FILE* pelFileOpenImage(const char16_t* path, int32_t mode) {
    std::lock_guard guard(module().lock);
    if (PEL_FILE* file = pelFileOpen(mode, path, 0)) return file;
    const std::u16string withPng = std::u16string(path) + u".png";
    return pelFileOpen(mode, withPng.c_str(), 0);
}

void pelFileClose(PEL_FILE* file) {
    if (!file) return;
    std::lock_guard guard(module().lock);
    if (isWritable(file)) pelFileFlush(file);
    PEL_FILE_DESC* descriptor = file->descriptor;
    pelListRemove(&descriptor->files, &file->link);
    pelMempoolFreeBlock(file, &module().filePool);
    if (descriptor->files.count == 0) closeDescriptor(descriptor);
}

PEL_STATUS pelFileExists(int32_t mode, const char16_t* path) {
    std::lock_guard guard(module().lock);
    if (!module().running) return PEL_E_NOTFOUND;
    if (mode == PEL_FILE_MODE_READ) {
        if (endsWithSeparator(path)) return PEL_E_NOTFOUND;
        if (pelArchiveHasMember(lowerCased(path).c_str())) return PEL_OK;
    }
    const std::string native = nativeUtf8(pelPathResolveString(module().executableFolder, path));
    return !native.empty() && platform::os::largeFileIsRegular(native) ? PEL_OK : PEL_E_NOTFOUND;
}

PEL_STATUS pelFileExistsImage(const char16_t* path) {
    if (pelFileExists(PEL_FILE_MODE_READ, path) == PEL_OK) return PEL_OK;
    const std::u16string withPng = std::u16string(path) + u".png";
    return pelFileExists(PEL_FILE_MODE_READ, withPng.c_str());
}

PEL_STATUS pelFileCreateDirectory(const char16_t* path) {
    std::lock_guard guard(module().lock);
    const std::string native = nativeUtf8(pelPathResolveString(module().executableFolder, path));
    if (native.empty()) return PEL_E_ACCESS;
    for (size_t at = 1; at <= native.size(); ++at) {
        if (at < native.size() && native[at] != '/') continue;
        if (native[at - 1] == '/') continue;
        if (!platform::os::largeFileMakeDirectory(native.substr(0, at))) return PEL_E_ACCESS;
    }
    return PEL_OK;
}

PEL_STATUS pelFileFlush(PEL_FILE* file) {
    if (!isWritable(file)) return PEL_E_ACCESS;
    if (file->bufferCount == 0) return PEL_OK;
    const uint64_t offset = file->base + file->position;
    if (file->flags & PEL_FILE_SCRAMBLED) scramble(file->buffer, file->bufferCount, offset);
    const int64_t put = platform::os::largeFileWriteAt(file->descriptor->system, offset,
                                                       file->buffer, file->bufferCount);
    const uint32_t pending = file->bufferCount;
    file->bufferCount = 0;
    if (put < 0) return PEL_E_IO;
    file->position += put;
    return static_cast<uint64_t>(put) < pending ? PEL_E_FULL : PEL_OK;
}

PEL_STATUS pelFileCommit(PEL_FILE* file) {
    std::lock_guard guard(module().lock);
    if (pelFileFlush(file) < 0 || !platform::os::largeFileSync(file->descriptor->system))
        return PEL_E_FULL;
    return PEL_OK;
}

PEL_STATUS pelFileTruncate(PEL_FILE* file) {
    std::lock_guard guard(module().lock);
    if (pelFileFlush(file) < 0) return PEL_E_IO;
    const uint64_t length = file->base + static_cast<uint64_t>(file->position);
    return platform::os::largeFileTruncate(file->descriptor->system, length) ? PEL_OK : PEL_E_IO;
}

PEL_STATUS pelFileSeek(PEL_FILE* file, int64_t offset, int32_t origin) {
    std::lock_guard guard(module().lock);
    if (isWritable(file)) {
        uint64_t length = 0;
        if (!systemLength(file, &length)) return failSeek(file);
        int64_t target = 0;
        if (!seekTarget(file->position, length, offset, origin, &target)) return failSeek(file);
        file->position = target;
        return PEL_OK;
    }
    int64_t target = 0;
    if (!seekTarget(file->position, file->size, offset, origin, &target)) return failSeek(file);
    const int64_t ahead = target - file->position;
    const uint32_t buffered = file->bufferCount - file->bufferIndex;
    if (ahead >= 0 && static_cast<uint64_t>(ahead) < buffered) {
        file->bufferIndex += static_cast<uint32_t>(ahead);
    } else {
        emptyBuffer(file);
    }
    file->position = target;
    return PEL_OK;
}

PEL_STATUS pelFileGetPosition(uint64_t* position, PEL_FILE* file) {
    std::lock_guard guard(module().lock);
    *position = static_cast<uint64_t>(file->position) + (isWritable(file) ? file->bufferCount : 0);
    return PEL_OK;
}

PEL_STATUS pelFileGetSize(uint64_t* size, PEL_FILE* file) {
    std::lock_guard guard(module().lock);
    if (!isWritable(file)) {
        *size = file->size;
        return PEL_OK;
    }
    return systemLength(file, size) ? PEL_OK : PEL_E_IO;
}

PEL_STATUS pelFileReadRaw(size_t count, PEL_FILE* file, size_t* bytesRead, void* destination) {
    auto* target = static_cast<uint8_t*>(destination);
    size_t delivered = 0;
    if (bytesRead) *bytesRead = 0;
    if (isWritable(file)) return PEL_E_IO;
    const uint64_t position = static_cast<uint64_t>(file->position);
    const uint64_t remaining = position < file->size ? file->size - position : 0;
    if (count > remaining) count = static_cast<size_t>(remaining);
    const uint32_t buffered = file->bufferCount - file->bufferIndex;
    const size_t fromBuffer = count < buffered ? count : buffered;
    std::memcpy(target, file->buffer + file->bufferIndex, fromBuffer);
    file->bufferIndex += static_cast<uint32_t>(fromBuffer);
    file->position += static_cast<int64_t>(fromBuffer);
    delivered = fromBuffer;
    const size_t rest = count - fromBuffer;
    if (rest >= kPelFileBufferSize) {
        emptyBuffer(file);
        const int64_t got = readData(file, file->position, target + delivered, rest);
        if (got < 0) return PEL_E_IO;
        file->position += got;
        delivered += static_cast<size_t>(got);
    } else if (rest > 0) {
        const uint64_t left = file->size - static_cast<uint64_t>(file->position);
        const size_t fill =
            left < kPelFileBufferSize ? static_cast<size_t>(left) : kPelFileBufferSize;
        emptyBuffer(file);
        const int64_t got = readData(file, file->position, file->buffer, fill);
        if (got < 0) return PEL_E_IO;
        file->bufferCount = static_cast<uint32_t>(got);
        const size_t take = rest < file->bufferCount ? rest : file->bufferCount;
        std::memcpy(target + delivered, file->buffer, take);
        file->bufferIndex = static_cast<uint32_t>(take);
        file->position += static_cast<int64_t>(take);
        delivered += take;
    }
    if (bytesRead) *bytesRead = delivered;
    return PEL_OK;
}

PEL_STATUS pelFileRead(size_t* bytesRead, void* destination, size_t count, PEL_FILE* file) {
    std::lock_guard guard(module().lock);
    return pelFileReadRaw(count, file, bytesRead, destination);
}

PEL_STATUS pelFileWriteRaw(const void* source, PEL_FILE* file, size_t* bytesWritten, size_t count) {
    if (bytesWritten) *bytesWritten = 0;
    if (!isWritable(file)) return PEL_E_ACCESS;
    const auto* bytes = static_cast<const uint8_t*>(source);
    size_t taken = 0;
    while (taken < count) {
        const size_t room = kPelFileBufferSize - file->bufferCount;
        const size_t chunk = count - taken < room ? count - taken : room;
        std::memcpy(file->buffer + file->bufferCount, bytes + taken, chunk);
        file->bufferCount += static_cast<uint32_t>(chunk);
        taken += chunk;
        if (file->bufferCount == kPelFileBufferSize && pelFileFlush(file) != PEL_OK) {
            if (bytesWritten) *bytesWritten = taken - chunk;
            return PEL_E_IO;
        }
    }
    if (bytesWritten) *bytesWritten = taken;
    return PEL_OK;
}

PEL_STATUS pelFileWrite(size_t* bytesWritten, const void* source, size_t count, PEL_FILE* file) {
    std::lock_guard guard(module().lock);
    return pelFileWriteRaw(source, file, bytesWritten, count);
}

namespace {

PEL_STATUS readExactly(PEL_FILE* file, uint8_t* bytes, size_t count) {
    size_t got = 0;
    if (pelFileRead(&got, bytes, count, file) < 0 || got != count) return PEL_E_IO;
    return PEL_OK;
}

PEL_STATUS writeExactly(PEL_FILE* file, const uint8_t* bytes, size_t count) {
    size_t put = 0;
    if (pelFileWrite(&put, bytes, count, file) < 0 || put != count) return PEL_E_IO;
    return PEL_OK;
}

uint64_t fromBigEndian(const uint8_t* bytes, size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

void toBigEndian(uint64_t value, uint8_t* bytes, size_t count) {
    for (size_t i = count; i-- > 0; value >>= 8) bytes[i] = static_cast<uint8_t>(value);
}

}  // namespace

PEL_STATUS pelFileReadU32(uint32_t* value, PEL_FILE* file) {
    uint8_t bytes[4];
    if (readExactly(file, bytes, 4) < 0) return PEL_E_IO;
    *value = static_cast<uint32_t>(fromBigEndian(bytes, 4));
    return PEL_OK;
}

PEL_STATUS pelFileReadU64(uint64_t* value, PEL_FILE* file) {
    uint8_t bytes[8];
    if (readExactly(file, bytes, 8) < 0) return PEL_E_IO;
    *value = fromBigEndian(bytes, 8);
    return PEL_OK;
}

PEL_STATUS pelFileReadU16Array(PEL_FILE* file, uint16_t* destination, size_t count) {
    std::lock_guard guard(module().lock);
    for (size_t i = 0; i < count; ++i) {
        uint8_t bytes[2];
        if (readExactly(file, bytes, 2) < 0) return PEL_E_IO;
        destination[i] = static_cast<uint16_t>(fromBigEndian(bytes, 2));
    }
    return PEL_OK;
}

PEL_STATUS pelFileWriteU32(uint32_t value, PEL_FILE* file) {
    uint8_t bytes[4];
    toBigEndian(value, bytes, 4);
    return writeExactly(file, bytes, 4);
}

PEL_STATUS pelFileWriteU64(PEL_FILE* file, uint64_t value) {
    uint8_t bytes[8];
    toBigEndian(value, bytes, 8);
    return writeExactly(file, bytes, 8);
}

PEL_STATUS pelFileWriteF32(PEL_FILE* file, float value) {
    uint32_t pattern;
    std::memcpy(&pattern, &value, sizeof pattern);
    return pelFileWriteU32(pattern, file);
}

PEL_STATUS pelFileWriteU16Array(size_t count, const uint16_t* values, PEL_FILE* file) {
    std::lock_guard guard(module().lock);
    for (size_t i = 0; i < count; ++i) {
        uint8_t bytes[2];
        toBigEndian(values[i], bytes, 2);
        if (writeExactly(file, bytes, 2) < 0) return PEL_E_IO;
    }
    return PEL_OK;
}

PEL_STATUS pelFileWriteText(PEL_FILE* file, size_t* written, const char16_t* text, size_t count) {
    std::lock_guard guard(module().lock);
    if (written) *written = 0;
    const uint64_t at = file->base + static_cast<uint64_t>(file->position) + file->bufferCount;
    if (at < 3 && writeExactly(file, kByteOrderMark + at, 3 - at) < 0) return PEL_E_IO;
    size_t characters = 0;
    for (size_t i = 0; i < count; ++i) {
        const char16_t unit = text[i];
        if (unit == u'\r' || unit == u'\n') {
            if (writeExactly(file, reinterpret_cast<const uint8_t*>("\r\n"), 2) < 0)
                return PEL_E_IO;
            const char16_t partner = unit == u'\r' ? u'\n' : u'\r';
            if (i + 1 < count && text[i + 1] == partner) ++i;
        } else {
            const char16_t single[2] = {unit, 0};
            char bytes[5];
            const size_t length = pelStrToUtf8(bytes, sizeof bytes, nullptr, single);
            if (writeExactly(file, reinterpret_cast<const uint8_t*>(bytes), length) < 0)
                return PEL_E_IO;
        }
        ++characters;
        if (written) *written = characters;
    }
    return PEL_OK;
}
