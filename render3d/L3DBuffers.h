#pragma once
// The records through which the program holds Direct3D vertex and index buffers. The device
// makes them (managed, kind 0) and lists them without counting; the last counted handle's
// release releases the buffer and takes the record off the device's list.
#include <cstdint>

#include "platform/d3d9/buffers.h"

class L3DDevice;

struct L3DVBuffer {
    static constexpr uint32_t KindDynamic = 1;  // default pool, rebuilt after a lost device

    L3DDevice* device = nullptr;
    platform::d3d9::IDirect3DVertexBuffer9* buffer = nullptr;
    uint32_t kind = 0;
    uint32_t size = 0;
    uint32_t fvf = 0;
    uint8_t contentsLost = 0;

    L3DVBuffer() = default;
    L3DVBuffer(const L3DVBuffer&) = delete;
    L3DVBuffer& operator=(const L3DVBuffer&) = delete;
    ~L3DVBuffer();

    // Copies min(n, size) bytes into the buffer.
    void SetData(const void* data, uint32_t n);
    // After a device reset: a dynamic buffer is made anew and its contents are lost.
    void _Reset();
    void _Release();
};

struct L3DIBuffer {
    static constexpr uint32_t KindDynamic = 1;

    L3DDevice* device = nullptr;
    platform::d3d9::IDirect3DIndexBuffer9* buffer = nullptr;
    uint32_t kind = 0;
    uint32_t size = 0;  // bytes of 16-bit indices
    uint8_t contentsLost = 0;

    L3DIBuffer() = default;
    L3DIBuffer(const L3DIBuffer&) = delete;
    L3DIBuffer& operator=(const L3DIBuffer&) = delete;
    ~L3DIBuffer();

    void SetData(const void* data, uint32_t n);
    void _Reset();
    void _Release();
};
