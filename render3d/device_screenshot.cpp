#include "foundation/DImageHolder.h"
#include "foundation/imagefile/image_file.h"
#include "render3d/L3DDevice.h"
#include "render3d/screenshot.h"

using namespace platform::d3d9;
using mirel::DImageKind;

bool l3dBackBufferImageKind(D3DFORMAT format, DImageKind& kind) {
    switch (format) {
    case D3DFMT_R8G8B8:
        kind = DImageKind::BGR24;
        return true;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        kind = DImageKind::BGRA32;
        return true;
    case D3DFMT_R5G6B5:
        kind = DImageKind::R5G6B5;
        return true;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        kind = DImageKind::A1R5G5B5;
        return true;
    case D3DFMT_A4R4G4B4:
        kind = DImageKind::A4R4G4B4;
        return true;
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
        kind = DImageKind::RGBA32;
        return true;
    default:
        return false;
    }
}

// GetRenderTargetData refuses a multisampled surface, so a multisampled back buffer is first
// resolved by StretchRect into a plain render target of its size and format.
bool L3DDevice::copyBackBufferForCapture(IDirect3DSurface9*& source, IDirect3DTexture9*& resolved) {
    const D3DSURFACE_DESC& desc = source->desc();
    if (desc.MultiSampleType == D3DMULTISAMPLE_NONE) return true;
    IDirect3DSurface9* level = nullptr;
    if (device_->CreateTexture(desc.Width, desc.Height, 1, D3DUSAGE_RENDERTARGET, desc.Format,
                               D3DPOOL_DEFAULT, &resolved, nullptr) != D3D_OK ||
        resolved->GetSurfaceLevel(0, &level) != D3D_OK)
        return false;
    const bool copied =
        device_->StretchRect(source, nullptr, level, nullptr, D3DTEXF_NONE) == D3D_OK;
    releaseRef(source);
    source = level;
    return copied;
}

bool L3DDevice::SaveScreenshot(mirel::DFile& file) {
    if (!device_) return false;
    IDirect3DSurface9* source = nullptr;
    IDirect3DTexture9* resolved = nullptr;
    IDirect3DSurface9* plain = nullptr;
    bool written = false;
    DImageKind kind;
    if (device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &source) == D3D_OK &&
        l3dBackBufferImageKind(source->desc().Format, kind) &&
        copyBackBufferForCapture(source, resolved)) {
        const D3DSURFACE_DESC desc = source->desc();
        D3DLOCKED_RECT locked{};
        if (device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                 D3DPOOL_SYSTEMMEM, &plain, nullptr) == D3D_OK &&
            device_->GetRenderTargetData(source, plain) == D3D_OK &&
            plain->LockRect(&locked, nullptr, 0) == D3D_OK) {
            mirel::DImageHolder image;
            written =
                mirel::DImage::AttachRaw(image, static_cast<uint8_t*>(locked.pBits),
                                         static_cast<int32_t>(desc.Width),
                                         static_cast<int32_t>(desc.Height), locked.Pitch, kind) &&
                mirel::DimgWriteBitmap(file, image);
            plain->UnlockRect();
        }
    }
    releaseRef(plain);
    releaseRef(source);
    releaseRef(resolved);
    return written;
}
