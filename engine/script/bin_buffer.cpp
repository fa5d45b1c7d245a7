#include "engine/script/bin_buffer.h"

#include <cstdint>

#include "engine/script/file.h"
#include "engine/script/script_host.h"
#include "engine/script/script_native.h"
#include "engine/script/script_vm.h"
#include "framework/core/report.h"
#include "framework/file/path.h"

BinManager::BinManager() { pelListInit(&list_, offsetof(BinBuffer, link), nullptr, nullptr); }

BinBuffer* BinManager::createBuffer() {
    auto* buffer = new BinBuffer{{}, this, 0, 0, nullptr};
    buffer->id = ids_.insert(buffer);
    if (buffer->id == 0) {
        delete buffer;
        return nullptr;
    }
    pelListAppend(&list_, buffer);
    return buffer;
}

void BinManager::removeBuffer(BinBuffer* buffer) {
    ids_.remove(buffer->id);
    pelListRemove(&list_, &buffer->link);
    delete[] buffer->data;
    delete buffer;
}

void BinManager::destroy() {
    while (auto* buffer = static_cast<BinBuffer*>(pelListFirst(&list_))) {
        pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] force destroy", "BinManager::destroy");
        removeBuffer(buffer);
    }
}

namespace {

constexpr int32_t kBadInput = PEL_REPORT_MESSAGE;

uint32_t idOf(void* handle) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)); }

BinManager* managerOf(HSQUIRRELVM vm) {
    const ScriptTaskContext* context = scriptContext(vm);
    return context && context->engine ? context->engine->binManager() : nullptr;
}

// The buffer a script names in the calling engine, or null after a level-2 report.
BinBuffer* bufferOf(HSQUIRRELVM vm, void* handle) {
    BinManager* manager = managerOf(vm);
    BinBuffer* buffer = manager ? manager->find(idOf(handle)) : nullptr;
    if (!buffer) scriptReportError(kBadInput, u"invalid byte buffer(%u)", idOf(handle));
    return buffer;
}

// The bytes offset to offset + width - 1 of the named buffer, or null after a level-2 report.
uint8_t* bytesAt(HSQUIRRELVM vm, void* handle, int32_t offset, uint32_t width) {
    BinBuffer* buffer = bufferOf(vm, handle);
    if (!buffer) return nullptr;
    if (offset < 0 || buffer->size < width ||
        static_cast<uint32_t>(offset) > buffer->size - width) {
        scriptReportError(kBadInput, u"byte offset out of range(%d)", offset);
        return nullptr;
    }
    return buffer->data + offset;
}

int32_t readBigEndian(const uint8_t* p) {
    return static_cast<int32_t>((uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) |
                                (uint32_t{p[2]} << 8) | p[3]);
}

bool loadFile(BinBuffer* buffer, const char16_t* path) {
    File file;
    if (!file.create(path, PEL_FILE_MODE_READ, 0)) return false;
    const uint64_t size = file.getSize();
    buffer->size = static_cast<uint32_t>(size);
    buffer->data = new uint8_t[buffer->size ? buffer->size : 1];
    return file.read(buffer->data, buffer->size);
}

void* binaryLoad(HSQUIRRELVM vm, const char16_t* path) {
    const ScriptTaskContext* context = scriptContext(vm);
    BinManager* manager = managerOf(vm);
    if (!manager || !path) {
        scriptReportError(kBadInput, u"no byte buffers for this script");
        return nullptr;
    }
    char16_t resolved[kPelPathDirectorySize];
    pelPathResolve(resolved, context->scriptDirectory, kPelPathDirectorySize, path);
    BinBuffer* buffer = manager->createBuffer();
    if (!buffer) {
        scriptReportError(kBadInput, u"too many byte buffers");
        return nullptr;
    }
    if (!loadFile(buffer, resolved)) {
        manager->removeBuffer(buffer);
        return nullptr;
    }
    return reinterpret_cast<void*>(uintptr_t{buffer->id});
}

void binaryDestroy(HSQUIRRELVM vm, void* handle) {
    if (BinBuffer* buffer = bufferOf(vm, handle)) buffer->manager->removeBuffer(buffer);
}

int32_t binaryReadU8(HSQUIRRELVM vm, void* handle, int32_t offset) {
    const uint8_t* p = bytesAt(vm, handle, offset, 1);
    return p ? *p : 0;
}

int32_t binaryReadI32(HSQUIRRELVM vm, void* handle, int32_t offset) {
    const uint8_t* p = bytesAt(vm, handle, offset, 4);
    return p ? readBigEndian(p) : 0;
}

int32_t binaryWriteU8(HSQUIRRELVM vm, void* handle, int32_t offset, int32_t value) {
    uint8_t* p = bytesAt(vm, handle, offset, 1);
    if (!p) return 0;
    const int32_t old = *p;
    *p = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    return old;
}

int32_t binaryWriteI32(HSQUIRRELVM vm, void* handle, int32_t offset, int32_t value) {
    uint8_t* p = bytesAt(vm, handle, offset, 4);
    if (!p) return 0;
    const int32_t old = readBigEndian(p);
    const auto bits = static_cast<uint32_t>(value);
    p[0] = static_cast<uint8_t>(bits >> 24);
    p[1] = static_cast<uint8_t>(bits >> 16);
    p[2] = static_cast<uint8_t>(bits >> 8);
    p[3] = static_cast<uint8_t>(bits);
    return old;
}

}  // namespace

void registerBinaryNatives(const ScriptObject& root) {
    root.addFunction(u"binaryLoad", &binaryLoad)
        .addFunction(u"binaryDestroy", &binaryDestroy)
        .addFunction(u"binaryReadU8", &binaryReadU8)
        .addFunction(u"binaryReadI32", &binaryReadI32)
        .addFunction(u"binaryWriteU8", &binaryWriteU8)
        .addFunction(u"binaryWriteI32", &binaryWriteI32);
}
