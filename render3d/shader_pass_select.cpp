#include "render3d/shader_pass_select.h"

#include "foundation/DSjisText.h"
#include "render3d/diagnostics/diagnostics.h"

namespace {

// TEXLIGHT with two stages, else the white NORMAL pass.
L3DPassChoice texturedFallback(uint32_t stages) {
    if (stages >= 2) return {L3DShaderTexlight, false};
    return {L3DShaderNormal, true};
}

}  // namespace

L3DPassChoice l3dSelectShaderPass(uint32_t shaderType, const L3DPassCaps& caps,
                                  bool threeTextureSets) {
    const uint32_t stages = caps.maxSimultaneousTextures;
    switch (shaderType) {
    case L3DShaderNormal:
        return {L3DShaderNormal, false};
    case L3DShaderHighlight:
    case L3DShaderFurlight:
        if (stages >= 2) return {static_cast<L3DShaderKind>(shaderType), false};
        return {L3DShaderNormal, false};
    case L3DShaderTexlight:
        return texturedFallback(stages);
    case L3DShaderTexhighlight:
    case L3DShaderTexfurlight:
        if (stages >= 3) return {static_cast<L3DShaderKind>(shaderType), false};
        return texturedFallback(stages);
    case L3DShaderMap3:
        if (caps.pixelShaders && stages >= 3 && threeTextureSets) return {L3DShaderMap3, false};
        return {L3DShaderNormal, false};
    default:
        l3dError(mirel::DSjis<"[L3DRenderer::_SetShaderPass] サポートしていない形式">());
    }
}
