#include "platform/d3d9/shaders.h"

#include <cstring>

namespace platform::d3d9 {

UINT measureShaderTokens(const DWORD* tokens, DWORD kind, UINT available) {
    available = available < kMaxShaderTokens ? available : kMaxShaderTokens;
    if (!tokens || available == 0 || (tokens[0] >> 16) != kind) return 0;
    const DWORD version = tokens[0] & 0xFFFF;
    if (version > 0x0200) return 0;
    if (version < 0x0200) {
        // Shader model 1 tokens carry no instruction lengths: the first end token ends it.
        for (UINT i = 1; i < available; ++i)
            if (tokens[i] == kShaderEndToken) return i + 1;
        return 0;
    }
    // Model 2 opcode tokens give their length (bits 24..27); comments give theirs in 16..30.
    UINT i = 1;
    while (i < available) {
        const DWORD token = tokens[i];
        if (token == kShaderEndToken) return i + 1;
        const DWORD length = (token & 0xFFFF) == 0xFFFE ? (token >> 16) & 0x7FFF : (token >> 24) & 0x0F;
        i += 1 + length;
    }
    return 0;
}

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
