// IDirect3DDevice9: render targets, depth surfaces, viewport, Clear and surface copies.
#include <algorithm>
#include <cmath>

#include "platform/d3d9/device.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/pixel_output.h"
#include "platform/d3d9/tile_workers.h"
#include "platform/d3d9/tiled_raster.h"

namespace platform::d3d9 {
namespace {

constexpr UINT kMaxSurfaceExtent = 8192;

// The rectangle, or the whole surface for null; false when it is empty or leaves the surface.
bool surfaceRect(const IDirect3DSurface9& surface, const RECT* rect, RECT& out) {
    out = rect
              ? *rect
              : RECT{0, 0, static_cast<LONG>(surface.width()), static_cast<LONG>(surface.height())};
    return out.left >= 0 && out.top >= 0 && out.left < out.right && out.top < out.bottom &&
           out.right <= static_cast<LONG>(surface.width()) &&
           out.bottom <= static_cast<LONG>(surface.height());
}

// Fills the rectangle in bands of rows shared out among the tile workers: the rows of the
// draws' tile rows, so that the threads divide a clear as they divide the draws after it.
void fillRect(IDirect3DSurface9& surface, const RECT& rect, std::uint32_t value,
              TileWorkers& workers) {
    const LONG firstRow = rect.top / kTileSize;
    const auto rows = static_cast<unsigned>((rect.bottom - 1) / kTileSize - firstRow + 1);
    workers.run(rows, [&](unsigned band) {
        const LONG row = firstRow + static_cast<LONG>(band);
        const LONG bottom = std::min<LONG>(rect.bottom, (row + 1) * kTileSize);
        for (LONG y = std::max<LONG>(rect.top, row * kTileSize); y < bottom; ++y) {
            std::uint32_t* line = surface.texels() + static_cast<std::size_t>(y) * surface.width();
            std::fill(line + rect.left, line + rect.right, value);
        }
    });
}

// Texels written to a colour surface: X8R8G8B8 keeps its unused byte at 0xFF.
std::uint32_t storedColour(const IDirect3DSurface9& surface, std::uint32_t argb) {
    return surface.desc().Format == D3DFMT_X8R8G8B8 ? argb | 0xFF000000u : argb;
}

}  // namespace

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                                float z, DWORD stencil) {
    recorder_.record("Clear", count, rects, flags, colour, z, stencil);
    if ((count > 0 && !rects) ||
        (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) || flags == 0)
        return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_)
        return D3DERR_INVALIDCALL;
    // Stencil is never drawn with, but clearing it is only valid where the format has it.
    if ((flags & D3DCLEAR_STENCIL) && !hasStencilBits(depthStencil_->desc().Format))
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_ZBUFFER) && !(z >= 0.0f && z <= 1.0f)) return D3DERR_INVALIDCALL;
    if (cooperativeState() != D3D_OK) return D3D_OK;
    // Only the viewport is cleared, limited further by the rectangles when given.
    const LONG vpRight = static_cast<LONG>(viewport_.X + viewport_.Width);
    const LONG vpBottom = static_cast<LONG>(viewport_.Y + viewport_.Height);
    const D3DRECT whole{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y), vpRight,
                        vpBottom};
    const DWORD rectCount = count > 0 ? count : 1;
    for (DWORD i = 0; i < rectCount; ++i) {
        const D3DRECT& r = count > 0 ? rects[i] : whole;
        auto clearSurface = [&](IDirect3DSurface9& surface, std::uint32_t value) {
            RECT area{std::max(r.x1, whole.x1), std::max(r.y1, whole.y1), std::min(r.x2, whole.x2),
                      std::min(r.y2, whole.y2)};
            area.right = std::min<LONG>(area.right, static_cast<LONG>(surface.width()));
            area.bottom = std::min<LONG>(area.bottom, static_cast<LONG>(surface.height()));
            if (area.left < area.right && area.top < area.bottom)
                fillRect(surface, area, value, *workers_);
        };
        if (flags & D3DCLEAR_TARGET)
            clearSurface(*renderTarget_, storedColour(*renderTarget_, colour));
        if (flags & D3DCLEAR_ZBUFFER)
            clearSurface(*depthStencil_, quantiseDepth(z, depthBits(depthStencil_->desc().Format)));
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* viewport) {
    recorder_.record("GetViewport", viewport);
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport) {
        recorder_.record("SetViewport", viewport);
        return D3DERR_INVALIDCALL;
    }
    recorder_.record("SetViewport", viewport->X, viewport->Y, viewport->Width, viewport->Height,
                     viewport->MinZ, viewport->MaxZ);
    const std::uint64_t right = std::uint64_t{viewport->X} + viewport->Width;
    const std::uint64_t bottom = std::uint64_t{viewport->Y} + viewport->Height;
    if (viewport->Width == 0 || viewport->Height == 0 || right > renderTarget_->width() ||
        bottom > renderTarget_->height() || !(viewport->MinZ >= 0.0f && viewport->MinZ <= 1.0f) ||
        !(viewport->MaxZ >= 0.0f && viewport->MaxZ <= 1.0f))
        return D3DERR_INVALIDCALL;
    viewport_ = *viewport;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    recorder_.record("GetRenderTarget", index, surface);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index >= profile_.caps.NumSimultaneousRTs) return D3DERR_INVALIDCALL;
    *surface = addRef(renderTarget_);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    recorder_.record("SetRenderTarget", index, surface);
    if (index != 0 || !surface || !(surface->usage() & D3DUSAGE_RENDERTARGET))
        return D3DERR_INVALIDCALL;
    replaceRef(renderTarget_, surface);
    setFullViewport();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    recorder_.record("GetDepthStencilSurface", surface);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = addRef(depthStencil_);
    return depthStencil_ ? D3D_OK : D3DERR_NOTFOUND;
}

