#include "render3d/L3DBuffers.h"

#include <algorithm>
#include <cstring>

#include "foundation/DSjisText.h"
#include "platform/d3d9/device.h"
#include "render3d/L3DDevice.h"
#include "render3d/diagnostics/diagnostics.h"

using mirel::DSjis;
using namespace platform::d3d9;

namespace {

// Locks the whole buffer (discarding a dynamic one), copies min(n, size) bytes and unlocks; a
// failed lock is not reported.
void fillBuffer(BufferResource* buffer, bool dynamic, uint32_t size, const void* data, uint32_t n) {
    if (!buffer) return;
    void* bytes = nullptr;
    if (buffer->Lock(0, 0, &bytes, dynamic ? D3DLOCK_DISCARD : 0) != D3D_OK) return;
    std::memcpy(bytes, data, std::min(n, size));
    buffer->Unlock();
}

// Usage of a rebuilt dynamic buffer: write-only and dynamic, plus software processing on a
// device without vertex shaders.
DWORD dynamicUsage(const L3DDevice* device) {
    DWORD usage = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC;
    if (!(device->flags() & L3DDevice::FlagVertexShader)) usage |= D3DUSAGE_SOFTWAREPROCESSING;
    return usage;
}

}  // namespace

L3DVBuffer::~L3DVBuffer() { _Release(); }

void L3DVBuffer::SetData(const void* data, uint32_t n) {
    fillBuffer(buffer, kind == KindDynamic, size, data, n);
}

void L3DVBuffer::_Reset() {
    if (kind != KindDynamic || !device) return;
    releaseRef(buffer);
    if (device->device()->CreateVertexBuffer(size, dynamicUsage(device), fvf, D3DPOOL_DEFAULT,
                                             &buffer, nullptr) != D3D_OK)
        l3dError(DSjis<"[L3DVBuffer::_Reset] ビデオメモリが不足しています">());
    contentsLost = 1;
}

void L3DVBuffer::_Release() {
    releaseRef(buffer);
    if (device) {
        device->_RemoveVBuffer(this);
        device = nullptr;
    }
}

L3DIBuffer::~L3DIBuffer() { _Release(); }

void L3DIBuffer::SetData(const void* data, uint32_t n) {
    fillBuffer(buffer, kind == KindDynamic, size, data, n);
}

void L3DIBuffer::_Reset() {
    if (kind != KindDynamic || !device) return;
    releaseRef(buffer);
    if (device->device()->CreateIndexBuffer(size, dynamicUsage(device), D3DFMT_INDEX16,
                                            D3DPOOL_DEFAULT, &buffer, nullptr) != D3D_OK)
        l3dError(DSjis<"[L3DIBuffer::_Reset] ビデオメモリが不足しています">());
    contentsLost = 1;
}

void L3DIBuffer::_Release() {
    releaseRef(buffer);
    if (device) {
        device->_RemoveIBuffer(this);
        device = nullptr;
    }
}
