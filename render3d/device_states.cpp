#include <bit>

#include "foundation/DSjisText.h"
#include "render3d/L3DDevice.h"
#include "render3d/diagnostics/diagnostics.h"

using mirel::DSjis;
using namespace platform::d3d9;

namespace {

constexpr uint32_t floatBits(float value) { return std::bit_cast<uint32_t>(value); }

struct StateDefault {
    uint32_t state;
    uint32_t value;
};

// The render states the cache supports and their defaults: Direct3D 9's, except ZENABLE
// (TRUE), CULLMODE (clockwise) and LIGHTING (FALSE).
constexpr StateDefault kRenderDefaults[] = {
    {7, 1},
    {8, 3},
    {9, 2},
    {14, 1},
    {15, 0},
    {16, 1},
    {19, 2},
    {20, 1},
    {22, 2},
    {23, 4},
    {24, 0},
    {25, 8},
    {26, 0},
    {27, 0},
    {28, 0},
    {29, 0},
    {34, 0},
    {35, 0},
    {36, floatBits(0.0f)},
    {37, floatBits(1.0f)},
    {38, floatBits(1.0f)},
    {48, 0},
    {52, 0},
    {53, 1},
    {54, 1},
    {55, 1},
    {56, 8},
    {57, 0},
    {58, 0xFFFFFFFF},
    {59, 0xFFFFFFFF},
    {60, 0xFFFFFFFF},
    {128, 0},
    {129, 0},
    {130, 0},
    {131, 0},
    {132, 0},
    {133, 0},
    {134, 0},
    {135, 0},
    {136, 1},
    {137, 0},
    {139, 0},
    {140, 0},
    {141, 1},
    {142, 1},
    {143, 0},
    {145, 1},
    {146, 2},
    {147, 0},
    {148, 0},
    {151, 0},
    {152, 0},
    {155, floatBits(1.0f)},
    {156, 0},
    {157, 0},
    {158, floatBits(1.0f)},
    {159, floatBits(0.0f)},
    {160, floatBits(0.0f)},
    {161, 1},
    {162, 0xFFFFFFFF},
    {163, 0},
    {166, floatBits(64.0f)},
    {167, 0},
    {168, 15},
    {170, floatBits(0.0f)},
    {171, 1},
    {172, 3},
    {173, 1},
    {174, 0},
    {175, 0},
    {176, 0},
    {178, floatBits(1.0f)},
    {179, floatBits(1.0f)},
    {180, floatBits(0.0f)},
    {181, floatBits(0.0f)},
    {182, floatBits(1.0f)},
    {183, floatBits(0.0f)},
    {184, 0},
    {185, 0},
    {186, 1},
    {187, 1},
    {188, 1},
    {189, 8},
    {190, 15},
    {191, 15},
    {192, 15},
    {193, 0xFFFFFFFF},
    {194, 0},
    {195, 0},
    {198, 0},
    {199, 0},
    {200, 0},
    {201, 0},
    {202, 0},
    {203, 0},
    {204, 0},
    {205, 0},
    {206, 0},
    {207, 2},
    {208, 1},
    {209, 1},
};
static_assert(std::size(kRenderDefaults) == 101);

constexpr uint32_t kSamplerDefaults[L3DDevice::SamplerStateCount] = {
    0, 3, 3, 3, 0, 2, 2, 2, 0xBFC00000 /* -1.5 */, 0, 1, 0, 0, 0};

// Texture-stage defaults for stage 0; `supported` marks the rows that may be set.
struct StageDefault {
    uint32_t state;
    uint32_t value;
};
constexpr StageDefault kStageDefaults[] = {
    {1, 4},  {2, 2},  {3, 1},  {4, 4},  {5, 2},  {6, 1},  {7, 0},  {8, 0},  {9, 0},
    {10, 0}, {11, 0}, {22, 0}, {23, 0}, {24, 0}, {26, 1}, {27, 1}, {28, 1}, {32, 0},
};

}  // namespace

