#include "render3d/L3DTexture.h"

#include <algorithm>

#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "platform/d3d9/device.h"
#include "render3d/L3DDevice.h"
#include "render3d/diagnostics/diagnostics.h"

using mirel::DSjis;
using namespace platform::d3d9;

L3DTexture::~L3DTexture() { _Release(); }

L3DTexture* L3DTexture::InitRecord(const char* name, uint32_t kind, L3DTexture* record,
                                   L3DDevice* device, IDirect3DTexture9* texture,
                                   uint32_t pixelKind, uint32_t width, uint32_t height,
                                   uint32_t alpha, uint32_t levelCount) {
    record->device = device;
    record->texture = texture;
    mirel::DStrCopyN(record->name, name ? name : "", NameCapacity);
    record->pixelKind = pixelKind;
    record->width = width;
    record->height = height;
    record->alpha = alpha;
    record->levelCount = levelCount;
    record->kind = kind;
    record->contentsLost = kind == KindRender ? 1 : 0;
    return record;
}

void L3DTexture::_Release() {
    releaseRef(texture);
    if (device) {
        device->_RemoveTexture(this);
        device = nullptr;
    }
}

void L3DTexture::_Reset() {
    if (kind != KindRender) return;
    releaseRef(texture);
    contentsLost = 1;
    texture = device ? device->CreateRenderTexture(width, height) : nullptr;
    if (!texture) l3dError(DSjis<"[L3DTexture::_Reset] テクスチャが復元できませんでした。">());
}

void L3DTexture::CopyBackBuffer() {
    if (kind != KindRender)
        l3dError(DSjis<"[L3DTexture::CopyBackBuffer] バックバッファテクスチャではありません">());
    // Without a Direct3D texture (a restore failed) there is nothing to copy into.
    if (!texture || !device || !device->device()) return;
    D3DVIEWPORT9 viewport{};
    device->device()->GetViewport(&viewport);
    const RECT rect{0, 0, static_cast<LONG>(std::min(viewport.Width, width)),
                    static_cast<LONG>(std::min(viewport.Height, height))};
    IDirect3DSurface9* level = nullptr;
    if (texture->GetSurfaceLevel(0, &level) != D3D_OK) return;
    device->device()->StretchRect(device->renderTarget(), &rect, level, &rect, D3DTEXF_NONE);
    level->Release();
    contentsLost = 0;
}

void L3DTexture::FillColor(uint32_t colour) {
    if (kind != KindRender)
        l3dError(DSjis<"[L3DTexture::FillColor] バックバッファテクスチャではありません">());
    if (!texture || !device || !device->device()) return;
    IDirect3DSurface9* level = nullptr;
    if (texture->GetSurfaceLevel(0, &level) != D3D_OK) return;
    device->device()->ColorFill(level, nullptr, colour);
    level->Release();
    contentsLost = 0;
}

uint8_t* L3DTexture::Lock(uint32_t x, uint32_t y, uint32_t lockWidth, uint32_t lockHeight,
                          int32_t& pitch) {
    if (kind != KindManaged || levelCount > 1)
        l3dError(DSjis<"[L3DTexture::Lock] テクスチャをロックできません">());
    const RECT rect{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + lockWidth),
                    static_cast<LONG>(y + lockHeight)};
    D3DLOCKED_RECT locked{};
    if (!texture || texture->LockRect(0, &locked, &rect, 0) != D3D_OK)
        l3dError(DSjis<"[L3DTexture::Lock] テクスチャのロックに失敗しました">());
    pitch = locked.Pitch;
    return static_cast<uint8_t*>(locked.pBits);
}
