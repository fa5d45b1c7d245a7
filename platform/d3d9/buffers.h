#pragma once
// IDirect3DVertexBuffer9 and IDirect3DIndexBuffer9: byte arrays in CPU memory with Lock and
// Unlock. Locks may nest; a lock of offset 0 and size 0 covers the whole buffer.
#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9_structs.h"
#include "platform/d3d9/resource.h"

namespace platform::d3d9 {

class BufferResource : public Resource {
public:
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();

    // Device side.
    const std::uint8_t* bytes() const { return bytes_.data(); }
    UINT size() const { return static_cast<UINT>(bytes_.size()); }

protected:
    BufferResource(UINT size, DWORD usage, D3DPOOL pool, std::shared_ptr<DefaultPoolTally> tally)
        : Resource(pool, usage, std::move(tally)), bytes_(size, 0) {}

private:
    std::vector<std::uint8_t> bytes_;
    UINT locks_ = 0;
};

class IDirect3DVertexBuffer9 final : public BufferResource {
public:
    IDirect3DVertexBuffer9(UINT size, DWORD usage, DWORD fvf, D3DPOOL pool,
                           std::shared_ptr<DefaultPoolTally> tally)
        : BufferResource(size, usage, pool, std::move(tally)), fvf_(fvf) {}
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) const;

private:
    DWORD fvf_;
};

class IDirect3DIndexBuffer9 final : public BufferResource {
public:
    IDirect3DIndexBuffer9(UINT size, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          std::shared_ptr<DefaultPoolTally> tally)
        : BufferResource(size, usage, pool, std::move(tally)), format_(format) {}
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) const;
    D3DFORMAT format() const { return format_; }

private:
    D3DFORMAT format_;
};

}  // namespace platform::d3d9
