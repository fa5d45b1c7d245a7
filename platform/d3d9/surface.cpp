#include "platform/d3d9/surface.h"

#include "platform/d3d9/dxt_decode.h"
#include "platform/d3d9/format_info.h"

namespace platform::d3d9 {

IDirect3DSurface9::IDirect3DSurface9(const D3DSURFACE_DESC& desc, bool lockable,
                                     ComObject* container, std::shared_ptr<DefaultPoolTally> tally)
    : Resource(desc.Pool, desc.Usage, container ? nullptr : std::move(tally)),
      desc_(desc),
      lockable_(lockable),
      container_(container),
      texels_(static_cast<std::size_t>(desc.Width) * desc.Height, 0) {
    if (isBlockCompressed(desc.Format))
        blocks_.assign(levelBytes(desc.Format, desc.Width, desc.Height), 0);
}

ULONG IDirect3DSurface9::AddRef() { return container_ ? container_->AddRef() : Resource::AddRef(); }

ULONG IDirect3DSurface9::Release() {
    return container_ ? container_->Release() : Resource::Release();
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) const {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (!locked || !lockable_ || locked_) return D3DERR_INVALIDCALL;
    if (flags & ~(D3DLOCK_READONLY | D3DLOCK_DISCARD)) return D3DERR_INVALIDCALL;
    RECT area{0, 0, static_cast<LONG>(desc_.Width), static_cast<LONG>(desc_.Height)};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || rect->right > area.right || rect->bottom > area.bottom)
            return D3DERR_INVALIDCALL;
        // Compressed data is locked in whole blocks.
        if (isBlockCompressed(desc_.Format) &&
            ((rect->left | rect->top) % 4 != 0 ||
             (rect->right % 4 != 0 && rect->right != area.right) ||
             (rect->bottom % 4 != 0 && rect->bottom != area.bottom)))
            return D3DERR_INVALIDCALL;
        area = *rect;
    }
    if (isBlockCompressed(desc_.Format)) {
        const UINT pitch = levelPitch(desc_.Format, desc_.Width);
        locked->Pitch = static_cast<INT>(pitch);
        locked->pBits = blocks_.data() + static_cast<std::size_t>(area.top / 4) * pitch +
                        static_cast<std::size_t>(area.left / 4) * formatUnitBytes(desc_.Format);
    } else {
        locked->Pitch = static_cast<INT>(desc_.Width * 4);
        locked->pBits =
            texels_.data() + static_cast<std::size_t>(area.top) * desc_.Width + area.left;
    }
    locked_ = true;
    return D3D_OK;
}

HRESULT IDirect3DSurface9::UnlockRect() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (isBlockCompressed(desc_.Format))
        decodeDxtLevel(desc_.Format, blocks_.data(), levelPitch(desc_.Format, desc_.Width),
                       desc_.Width, desc_.Height, texels_.data());
    return D3D_OK;
}

}  // namespace platform::d3d9
