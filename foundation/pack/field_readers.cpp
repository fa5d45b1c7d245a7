#include "foundation/pack/field_readers.h"

#include <cstring>

#include "foundation/DSjisText.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

[[noreturn]] void ReadFailed(DFile& file) {
    l3dError(DSjis<"ファイル \"%s\" を読み込めませんでした。">(), file.GetPath());
}

int32_t Position(DFile& file) {
    const int32_t position = file.Tell();
    if (position < 0)
        l3dError(DSjis<"ファイル \"%s\" の位置を取得できませんでした。">(), file.GetPath());
    return position;
}

}  // namespace

void lfmReadBytes(void* buffer, uint32_t n, DFile& file) {
    const uint32_t key = static_cast<uint32_t>(Position(file));
    // Nothing to read: a read of 0 bytes at the end of a member would fail.
    if (n == 0) return;
    if (file.Read(buffer, n) != static_cast<int64_t>(n)) ReadFailed(file);
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < n; ++i) bytes[i] ^= static_cast<uint8_t>(key + i);
}

uint8_t lfmReadU8(DFile& file) {
    uint8_t value;
    lfmReadBytes(&value, 1, file);
    return value;
}

uint32_t lfmReadU32(DFile& file) {
    uint8_t bytes[4];
    lfmReadBytes(bytes, 4, file);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

float lfmReadF32(DFile& file) {
    const uint32_t bits = lfmReadU32(file);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void lfmCheckCount(DFile& file, uint64_t count, uint32_t recordBytes) {
    const int32_t size = file.Size();
    const int32_t position = Position(file);
    if (size < 0 || position > size) ReadFailed(file);
    const uint64_t left = static_cast<uint64_t>(size - position);
    // A product past 64 bits cannot fit either; dividing avoids forming it.
    if (recordBytes != 0 && count > left / recordBytes) ReadFailed(file);
}

void lfmReadString(DFile& file, DString& string) {
    const uint32_t n = lfmReadU32(file);
    if (n == 0) {
        string.Assign("");
        return;
    }
    // The length comes from the file: it must fit in what is left before anything is reserved.
    lfmCheckCount(file, n, 1);
    string.Reserve(uint64_t{n} + 1);
    char* buffer = string.GetHandle().Get();
    lfmReadBytes(buffer, n, file);
    buffer[n] = '\0';
    string._Recount();
}

lfmBlobRef lfmReadBlobRef(DFile& file, uint8_t* blobBase) {
    const uint32_t address = lfmReadU32(file);
    const uint32_t storedBase = lfmReadU32(file);
    const uint32_t length = lfmReadU32(file);
    if (address == 0) return {};
    const uintptr_t target = reinterpret_cast<uintptr_t>(blobBase) + address - storedBase;
    return {reinterpret_cast<uint8_t*>(target), length};
}
