#pragma once
// What one shader pass reads of the part instance and the draw record it prepares the device
// for; the drawing code fills it from its own records.
#include <cstdint>
#include <span>

#include "render3d/LMat.h"

struct L3D_ANIMINST_MAT;
struct L3DTexture;

struct L3DShaderPassRecord {
    static constexpr uint32_t FlagWrap = 0x10;         // wrap addressing on the base texture
    static constexpr uint32_t FlagThreeUvSets = 0x20;  // 72-byte vertices with uv0..uv2

    LMat world{};  // entry 0 of the part instance's matrix list
    const L3D_ANIMINST_MAT* material = nullptr;
    uint32_t weightCount = 0;  // blend weights per vertex, 0 to 4
    uint32_t flags = 0;
    L3DTexture* baseTexture = nullptr;      // stage 0, or none
    std::span<const uint32_t> boneIndices;  // the part's bone-index list
};

// Draw flags of the passes: bit 0 leaves the textures of stage 0 (and MAP3's pixel shader)
// as they are.
inline constexpr uint32_t L3DPassKeepTextures = 0x1;
