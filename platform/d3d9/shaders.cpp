#include "platform/d3d9/shaders.h"

#include <cstring>

namespace platform::d3d9 {

HRESULT ShaderObject::GetFunction(void* data, UINT* size) const {
    if (!size) return D3DERR_INVALIDCALL;
    const UINT bytes = static_cast<UINT>(tokens_.size() * sizeof(DWORD));
    if (!data) {
        *size = bytes;
        return D3D_OK;
    }
    if (*size < bytes) return D3DERR_MOREDATA;
    std::memcpy(data, tokens_.data(), bytes);
    *size = bytes;
    return D3D_OK;
}

}  // namespace platform::d3d9
