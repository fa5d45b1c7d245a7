#include "platform/d3d9/direct3d9.h"
#include "render3d/L3DDevice.h"
#include "render3d/adapters.h"
#include "render3d/format_table.h"
#include "render3d/window_client_size.h"

using namespace platform::d3d9;
using mirel::rcptr;

bool L3DDevice::_AcquireSurfaces() {
    _ReleaseDefaultPool();
    if (device_->GetRenderTarget(0, &backBuffer_) != D3D_OK) return false;
    renderTarget_ = addRef(backBuffer_);
    renderTargetWidth_ = backBuffer_->desc().Width;
    renderTargetHeight_ = backBuffer_->desc().Height;
    if (device_->GetDepthStencilSurface(&autoDepth_) != D3D_OK) return false;
    currentDepth_ = autoDepth_;
    bool complete = true;
    for (auto it = depthSurfaces_._GetFirstNode(); it != depthSurfaces_._GetEndNode();
         it = it.Next()) {
        _L3DDEV_DEPTH_SURFACE* entry = it.GetRef().Get();
        entry->surface = _CreateDepthSurface(entry->width, entry->height);
        if (!entry->surface) complete = false;
    }
    return complete;
}

void L3DDevice::_ReleaseDefaultPool() {
    releaseRef(backBuffer_);
    releaseRef(renderTarget_);
    releaseRef(autoDepth_);
    currentDepth_ = nullptr;
    for (auto it = depthSurfaces_._GetFirstNode(); it != depthSurfaces_._GetEndNode();
         it = it.Next())
        releaseRef(it.GetRef()->surface);
}

// Pooled depth surfaces pair only with render textures, which are never multisampled, and a
// depth surface must match its render target's multisampling: so they are made without it.
IDirect3DSurface9* L3DDevice::_CreateDepthSurface(uint32_t width, uint32_t height) {
    IDirect3DSurface9* surface = nullptr;
    if (device_->CreateDepthStencilSurface(
            width, height, currentParameters().AutoDepthStencilFormat, D3DMULTISAMPLE_NONE, 0, TRUE,
            &surface, nullptr) != D3D_OK)
        return nullptr;
    return surface;
}

void L3DDevice::_UnbindAll() {
    for (uint32_t stage = 0; stage < StageCount; ++stage) SetStateTexture(stage, nullptr);
    ApplyStates();
    if (vertexShader_) {
        device_->SetVertexShader(nullptr);
        vertexShader_ = nullptr;
        appliedFvf_ = wantedFvf_ == 0 ? 1 : 0;
    }
    if (pixelShader_) {
        device_->SetPixelShader(nullptr);
        pixelShader_ = nullptr;
    }
    if (streamSource_) {
        device_->SetStreamSource(0, nullptr, 0, 0);
        streamSource_ = nullptr;
    }
    if (indices_) {
        device_->SetIndices(nullptr);
        indices_ = nullptr;
    }
    device_->EvictManagedResources();
}

bool L3DDevice::Restore(bool window) {
    if (!device_) {
        lost_ = 1;
        return false;
    }
    lost_ = 0;
    uint32_t width = 1, height = 1;
    D3DDISPLAYMODE mode{};
    HRESULT state;
    if (window) {
        l3dGetClientSize(window_, width, height);
        if (l3dDirect3D()->GetAdapterDisplayMode(adapterOrdinal(), &mode) != D3D_OK) {
            lost_ = 1;
            return false;
        }
        state = device_->TestCooperativeLevel();
        const bool unchanged = width == windowParameters_.BackBufferWidth &&
                               height == windowParameters_.BackBufferHeight &&
                               mode.Format == windowDisplay_ && windowed_;
        if (unchanged && state == D3D_OK) return true;
        if (state != D3D_OK && state != D3DERR_DEVICENOTRESET) {
            lost_ = 1;
            return false;
        }
    } else {
        state = device_->TestCooperativeLevel();
        if (!windowed_ && state == D3D_OK) return true;
        if (state != D3D_OK && state != D3DERR_DEVICENOTRESET) {
            lost_ = 1;
            return false;
        }
    }

    _UnbindAll();
    _ReleaseDefaultPool();
    _ReleaseRenderTextures();
    bool reset = false;
    if (window && (flags_ & FlagWindow)) {
        D3DPRESENT_PARAMETERS pp = windowParameters_;
        pp.BackBufferWidth = width;
        pp.BackBufferHeight = height;
        if (l3dFindBackBufferFormat(adapter_, mode.Format, pp.BackBufferFormat) &&
            device_->Reset(&pp) == D3D_OK) {
            windowDisplay_ = mode.Format;
            windowParameters_ = pp;
            windowed_ = 1;
            reset = true;
        }
    } else if (flags_ & FlagFullScreen) {
        D3DPRESENT_PARAMETERS pp = fullScreenParameters_;
        if (device_->Reset(&pp) == D3D_OK) {
            windowed_ = 0;
            reset = true;
        }
    }
    if (!windowed_ && (flags_ & FlagDefaultInterval))
        flags_ |= FlagPresentWaits;
    else
        flags_ &= ~FlagPresentWaits;
    if (!reset) {
        lost_ = 1;
        return false;
    }
    _UnbindAll();
    if (!_AcquireSurfaces()) {
        lost_ = 1;
        return false;
    }
    _RestoreTextures();
    _InitStates();
    _RestoreVBuffers();
    _RestoreIBuffers();
    return true;
}

