#pragma once
// IDirect3DVertexShader9 and IDirect3DPixelShader9: shader token streams validated and
// decoded by the shader decoder, kept with their tokens (GetFunction gives them back) and
// their decoded instructions, which the interpreters run.
#include <memory>
#include <vector>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/d3d9_types.h"
#include "platform/d3d9/shader/decoded_shader.h"

namespace platform::d3d9 {

class ShaderObject : public ComObject {
public:
    HRESULT GetFunction(void* data, UINT* size) const;
    const shader::DecodedShader& decoded() const { return decoded_; }

protected:
    ShaderObject(const DWORD* tokens, shader::DecodedShader decoded)
        : tokens_(tokens, tokens + decoded.tokenCount), decoded_(std::move(decoded)) {}

private:
    std::vector<DWORD> tokens_;
    shader::DecodedShader decoded_;
};

class IDirect3DVertexShader9 final : public ShaderObject {
public:
    IDirect3DVertexShader9(const DWORD* tokens, shader::DecodedShader decoded)
        : ShaderObject(tokens, std::move(decoded)) {}
};

class IDirect3DPixelShader9 final : public ShaderObject {
public:
    IDirect3DPixelShader9(const DWORD* tokens, shader::DecodedShader decoded)
        : ShaderObject(tokens, std::move(decoded)) {}
};

}  // namespace platform::d3d9