void L3DDevice::SetStateRender(uint32_t state, uint32_t value) {
    if (state >= RenderStateCount)
        l3dError(DSjis<"[L3DDevice::SetStateRender] サポート外のレンダーステート">());
    auto& row = renderStates_.rows[state];
    if (!(row.flags & row.Supported))
        l3dError(DSjis<"[L3DDevice::SetStateRender] サポート外のレンダーステート2">());
    renderStates_.record(row, value);
}

void L3DDevice::SetStateSampler(uint32_t sampler, uint32_t state, uint32_t value) {
    if (sampler >= StageCount)
        l3dError(DSjis<"[L3DDevice::SetStateSampler] サポート外のテクスチャ番号">());
    if (state >= SamplerStateCount)
        l3dError(DSjis<"[L3DDevice::SetStateSampler] サポート外のサンプラーステート">());
    auto& row = samplerStates_.rows[sampler * SamplerStateCount + state];
    if (!(row.flags & row.Supported))
        l3dError(DSjis<"[L3DDevice::SetStateSampler] サポート外のサンプラーステート2">());
    samplerStates_.record(row, value);
}

void L3DDevice::SetStateTexStage(uint32_t stage, uint32_t state, uint32_t value) {
    if (stage >= StageCount)
        l3dError(DSjis<"[L3DDevice::SetStateTexStage] サポート外のテクスチャ番号">());
    if (state >= StageStateCount)
        l3dError(DSjis<"[L3DDevice::SetStateTexStage] サポート外のテクスチャステージステート">());
    auto& row = stageStates_.rows[stage * StageStateCount + state];
    if (!(row.flags & row.Supported))
        l3dError(DSjis<"[L3DDevice::SetStateTexStage] サポート外のテクスチャステージステート2">());
    stageStates_.record(row, value);
}

void L3DDevice::SetStateTexture(uint32_t stage, IDirect3DBaseTexture9* texture) {
    if (stage >= StageCount) l3dError(DSjis<"[L3DDevice::SetStateTexture] 不正なテクスチャ番号">());
    auto& row = textureStates_.rows[stage];
    if (!(row.flags & row.Supported))
        l3dError(DSjis<"[L3DDevice::SetStateTexture] サポート外のテクスチャ2">());
    textureStates_.record(row, texture);
}

void L3DDevice::ApplyStates() {
    renderStates_.flush([&](const auto& row) {
        device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(row.state), row.value);
    });
    samplerStates_.flush([&](const auto& row) {
        device_->SetSamplerState(row.unit, static_cast<D3DSAMPLERSTATETYPE>(row.state), row.value);
    });
    stageStates_.flush([&](const auto& row) {
        device_->SetTextureStageState(row.unit, static_cast<D3DTEXTURESTAGESTATETYPE>(row.state),
                                      row.value);
    });
    textureStates_.flush([&](const auto& row) { device_->SetTexture(row.unit, row.value); });
    if (wantedFvf_ != appliedFvf_) {
        appliedFvf_ = wantedFvf_;
        device_->SetFVF(appliedFvf_);
    }
}

void L3DDevice::ResetStates() {
    renderStates_.resetToDefaults();
    samplerStates_.resetToDefaults();
    stageStates_.resetToDefaults();
    textureStates_.resetToDefaults();
    wantedFvf_ = DefaultFvf;
}

void L3DDevice::_InitStateTables() {
    renderStates_ = {};
    samplerStates_ = {};
    stageStates_ = {};
    textureStates_ = {};
    for (const StateDefault& entry : kRenderDefaults) {
        auto& row = renderStates_.rows[entry.state];
        row.flags = row.Supported;
        row.state = entry.state;
        row.defaultValue = entry.value;
    }
    for (uint32_t unit = 0; unit < StageCount; ++unit) {
        for (uint32_t state = 1; state < SamplerStateCount; ++state) {
            auto& row = samplerStates_.rows[unit * SamplerStateCount + state];
            row.flags = row.Supported;
            row.unit = unit;
            row.state = state;
            row.defaultValue = kSamplerDefaults[state];
        }
        for (const StageDefault& entry : kStageDefaults) {
            auto& row = stageStates_.rows[unit * StageStateCount + entry.state];
            row.flags = row.Supported;
            row.unit = unit;
            row.state = entry.state;
            row.defaultValue = entry.value;
            if (unit != 0 && (entry.state == 1 || entry.state == 4)) row.defaultValue = 1;
            if (entry.state == 11) row.defaultValue = unit;
        }
        auto& texture = textureStates_.rows[unit];
        texture.flags = texture.Supported;
        texture.unit = unit;
    }
    _InitStates();
}

