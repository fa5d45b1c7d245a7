// The shader passes: each prepares the device for one draw record (states of the blend type,
// fog, texture stages, vertex shader, textures and the constants its shader reads).
#include "render3d/shader_pass.h"

#include <vector>

#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DAnimInstMat.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/blend_types.h"
#include "render3d/pass_constants.h"
#include "render3d/pass_stages.h"
#include "render3d/shader_pass_select.h"

using namespace platform::d3d9;

namespace {

const L3DVec4 kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

L3DVec4 colour(const float c[4]) { return {c[0], c[1], c[2], c[3]}; }

// The direction (v, 0) taken into the world matrix's object space and normalised.
void toObjectSpace(const float v[3], const LMat& inverseWorld, float out[3]) {
    LVec r{};
    r.x = v[0] * inverseWorld.m[0][0] + v[1] * inverseWorld.m[1][0] + v[2] * inverseWorld.m[2][0];
    r.y = v[0] * inverseWorld.m[0][1] + v[1] * inverseWorld.m[1][1] + v[2] * inverseWorld.m[2][1];
    r.z = v[0] * inverseWorld.m[0][2] + v[1] * inverseWorld.m[1][2] + v[2] * inverseWorld.m[2][2];
    LVec::Normalize(r, r);
    out[0] = r.x;
    out[1] = r.y;
    out[2] = r.z;
}

// The clip-space origin taken back through the inverse of a view-projection, normalised.
void originDirection(const LMat& inverse, float out[3]) {
    LVec e{};
    LMat::TransformCoord({0.0f, 0.0f, 0.0f}, inverse, e);
    LVec::Normalize(e, e);
    out[0] = e.x;
    out[1] = e.y;
    out[2] = e.z;
}

// The first and second colour of the option types that carry them.
void optionColours(const L3D_RENDERER_SHADEROPT& option, L3DVec4& colour1, L3DVec4& colour2) {
    const float* c1 = nullptr;
    const float* c2 = nullptr;
    switch (option.shaderType) {
    case L3DShaderNormal: {
        const auto& o = static_cast<const L3D_RENDERER_SHADEROPT_NORMAL&>(option);
        c1 = o.color1;
        c2 = o.color2;
        break;
    }
    case L3DShaderHighlight: {
        const auto& o = static_cast<const L3D_RENDERER_SHADEROPT_HIGHLIGHT&>(option);
        c1 = o.color1;
        c2 = o.color2;
        break;
    }
    case L3DShaderFurlight: {
        const auto& o = static_cast<const L3D_RENDERER_SHADEROPT_FURLIGHT&>(option);
        c1 = o.color1;
        c2 = o.color2;
        break;
    }
    case L3DShaderMap3: {
        const auto& o = static_cast<const L3D_RENDERER_SHADEROPT_MAP3&>(option);
        c1 = o.color1;
        c2 = o.color2;
        break;
    }
    default:
        colour1 = colour2 = kWhite;
        return;
    }
    colour1 = colour(c1);
    colour2 = colour(c2);
}

IDirect3DBaseTexture9* d3dTexture(const L3DTexture* texture) {
    return texture ? texture->texture : nullptr;
}

}  // namespace

bool L3DRenderer::_SetShaderPass(uint32_t pass, const L3DShaderPassRecord& record,
                                 uint32_t drawFlags) {
    const L3D_RENDERER_SHADEROPT& option = *record.material->option;
    const L3DPassCaps caps = {device->caps().MaxSimultaneousTextures,
                              (device->flags() & L3DDevice::FlagPixelShader) != 0};
    const L3DPassChoice choice = l3dSelectShaderPass(
        option.shaderType, caps, (record.flags & L3DShaderPassRecord::FlagThreeUvSets) != 0);
    L3DVec4 colour1 = kWhite;
    L3DVec4 colour2 = kWhite;
    if (!choice.whiteColours) optionColours(option, colour1, colour2);
    switch (choice.pass) {
    case L3DShaderNormal:
        return _DrawNormalPass(pass, record, drawFlags, colour1, colour2);
    case L3DShaderTexlight:
        return _DrawTexLightPass(pass, record, drawFlags, texlightFactor(option));
    default:
        return drawPass(choice.pass, pass, record, drawFlags, colour1, colour2, 0.0f);
    }
}

bool L3DRenderer::_DrawNormalPass(uint32_t pass, const L3DShaderPassRecord& record,
                                  uint32_t drawFlags, const L3DVec4& colour1,
                                  const L3DVec4& colour2) {
    return drawPass(L3DShaderNormal, pass, record, drawFlags, colour1, colour2, 0.0f);
}

bool L3DRenderer::_DrawTexLightPass(uint32_t pass, const L3DShaderPassRecord& record,
                                    uint32_t drawFlags, float factor) {
    return drawPass(L3DShaderTexlight, pass, record, drawFlags, {}, {}, factor);
}

float L3DRenderer::texlightFactor(const L3D_RENDERER_SHADEROPT& option) {
    switch (option.shaderType) {
    case L3DShaderTexlight:
        return static_cast<const L3D_RENDERER_SHADEROPT_TEXLIGHT&>(option).factor1;
    case L3DShaderTexhighlight:
        return static_cast<const L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT&>(option).factor1;
    default:
        return static_cast<const L3D_RENDERER_SHADEROPT_TEXFURLIGHT&>(option).factor1;
    }
}