bool L3DDevice::RestoreIfNeeded() { return Restore(windowed_ != 0); }

bool L3DDevice::Present() {
    if (!device_ || lost_) return false;
    return device_->Present(nullptr, nullptr, nullptr, nullptr) == D3D_OK;
}

bool L3DDevice::SetRenderTarget(bool useDepth, rcptr<L3DTexture> texture) {
    if (!device_) return false;
    IDirect3DSurface9* colour = backBuffer_;
    IDirect3DSurface9* depth = autoDepth_;
    IDirect3DSurface9* level = nullptr;
    if (texture) {
        // A render texture whose Direct3D texture is missing (after a failed restore) cannot
        // be drawn into.
        if (texture->kind != L3DTexture::KindRender || !texture->texture) return false;
        if (texture->texture->GetSurfaceLevel(0, &level) != D3D_OK) return false;
        texture->contentsLost = 0;
        colour = level;
        depth = nullptr;
        if (useDepth) {
            _L3DDEV_DEPTH_SURFACE* pooled = nullptr;
            for (auto it = depthSurfaces_._GetFirstNode(); it != depthSurfaces_._GetEndNode();
                 it = it.Next()) {
                _L3DDEV_DEPTH_SURFACE* entry = it.GetRef().Get();
                if (entry->width == texture->width && entry->height == texture->height) {
                    pooled = entry;
                    break;
                }
            }
            if (!pooled) {
                IDirect3DSurface9* surface = _CreateDepthSurface(texture->width, texture->height);
                if (!surface) {
                    releaseRef(level);
                    return false;
                }
                rcptr<_L3DDEV_DEPTH_SURFACE> entry;
                entry.Create();
                *entry = {surface, texture->width, texture->height};
                depthSurfaces_.AddTail(entry);
                pooled = entry.Get();
            }
            depth = pooled->surface;
        }
    }
    if (colour != renderTarget_) {
        device_->SetRenderTarget(0, colour);
        replaceRef(renderTarget_, colour);
        renderTargetWidth_ = colour ? colour->desc().Width : 0;
        renderTargetHeight_ = colour ? colour->desc().Height : 0;
        SetViewportFull();
    }
    if (depth != currentDepth_) {
        device_->SetDepthStencilSurface(depth);
        currentDepth_ = depth;
    }
    releaseRef(level);
    return true;
}

void L3DDevice::SetViewportFull() {
    SetViewportSize(renderTargetWidth_ ? renderTargetWidth_ : 1,
                    renderTargetHeight_ ? renderTargetHeight_ : 1);
}

void L3DDevice::SetViewportSize(uint32_t width, uint32_t height) {
    const D3DVIEWPORT9 viewport{0,
                                0,
                                std::min(std::max<uint32_t>(renderTargetWidth_, 1), width),
                                std::min(std::max<uint32_t>(renderTargetHeight_, 1), height),
                                0.0f,
                                1.0f};
    device_->SetViewport(&viewport);
}

void L3DDevice::WaitVBlank() {
    if (!device_ || !(caps_.Caps & D3DCAPS_READ_SCANLINE)) return;
    D3DRASTER_STATUS status{};
    while (device_->GetRasterStatus(0, &status) == D3D_OK && status.InVBlank) {
    }
    while (device_->GetRasterStatus(0, &status) == D3D_OK && !status.InVBlank) {
    }
}
