#pragma once
// IDirect3DBaseTexture9 and IDirect3DTexture9: a chain of mip levels, each an
// IDirect3DSurface9 that shares the texture's references.
#include <vector>

#include "platform/d3d9/surface.h"

namespace platform::d3d9 {

class IDirect3DBaseTexture9 : public Resource {
public:
    virtual DWORD GetLevelCount() const = 0;

protected:
    using Resource::Resource;
};

class IDirect3DTexture9 final : public IDirect3DBaseTexture9 {
public:
    // `levels` is the resolved count (at least 1). Level 0 is width x height.
    IDirect3DTexture9(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                      D3DPOOL pool, std::shared_ptr<DefaultPoolTally> tally);

    DWORD GetLevelCount() const override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface);
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);

    // Device side.
    D3DFORMAT format() const { return levels_[0]->desc().Format; }
    const IDirect3DSurface9& level(UINT index) const { return *levels_[index]; }

private:
    ~IDirect3DTexture9() override;

    std::vector<IDirect3DSurface9*> levels_;
};

}  // namespace platform::d3d9
