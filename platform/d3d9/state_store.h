#pragma once
// The device's render, sampler and texture-stage states with their documented defaults.
// Every state is stored; only those the pipeline reads change what is drawn.
#include <array>

#include "platform/d3d9/d3d9_enums.h"

namespace platform::d3d9 {

constexpr UINT kStageCount = 4;  // texture stages and samplers
constexpr DWORD kSamplerStateLimit = D3DSAMP_DMAPOFFSET + 1;
constexpr DWORD kStageStateLimit = D3DTSS_CONSTANT + 1;

bool isRenderState(DWORD state);
bool isSamplerState(DWORD state);
bool isStageState(DWORD state);

struct StateStore {
    std::array<DWORD, 256> render{};
    std::array<std::array<DWORD, kSamplerStateLimit>, kStageCount> sampler{};
    std::array<std::array<DWORD, kStageStateLimit>, kStageCount> stage{};

    // D3D9's defaults; ZENABLE is TRUE only with an automatic depth-stencil surface.
    void setDefaults(bool autoDepthStencil);
};

DWORD floatBits(float value);
float bitsFloat(DWORD bits);

}  // namespace platform::d3d9