bool L3DRenderer::drawPass(L3DShaderKind kind, uint32_t pass, const L3DShaderPassRecord& record,
                           uint32_t drawFlags, L3DVec4 colour1, L3DVec4 colour2,
                           float texlightFactor) {
    if (pass != 0) return false;
    const L3D_ANIMINST_MAT& material = *record.material;
    const L3D_RENDERER_SHADEROPT& option = *material.option;
    L3DDevice& d = *device;
    d.ResetStates();
    if (fogEnable) {
        d.SetStateRender(D3DRS_FOGENABLE, TRUE);
        d.SetStateRender(D3DRS_FOGCOLOR, fogColor);
    } else {
        d.SetStateRender(D3DRS_FOGENABLE, FALSE);
    }
    l3dApplyBlendType(d, option.blendType);
    l3dApplyPassStageOps(d, kind);
    _SelectVShader(kind, static_cast<int32_t>(record.weightCount));

    if (!(drawFlags & L3DPassKeepTextures)) {
        const bool wrap =
            option.addressFlag == 1 || (record.flags & L3DShaderPassRecord::FlagWrap) != 0;
        L3DTexture* stageTextures[3] = {record.baseTexture, material.texture2.Get(),
                                        material.texture3.Get()};
        const uint32_t stages = kind == L3DShaderMap3 ? 3 : 1;
        for (uint32_t stage = 0; stage < stages; ++stage) {
            if (stageTextures[stage] && wrap) {
                d.SetStateSampler(stage, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
                d.SetStateSampler(stage, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
            }
            d.SetStateTexture(stage, d3dTexture(stageTextures[stage]));
        }
        if (kind == L3DShaderMap3) {
            const mirel::rcptr<L3DPShader>& shader = pixelShaders[L3DShaderMap3];
            d.SetPShader(shader ? shader->shader : nullptr);
        }
    }

    if (l3dBlendTypeZeroesAlpha(option.blendType)) {
        colour1[3] = 0.0f;
        colour2[3] = 0.0f;
    }
    uploadPassConstants(kind, record, option, colour1, colour2, texlightFactor);

    switch (kind) {
    case L3DShaderHighlight:
    case L3DShaderFurlight:
    case L3DShaderTexlight:
        d.SetStateTexture(1, d3dTexture(material.texture2.Get()));
        break;
    case L3DShaderTexhighlight:
    case L3DShaderTexfurlight:
        d.SetStateTexture(1, d3dTexture(material.texture2.Get()));
        d.SetStateTexture(2, d3dTexture(material.texture3.Get()));
        break;
    default:
        break;
    }
    return true;
}

void L3DRenderer::uploadPassConstants(L3DShaderKind kind, const L3DShaderPassRecord& record,
                                      const L3D_RENDERER_SHADEROPT& option, const L3DVec4& colour1,
                                      const L3DVec4& colour2, float texlightFactor) {
    const bool skinned = record.weightCount > 0;
    L3DPassInputs in{};
    in.colour1 = colour1;
    in.colour2 = colour2;
    in.fog1 = fogParams[0];
    in.fog2 = fogParams[1];
    in.factor1 = texlightFactor;

    const float* fur = nullptr;
    switch (kind) {
    case L3DShaderHighlight:
        in.power = static_cast<const L3D_RENDERER_SHADEROPT_HIGHLIGHT&>(option).power;
        break;
    case L3DShaderFurlight: {
        const auto& o = static_cast<const L3D_RENDERER_SHADEROPT_FURLIGHT&>(option);
        in.power = o.power;
        fur = o.furVector;
        break;
    }
    case L3DShaderTexhighlight: {
        const auto& o = static_cast<const L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT&>(option);
        in.factor1 = o.factor1;
        in.factor2 = o.factor2;
        break;
    }
    case L3DShaderTexfurlight: {
        const auto& o = static_cast<const L3D_RENDERER_SHADEROPT_TEXFURLIGHT&>(option);
        in.factor1 = o.factor1;
        in.factor2 = o.factor2;
        fur = o.furVector;
        break;
    }
    default:
        break;
    }
    const bool needsEye = kind == L3DShaderHighlight || kind == L3DShaderTexhighlight;

    if (skinned) {
        for (int i = 0; i < 3; ++i) in.light[i] = lightDir[i];
        if (fur)
            for (int i = 0; i < 3; ++i) in.fur[i] = fur[i];
        if (needsEye) {
            if (!(cacheFlags & L3DCacheInverseViewProjection)) {
                LMat::Inverse(viewProjection, inverseViewProjection);
                cacheFlags |= L3DCacheInverseViewProjection;
            }
            originDirection(inverseViewProjection, in.eye);
        }
        in.transform = viewProjectionT;
    } else {
        LMat inverseWorld;
        LMat::Inverse(record.world, inverseWorld);
        toObjectSpace(lightDir, inverseWorld, in.light);
        if (fur) toObjectSpace(fur, inverseWorld, in.fur);
        const LMat worldViewProjection = record.world * viewProjection;
        if (needsEye) {
            LMat inverse;
            LMat::Inverse(worldViewProjection, inverse);
            originDirection(inverse, in.eye);
        }
        LMat::Transpose(in.transform, worldViewProjection);
    }

    std::vector<L3DVec4> registers = l3dPassConstants(kind, skinned, in);
    if (skinned) {
        // An index past the matrices the drawing code stored reads as zero rows.
        const auto appendBone = [&](uint32_t entry) {
            if (entry >= static_cast<uint32_t>(boneMatrices.Capacity())) {
                registers.insert(registers.end(), 3, L3DVec4{});
                return;
            }
            const LMat& bone = boneMatrices[static_cast<int32_t>(entry)];
            for (int row = 0; row < 3; ++row)
                registers.push_back(
                    {bone.m[row][0], bone.m[row][1], bone.m[row][2], bone.m[row][3]});
        };
        appendBone(0);
        for (uint32_t index : record.boneIndices) appendBone(index);
    }
    device->SetVSConstants(static_cast<uint32_t>(registers.size()), 0, registers[0].data());
}
