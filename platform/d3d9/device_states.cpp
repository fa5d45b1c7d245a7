// IDirect3DDevice9: states, bindings and shader constants.
#include <algorithm>
#include <cstring>

#include "platform/d3d9/device.h"

namespace platform::d3d9 {

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    recorder_.record("SetRenderState", state, value);
    if (!isRenderState(state)) return D3DERR_INVALIDCALL;
    states_.render[state] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    recorder_.record("GetRenderState", state, value);
    if (!value || !isRenderState(state)) return D3DERR_INVALIDCALL;
    *value = states_.render[state];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE state, DWORD value) {
    recorder_.record("SetSamplerState", sampler, state, value);
    if (sampler >= kStageCount || !isSamplerState(state)) return D3DERR_INVALIDCALL;
    states_.sampler[sampler][state] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE state, DWORD* value) {
    recorder_.record("GetSamplerState", sampler, state, value);
    if (!value || sampler >= kStageCount || !isSamplerState(state)) return D3DERR_INVALIDCALL;
    *value = states_.sampler[sampler][state];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state,
                                               DWORD value) {
    recorder_.record("SetTextureStageState", stage, state, value);
    if (stage >= kStageCount || !isStageState(state)) return D3DERR_INVALIDCALL;
    states_.stage[stage][state] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state,
                                               DWORD* value) {
    recorder_.record("GetTextureStageState", stage, state, value);
    if (!value || stage >= kStageCount || !isStageState(state)) return D3DERR_INVALIDCALL;
    *value = states_.stage[stage][state];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    recorder_.record("SetTexture", stage, texture);
    if (stage >= kStageCount) return D3DERR_INVALIDCALL;
    // 2D textures are the only kind this device makes.
    replaceRef(textures_[stage], static_cast<IDirect3DTexture9*>(texture));
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    recorder_.record("GetTexture", stage, texture);
    if (!texture || stage >= kStageCount) return D3DERR_INVALIDCALL;
    *texture = addRef(textures_[stage]);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetFVF(DWORD fvf) {
    recorder_.record("SetFVF", fvf);
    if (fvf != 0 && !describeFvf(fvf).valid) return D3DERR_INVALIDCALL;
    fvf_ = fvf;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetFVF(DWORD* fvf) {
    recorder_.record("GetFVF", fvf);
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = fvf_;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetVertexShader(IDirect3DVertexShader9* shader) {
    recorder_.record("SetVertexShader", shader);
    replaceRef(vertexShader_, shader);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetVertexShader(IDirect3DVertexShader9** shader) {
    recorder_.record("GetVertexShader", shader);
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = addRef(vertexShader_);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetPixelShader(IDirect3DPixelShader9* shader) {
    recorder_.record("SetPixelShader", shader);
    replaceRef(pixelShader_, shader);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetPixelShader(IDirect3DPixelShader9** shader) {
    recorder_.record("GetPixelShader", shader);
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = addRef(pixelShader_);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSoftwareVertexProcessing(BOOL software) {
    recorder_.record("SetSoftwareVertexProcessing", software);
    // Accepted on every device and only remembered: all vertex processing here is software.
    softwareVertexProcessing_ = software ? TRUE : FALSE;
    return D3D_OK;
}

BOOL IDirect3DDevice9::GetSoftwareVertexProcessing() {
    recorder_.record("GetSoftwareVertexProcessing");
    if (creation_.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) return TRUE;
    return softwareVertexProcessing_;
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                          UINT stride) {
    recorder_.record("SetStreamSource", stream, buffer, offset, stride);
    if (stream >= profile_.caps.MaxStreams || stride > profile_.caps.MaxStreamStride)
        return D3DERR_INVALIDCALL;
    replaceRef(streamSource_, buffer);
    streamOffset_ = offset;
    streamStride_ = stride;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer,
                                          UINT* offset, UINT* stride) {
    recorder_.record("GetStreamSource", stream, buffer, offset, stride);
    if (!buffer || !offset || !stride || stream >= profile_.caps.MaxStreams)
        return D3DERR_INVALIDCALL;
    *buffer = addRef(streamSource_);
    *offset = streamOffset_;
    *stride = streamStride_;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* buffer) {
    recorder_.record("SetIndices", buffer);
    replaceRef(indices_, buffer);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetIndices(IDirect3DIndexBuffer9** buffer) {
    recorder_.record("GetIndices", buffer);
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = addRef(indices_);
    return D3D_OK;
}

namespace {

template <std::size_t N>
HRESULT copyConstantsIn(std::array<std::array<float, 4>, N>& registers, UINT limit, UINT start,
                        const float* data, UINT count) {
    if (!data || start > limit || count > limit - start) return D3DERR_INVALIDCALL;
    for (UINT i = 0; i < count; ++i)
        std::memcpy(registers[start + i].data(), data + 4 * i, 4 * sizeof(float));
    return D3D_OK;
}

template <std::size_t N>
HRESULT copyConstantsOut(const std::array<std::array<float, 4>, N>& registers, UINT limit,
                         UINT start, float* data, UINT count) {
    if (!data || start > limit || count > limit - start) return D3DERR_INVALIDCALL;
    for (UINT i = 0; i < count; ++i)
        std::memcpy(data + 4 * i, registers[start + i].data(), 4 * sizeof(float));
    return D3D_OK;
}

}  // namespace

// Software vertex processing has the whole file; hardware processing the caps' count.
UINT IDirect3DDevice9::vertexConstantLimit() const {
    if (softwareVertexProcessing_) return static_cast<UINT>(vertexConstants_.size());
    return std::min<UINT>(profile_.caps.MaxVertexShaderConst, vertexConstants_.size());
}

HRESULT IDirect3DDevice9::SetVertexShaderConstantF(UINT start, const float* data, UINT count) {
    recorder_.record("SetVertexShaderConstantF", start, data, count);
    const HRESULT result =
        copyConstantsIn(vertexConstants_, vertexConstantLimit(), start, data, count);
    if (result == D3D_OK) vertexConstantsUsed_ = std::max(vertexConstantsUsed_, start + count);
    return result;
}

HRESULT IDirect3DDevice9::GetVertexShaderConstantF(UINT start, float* data, UINT count) {
    recorder_.record("GetVertexShaderConstantF", start, data, count);
    return copyConstantsOut(vertexConstants_, vertexConstantLimit(), start, data, count);
}

HRESULT IDirect3DDevice9::SetPixelShaderConstantF(UINT start, const float* data, UINT count) {
    recorder_.record("SetPixelShaderConstantF", start, data, count);
    return copyConstantsIn(pixelConstants_, pixelConstants_.size(), start, data, count);
}

HRESULT IDirect3DDevice9::GetPixelShaderConstantF(UINT start, float* data, UINT count) {
    recorder_.record("GetPixelShaderConstantF", start, data, count);
    return copyConstantsOut(pixelConstants_, pixelConstants_.size(), start, data, count);
}

}  // namespace platform::d3d9
