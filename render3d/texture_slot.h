#pragma once
// An entry of the device's texture list: a plain copy of a texture's counted handle (count
// block and record) that holds no reference, so the list never keeps a texture alive. The
// record leaves the list when its last real handle is dropped, so a listed slot always
// designates a live record, and Counted() can hand out a new reference to it.
#include <cstring>

#include "foundation/rcptr.h"
#include "render3d/L3DTexture.h"

class L3DTextureSlot {
public:
    L3DTextureSlot() { std::memset(bytes_, 0, sizeof bytes_); }
    explicit L3DTextureSlot(const mirel::rcptr<L3DTexture>& handle) {
        std::memcpy(bytes_, static_cast<const void*>(&handle), sizeof bytes_);
    }
    // A counted handle to the record (the copy adds the reference).
    mirel::rcptr<L3DTexture> Counted() const { return view(); }
    L3DTexture* Get() const { return view().Get(); }

private:
    const mirel::rcptr<L3DTexture>& view() const {
        return *reinterpret_cast<const mirel::rcptr<L3DTexture>*>(bytes_);
    }

    alignas(mirel::rcptr<L3DTexture>) unsigned char bytes_[sizeof(mirel::rcptr<L3DTexture>)];
};