HRESULT IDirect3DDevice9::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    recorder_.record("SetDepthStencilSurface", surface);
    if (surface && !(surface->usage() & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
    replaceRef(depthStencil_, surface);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                        IDirect3DSurface9** surface) {
    recorder_.record("GetBackBuffer", swapChain, index, type, surface);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
    *surface = addRef(backBuffer_);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                    D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                                    BOOL discard, IDirect3DSurface9** surface,
                                                    HANDLE* shared) {
    recorder_.record("CreateDepthStencilSurface", width, height, format, multiSample, quality,
                     discard, surface, shared);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (shared || width == 0 || height == 0 || width > kMaxSurfaceExtent ||
        height > kMaxSurfaceExtent)
        return D3DERR_INVALIDCALL;
    if (!isDepthFormat(format) ||
        std::find(profile_.depthFormats.begin(), profile_.depthFormats.end(), format) ==
            profile_.depthFormats.end())
        return D3DERR_INVALIDCALL;
    if (multiSample != D3DMULTISAMPLE_NONE &&
        (multiSample > 16 || !((profile_.multiSampleTypes >> multiSample) & 1) ||
         quality >= profile_.multiSampleQualityLevels))
        return D3DERR_INVALIDCALL;
    *surface = newSurface(width, height, format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                          multiSample, false, true);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                      D3DPOOL pool, IDirect3DSurface9** surface,
                                                      HANDLE* shared) {
    recorder_.record("CreateOffscreenPlainSurface", width, height, format, pool, surface, shared);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (shared || width == 0 || height == 0 || width > kMaxSurfaceExtent ||
        height > kMaxSurfaceExtent || pool == D3DPOOL_MANAGED || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    if (!isColourTargetFormat(format)) return D3DERR_NOTAVAILABLE;
    *surface = newSurface(width, height, format, 0, pool, D3DMULTISAMPLE_NONE, true, true);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                              IDirect3DSurface9* destination) {
    recorder_.record("GetRenderTargetData", renderTarget, destination);
    // A multisampled render target must be resolved (StretchRect) before it can be read.
    if (!renderTarget || !destination || !(renderTarget->usage() & D3DUSAGE_RENDERTARGET) ||
        renderTarget->desc().MultiSampleType != D3DMULTISAMPLE_NONE ||
        destination->pool() != D3DPOOL_SYSTEMMEM || destination->locked() ||
        renderTarget->width() != destination->width() ||
        renderTarget->height() != destination->height() ||
        renderTarget->desc().Format != destination->desc().Format)
        return D3DERR_INVALIDCALL;
    std::copy_n(renderTarget->texels(),
                static_cast<std::size_t>(renderTarget->width()) * renderTarget->height(),
                destination->texels());
    return D3D_OK;
}

HRESULT IDirect3DDevice9::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                                      IDirect3DSurface9* destination, const RECT* destRect,
                                      D3DTEXTUREFILTERTYPE filter) {
    recorder_.record("StretchRect", source, sourceRect, destination, destRect, filter);
    RECT from, to;
    if (!source || !destination || source == destination || source->pool() != D3DPOOL_DEFAULT ||
        destination->pool() != D3DPOOL_DEFAULT || !isColourTargetFormat(source->desc().Format) ||
        !isColourTargetFormat(destination->desc().Format) || filter > D3DTEXF_LINEAR ||
        !surfaceRect(*source, sourceRect, from) || !surfaceRect(*destination, destRect, to))
        return D3DERR_INVALIDCALL;
    const LONG fromWidth = from.right - from.left, fromHeight = from.bottom - from.top;
    const LONG toWidth = to.right - to.left, toHeight = to.bottom - to.top;
    // Scaling is done by nearest texel; a filtered scale is not supported.
    if (filter == D3DTEXF_LINEAR && (fromWidth != toWidth || fromHeight != toHeight))
        return D3DERR_INVALIDCALL;
    const bool sourceOpaque = source->desc().Format == D3DFMT_X8R8G8B8;
    for (LONG y = 0; y < toHeight; ++y) {
        const LONG sy =
            from.top + static_cast<LONG>((static_cast<std::int64_t>(y) * fromHeight) / toHeight);
        for (LONG x = 0; x < toWidth; ++x) {
            const LONG sx =
                from.left + static_cast<LONG>((static_cast<std::int64_t>(x) * fromWidth) / toWidth);
            std::uint32_t texel =
                source->texels()[static_cast<std::size_t>(sy) * source->width() + sx];
            if (sourceOpaque) texel |= 0xFF000000u;
            destination->texels()[static_cast<std::size_t>(to.top + y) * destination->width() +
                                  to.left + x] = storedColour(*destination, texel);
        }
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR colour) {
    recorder_.record("ColorFill", surface, rect, colour);
    RECT area;
    if (!surface || surface->pool() != D3DPOOL_DEFAULT ||
        !isColourTargetFormat(surface->desc().Format) || !surfaceRect(*surface, rect, area))
        return D3DERR_INVALIDCALL;
    fillRect(*surface, area, storedColour(*surface, colour), *workers_);
    return D3D_OK;
}

}  // namespace platform::d3d9
