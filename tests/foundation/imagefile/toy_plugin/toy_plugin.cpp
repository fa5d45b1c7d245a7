// A test image plug-in for a toy format: "TOY1", width (u8), height (u8), then one palette index
// per pixel, rows top-down. Index i has the colour R = 2i, G = 255 - i, B = i. The picture is
// returned as an 8-bit bottom-up DIB with a 256-entry palette.
//
// Built four times: as it is; with TOY_VERSION set to another interface version; with
// TOY_INCOMPLETE, which leaves GetPicture out; and with TOY_NO_INFO, which leaves
// GetPluginInfo out.
#include <cstdint>
#include <cstring>

#include "platform/plugin/local_memory.h"
#include "platform/plugin/susie_abi.h"

#ifndef TOY_VERSION
#define TOY_VERSION "00IN"
#endif

extern "C" {

#ifndef TOY_NO_INFO
__attribute__((visibility("default"))) int GetPluginInfo(int infoNumber, char* buffer,
                                                         int bufferLength) {
    if (infoNumber != 0 || bufferLength < 5) return 0;
    std::strcpy(buffer, TOY_VERSION);
    return 4;
}
#endif

__attribute__((visibility("default"))) int IsSupported(const char*, const void* header) {
    return std::memcmp(header, "TOY1", 4) == 0 ? 1 : 0;
}

__attribute__((visibility("default"))) int GetPictureInfo(const char*, long, unsigned, void*) {
    return 1;
}

#ifndef TOY_INCOMPLETE
static void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

__attribute__((visibility("default"))) int GetPicture(const char* buffer, long length,
                                                      unsigned flags, void** info, void** bits,
                                                      SusieProgressFn, long) {
    if ((flags & kSusieFromMemory) == 0 || length < 6 || std::memcmp(buffer, "TOY1", 4) != 0)
        return 2;
    const int width = static_cast<uint8_t>(buffer[4]);
    const int height = static_cast<uint8_t>(buffer[5]);
    if (length < 6 + width * height) return 2;

    *info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 40 + 256 * 4);
    auto* header = static_cast<uint8_t*>(LocalLock(*info));
    PutU32(header, 40);
    PutU32(header + 4, static_cast<uint32_t>(width));
    PutU32(header + 8, static_cast<uint32_t>(height));  // bottom-up
    header[12] = 1;
    header[14] = 8;
    for (int i = 0; i < 256; ++i) {
        uint8_t* entry = header + 40 + i * 4;
        entry[0] = static_cast<uint8_t>(i);
        entry[1] = static_cast<uint8_t>(255 - i);
        entry[2] = static_cast<uint8_t>(2 * i);
    }
    LocalUnlock(*info);

    const int stride = (width + 3) & ~3;
    *bits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, static_cast<size_t>(stride) * height);
    auto* rows = static_cast<uint8_t*>(LocalLock(*bits));
    for (int y = 0; y < height; ++y)
        std::memcpy(rows + (height - 1 - y) * stride, buffer + 6 + y * width,
                    static_cast<size_t>(width));
    LocalUnlock(*bits);
    return 0;
}
#endif

}  // extern "C"