void L3DDevice::_InitStates() {
    renderStates_.initialise([&](const auto& row) {
        device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(row.state), row.value);
    });
    samplerStates_.initialise([&](const auto& row) {
        device_->SetSamplerState(row.unit, static_cast<D3DSAMPLERSTATETYPE>(row.state), row.value);
    });
    stageStates_.initialise([&](const auto& row) {
        device_->SetTextureStageState(row.unit, static_cast<D3DTEXTURESTAGESTATETYPE>(row.state),
                                      row.value);
    });
    textureStates_.initialise([&](const auto& row) { device_->SetTexture(row.unit, nullptr); });
    wantedFvf_ = appliedFvf_ = DefaultFvf;
    device_->SetFVF(DefaultFvf);
    vertexShader_ = nullptr;
    device_->SetVertexShader(nullptr);
    softwareVertexProcessing_ = 0;
    device_->SetSoftwareVertexProcessing(FALSE);
    pixelShader_ = nullptr;
    device_->SetPixelShader(nullptr);
    streamSource_ = nullptr;
    device_->SetStreamSource(0, nullptr, 0, 0);
    indices_ = nullptr;
    device_->SetIndices(nullptr);
}

void L3DDevice::SetVShader(uint8_t software, IDirect3DVertexShader9* shader) {
    if (software != softwareVertexProcessing_) {
        softwareVertexProcessing_ = software;
        device_->SetSoftwareVertexProcessing(software);
    }
    if (shader == vertexShader_) return;
    // Between fixed-function and shader processing the vertex format must be sent again.
    if ((shader == nullptr) != (vertexShader_ == nullptr)) appliedFvf_ = wantedFvf_ == 0 ? 1 : 0;
    vertexShader_ = shader;
    device_->SetVertexShader(shader);
}

void L3DDevice::SetPShader(IDirect3DPixelShader9* shader) {
    if (shader == pixelShader_) return;
    pixelShader_ = shader;
    device_->SetPixelShader(shader);
}

void L3DDevice::SetStreamSource(IDirect3DVertexBuffer9* buffer, uint32_t stride) {
    if (buffer == streamSource_) return;
    streamSource_ = buffer;
    device_->SetStreamSource(0, buffer, 0, stride);
}

void L3DDevice::SetIndices(IDirect3DIndexBuffer9* buffer) {
    if (buffer == indices_) return;
    indices_ = buffer;
    device_->SetIndices(buffer);
}

void L3DDevice::DrawTriangles(const void* vertices, uint32_t triangleCount) {
    device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, triangleCount, vertices, 56);
    streamSource_ = nullptr;
    indices_ = nullptr;
}

void L3DDevice::DrawIndexedUP(uint32_t stride, D3DPRIMITIVETYPE type, uint32_t vertexCount,
                              uint32_t primitiveCount, const uint16_t* indices,
                              const void* vertices) {
    device_->DrawIndexedPrimitiveUP(type, 0, vertexCount, primitiveCount, indices, D3DFMT_INDEX16,
                                    vertices, stride);
    streamSource_ = nullptr;
    indices_ = nullptr;
}

void L3DDevice::SetVSConstants(uint32_t registerCount, uint32_t firstRegister, const float* data) {
    device_->SetVertexShaderConstantF(firstRegister, data, registerCount);
}

void L3DDevice::DrawIndexed(uint32_t primitiveCount, D3DPRIMITIVETYPE type, uint32_t vertexCount) {
    device_->DrawIndexedPrimitive(type, 0, 0, vertexCount, 0, primitiveCount);
}
