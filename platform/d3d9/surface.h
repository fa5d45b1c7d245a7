#pragma once
// IDirect3DSurface9: a 2D array of pixels in CPU memory. Colour surfaces hold ARGB words;
// depth surfaces hold depth quantised to the format's bits; DXT surfaces keep their blocks as
// written through Lock and the ARGB texels decoded from them at Unlock, which is what the
// sampler reads.
#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9_structs.h"
#include "platform/d3d9/resource.h"

namespace platform::d3d9 {

class IDirect3DSurface9 final : public Resource {
public:
    // `container` is the texture a level belongs to: the level shares its references.
    IDirect3DSurface9(const D3DSURFACE_DESC& desc, bool lockable, ComObject* container,
                      std::shared_ptr<DefaultPoolTally> tally);

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetDesc(D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect();

    // Device side.
    const D3DSURFACE_DESC& desc() const { return desc_; }
    UINT width() const { return desc_.Width; }
    UINT height() const { return desc_.Height; }
    bool locked() const { return locked_; }
    // Colour texels (ARGB) or depth values, width * height, row-major.
    std::uint32_t* texels() { return texels_.data(); }
    const std::uint32_t* texels() const { return texels_.data(); }
    // References held from outside the device, given how many the device itself holds.
    ULONG outsideReferences(ULONG heldByDevice) const { return references() - heldByDevice; }
    void destroyAsLevel() { delete this; }

private:
    D3DSURFACE_DESC desc_;
    bool lockable_;
    ComObject* container_;
    std::vector<std::uint32_t> texels_;
    std::vector<std::uint8_t> blocks_;  // DXT formats only
    bool locked_ = false;
};

}  // namespace platform::d3d9
