#include "platform/d3d9/buffers.h"

namespace platform::d3d9 {

HRESULT BufferResource::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (flags & ~(D3DLOCK_READONLY | D3DLOCK_DISCARD)) return D3DERR_INVALIDCALL;
    const std::uint64_t end = size == 0 ? bytes_.size() : std::uint64_t{offset} + size;
    if (offset > bytes_.size() || end > bytes_.size()) return D3DERR_INVALIDCALL;
    ++locks_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT BufferResource::Unlock() {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    --locks_;
    return D3D_OK;
}

HRESULT IDirect3DVertexBuffer9::GetDesc(D3DVERTEXBUFFER_DESC* desc) const {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage(), pool(), size(), fvf_};
    return D3D_OK;
}

HRESULT IDirect3DIndexBuffer9::GetDesc(D3DINDEXBUFFER_DESC* desc) const {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {format_, D3DRTYPE_INDEXBUFFER, usage(), pool(), size()};
    return D3D_OK;
}

}  // namespace platform::d3d9
