#include "render3d/L3DRenderer.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "foundation/DSjisText.h"
#include "foundation/pack/DMFile.h"
#include "render3d/L3DAnimInstMat.h"
#include "render3d/L3DDevice.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/DsndManager.h"
#include "sound/LSeManager.h"

using mirel::DFile;
using mirel::DSjis;
using mirel::rcptr;

namespace {

constexpr uint32_t kConstructionSeed = 4357;

uint32_t calendarSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }

}  // namespace

L3DRenderer::TimeSource L3DRenderer::timeSource = calendarSeconds;

L3DRenderer::L3DRenderer() { L3DRandom::Seed(kConstructionSeed, random); }

L3DRenderer::~L3DRenderer() { Release(); }

void L3DRenderer::_CreateCore(const rcptr<L3DDevice>& deviceHandle,
                              const rcptr<mirel::DsndManager>& soundManagerHandle, DFile& file) {
    device = deviceHandle;
    frameRate = FrameRate;
    soundManager = soundManagerHandle;
    L3DRandom::Seed(timeSource(), random);
    spareMatrix = LMat::Identity();
    fogEnable = 0;
    names = LResManager();

    mirel::DMFile archive;
    if (!archive.Open(file))
        l3dError(DSjis<"[L3DRenderer::Create] レンダリングシェーダファイルが開けない">());
    for (int32_t kind = 0; kind < kL3DShaderKinds; ++kind) {
        const L3DShaderKindRow& row = kL3DShaderTable[kind];
        vsBaseConstants[kind] = row.baseConstants;
        vsConstantsPerWeight[kind] = row.constantsPerWeight;
        for (int32_t variant = 0; variant < kL3DShaderVariants; ++variant) {
            DFile member;
            if (!archive.OpenData(member, l3dShaderMemberName(kind, variant).c_str()))
                l3dError(
                    DSjis<"[L3DRenderer::Create] レンダリングシェーダファイル\"%s\"が開けない">(),
                    row.name);
            vertexShaders[kind * kL3DShaderVariants + variant] = device->CreateVShader(member);
        }
    }
    for (int32_t kind = 0; kind < kL3DShaderKinds; ++kind) {
        const char* name = kL3DShaderTable[kind].pixelShader;
        if (!name) continue;
        DFile member;
        if (!archive.OpenData(member, name))
            l3dError(DSjis<"[L3DRenderer::Create] ピクセルシェーダファイル\"%s\"が開けない">(),
                     name);
        pixelShaders[kind] = device->CreatePShader(member);
    }

    defaultOption.shaderType = L3DShaderNormal;
    defaultOption.blendType = 0;
    defaultOption.edgeWidth = 0.0f;
    systemNnid = names.AddNnid("system");
    if (soundManager)
        seManager =
            std::make_unique<mirel::LSeManager>(soundManager.Get(), static_cast<float>(frameRate));
}

void L3DRenderer::Release() {
    effectManager.Reset();
    seManager.reset();
    // An instance's release takes it out of the list; one that stays is unlinked here, so
    // that the walk always ends.
    while (rcptr<L3DObjectInstance> first = instances._GetFirstRef()) {
        if (instanceRelease) instanceRelease(*first);
        if (instances._GetFirstRef() == first) instances.Erase(instances._GetFirstNode());
    }
    names = LResManager();
    systemNnid = nullptr;
    zsd.Release();
    skinPositions.Free();
    skinMatrices.Free();
    alphaRecords.Release();
    boneMatrices.Free();
    for (int32_t kind = 0; kind < kL3DShaderKinds; ++kind) {
        for (int32_t variant = 0; variant < kL3DShaderVariants; ++variant)
            vertexShaders[kind * kL3DShaderVariants + variant].Reset();
        pixelShaders[kind].Reset();
    }
    soundManager.Reset();
    device.Reset();
}

void L3DRenderer::ReleaseObjectInstance(const L3DObjectInstance* instance) {
    for (auto it = instances._GetFirstNode(); it != instances._GetEndNode(); it = it.Next()) {
        if (it.GetRef().Get() == instance) {
            instances.Erase(it);
            return;
        }
    }
}

void L3DRenderer::_StopVoices() {
    if (!seManager) return;
    while (mirel::LSeManager::_VOICEINFO* voice = seManager->_GetPlayingHead())
        seManager->_StopVoice(voice);
}

rcptr<L3DTexture> L3DRenderer::GetTexture(uint32_t pack, const char* name, bool mip) {
    const std::string key = std::to_string(pack) + "/" + name;
    rcptr<L3DTexture> texture = device->FindTexture(key.c_str());
    if (texture) return texture;
    return device->CreateTexturePack(key.c_str(), pack, name, mip);
}

void L3DRenderer::BindDefaultMaterial(L3D_ANIMINST_MAT& material) {
    material.option = rcptr<L3D_RENDERER_SHADEROPT>::NonOwning(&defaultOption);
    material.texture1.Reset();
    material.texture2.Reset();
    material.texture3.Reset();
}

void L3DRenderer::_SelectVShader(int32_t kind, int32_t variant) {
    const bool software = l3dUseSoftwareVertexProcessing(
        device->flags(), device->caps().MaxVertexShaderConst, kind, variant);
    const rcptr<L3DVShader>& shader = vertexShader(kind, variant);
    device->SetVShader(software ? 1 : 0, shader ? shader->shader : nullptr);
}
