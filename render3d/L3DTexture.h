#pragma once
// The record through which the program holds a Direct3D texture. The device makes it and
// keeps it in its texture list; the last counted handle's release releases the Direct3D
// texture and takes the record off that list.
#include <cstdint>

#include "platform/d3d9/texture.h"

class L3DDevice;

struct L3DTexture {
    static constexpr uint32_t NameCapacity = 264;
    // Record kinds.
    static constexpr uint32_t KindManaged = 0;
    static constexpr uint32_t KindCompressed = 1;
    static constexpr uint32_t KindRender = 2;

    L3DDevice* device = nullptr;  // null once detached from the device
    platform::d3d9::IDirect3DTexture9* texture = nullptr;
    char name[NameCapacity] = {};
    uint32_t pixelKind = 0;  // the DImageKind locked levels are wrapped in
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t alpha = 0;
    uint32_t levelCount = 0;
    uint32_t kind = KindManaged;
    uint8_t contentsLost = 0;

    L3DTexture() = default;
    L3DTexture(const L3DTexture&) = delete;
    L3DTexture& operator=(const L3DTexture&) = delete;
    ~L3DTexture();

    // Fills the record; the name is cut to 263 bytes; contents lost exactly for kind 2.
    static L3DTexture* InitRecord(const char* name, uint32_t kind, L3DTexture* record,
                                  L3DDevice* device, platform::d3d9::IDirect3DTexture9* texture,
                                  uint32_t pixelKind, uint32_t width, uint32_t height,
                                  uint32_t alpha, uint32_t levelCount);

    // After a device reset: a render texture gets a new Direct3D texture of its size.
    void _Reset();
    // Copies the current viewport's corner of the device's render target into level 0.
    void CopyBackBuffer();
    // Fills level 0 with an ARGB colour.
    void FillColor(uint32_t colour);
    // Locks a rectangle of level 0 of a one-level managed texture; the caller unlocks level 0
    // through the Direct3D texture.
    uint8_t* Lock(uint32_t x, uint32_t y, uint32_t width, uint32_t height, int32_t& pitch);

    // Releases the Direct3D texture and, while the record names a device, leaves its list.
    void _Release();
};
