#include "platform/d3d9/texture.h"

#include "platform/d3d9/format_info.h"

namespace platform::d3d9 {

IDirect3DTexture9::IDirect3DTexture9(UINT width, UINT height, UINT levels, DWORD usage,
                                     D3DFORMAT format, D3DPOOL pool,
                                     std::shared_ptr<DefaultPoolTally> tally)
    : IDirect3DBaseTexture9(pool, usage, std::move(tally)) {
    // DEFAULT-pool textures cannot be locked unless dynamic.
    const bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
    for (UINT i = 0; i < levels; ++i) {
        D3DSURFACE_DESC desc{format,
                             D3DRTYPE_SURFACE,
                             usage,
                             pool,
                             D3DMULTISAMPLE_NONE,
                             0,
                             mipExtent(width, i),
                             mipExtent(height, i)};
        levels_.push_back(new IDirect3DSurface9(desc, lockable, this, nullptr));
    }
}

IDirect3DTexture9::~IDirect3DTexture9() {
    for (IDirect3DSurface9* level : levels_) level->destroyAsLevel();
}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->GetDesc(desc);
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    *surface = addRef(levels_[level]);
    return D3D_OK;
}

HRESULT IDirect3DTexture9::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                    DWORD flags) {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->LockRect(locked, rect, flags);
}

HRESULT IDirect3DTexture9::UnlockRect(UINT level) {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
}

}  // namespace platform::d3d9
