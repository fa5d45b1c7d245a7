#pragma once
// IDirect3DVertexShader9 and IDirect3DPixelShader9: validated copies of shader token streams.
// A stream starts with its version token and ends with the end token 0x0000FFFF. The
// creation calls take a bare pointer, as Direct3D does, and read no further than the end
// token or kMaxShaderTokens; a loader that knows the size of its data checks the stream with
// measureShaderTokens and that size first.
#include <vector>

#include "platform/d3d9/com_object.h"

namespace platform::d3d9 {

constexpr UINT kMaxShaderTokens = 0x10000;
constexpr DWORD kShaderEndToken = 0x0000FFFF;

// Number of tokens of a stream including its end token, or 0 when the stream has the wrong
// version kind (`kind` 0xFFFE vertex, 0xFFFF pixel), a version above 2.0, or no end token
// within the first `available` tokens.
UINT measureShaderTokens(const DWORD* tokens, DWORD kind, UINT available = kMaxShaderTokens);

class ShaderObject : public ComObject {
public:
    HRESULT GetFunction(void* data, UINT* size) const;
    const std::vector<DWORD>& tokens() const { return tokens_; }

protected:
    ShaderObject(const DWORD* tokens, UINT count) : tokens_(tokens, tokens + count) {}

private:
    std::vector<DWORD> tokens_;
};

class IDirect3DVertexShader9 final : public ShaderObject {
public:
    IDirect3DVertexShader9(const DWORD* tokens, UINT count) : ShaderObject(tokens, count) {}
};

class IDirect3DPixelShader9 final : public ShaderObject {
public:
    IDirect3DPixelShader9(const DWORD* tokens, UINT count) : ShaderObject(tokens, count) {}
};

}  // namespace platform::d3d9
