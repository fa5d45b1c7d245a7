// The water settings: two scrolling noise textures and the powers with which the field
// engine's water surfaces distort the scene behind them.
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/LMat.h"
#include "render3d/posteffect/PostEffect.h"
#include "render3d/posteffect/noise_path.h"

POSTEFFECT_WATER* PostEffect::setWaterEffect(const POSTEFFECT_WATER_PARAMS& params) {
    if (!active()) return nullptr;
    Texture noise[2];
    for (int i = 0; i < 2; ++i) {
        char16_t path[48];
        postEffectNoisePath(params.noise[i].name, path);
        noise[i] = host_->loadTexture(path);
        if (!noise[i]) return nullptr;
    }
    if (!water_) water_ = new POSTEFFECT_WATER{};
    POSTEFFECT_WATER& w = *water_;
    w.redPowerX = params.redPowerX;
    w.redPowerY = params.redPowerY;
    w.greenPowerX = params.greenPowerX;
    w.greenPowerY = params.greenPowerY;
    w.bluePowerX = params.bluePowerX;
    w.bluePowerY = params.bluePowerY;
    w.brightMin = params.brightMin;
    w.brightScale =
        params.brightMax > params.brightMin ? 1.0f / (params.brightMax - params.brightMin) : 0.0f;
    for (int i = 0; i < 2; ++i) {
        const auto& from = params.noise[i];
        auto& to = w.noise[i];
        to.texture = noise[i];
        to.invSizeX = 1.0f / from.sizeX;
        to.invSizeY = 1.0f / from.sizeY;
        to.speedX = from.speedX;
        to.speedY = from.speedY;
        to.offsetX = -from.speedX;
        to.offsetY = -from.speedY;
    }
    return water_;
}

void PostEffect::releaseWaterEffect(POSTEFFECT_WATER* water) {
    if (!water) return;
    for (auto& noise : water->noise) noise.texture.Reset();
}

void PostEffect::dropWaterEffect() {
    if (!water_) return;
    releaseWaterEffect(water_);
    delete water_;
    water_ = nullptr;
}

void PostEffect::freeWater(POSTEFFECT_WATER_SURFACE* surface) { delete surface; }

void PostEffect::drawWater(POSTEFFECT_WATER_SURFACE& surface) {
    using namespace platform::d3d9;
    const L3DRenderer* renderer = active() ? host_->renderer() : nullptr;
    if (!water_ || !renderer || surface.indexCount < 3) return;
    // The scene drawn so far: texture A while the post effects redirect it, else the back
    // buffer.
    textureB_->CopyBackBuffer();
    const auto& n0 = water_->noise[0];
    const auto& n1 = water_->noise[1];
    for (uint32_t i = 0; i < surface.vertexCount; ++i) {
        const POSTEFFECT_VERTEX& from = surface.sourceVertices[i];
        POSTEFFECT_VERTEX& to = surface.workingVertices[i];
        to.uv[0][0] = from.uv[0][0] * n0.invSizeX + n0.offsetX;
        to.uv[0][1] = from.uv[0][1] * n0.invSizeY + n0.offsetY;
        to.uv[1][0] = from.uv[1][0] * n1.invSizeX + n1.offsetX;
        to.uv[1][1] = from.uv[1][1] * n1.invSizeY + n1.offsetY;
    }
    // Blending, fog or alpha test left by the scene's last draw must not apply to the water.
    device_->ResetStates();
    device_->SetFVF(POSTEFFECT_VERTEX::Fvf);
    device_->SetStateRender(D3DRS_ZWRITEENABLE, FALSE);
    device_->SetStateTexture(0, textureB_->texture);
    device_->SetStateTexture(1, n0.texture->texture);
    device_->SetStateTexture(2, n1.texture->texture);
    device_->SetStateSampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetStateSampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    for (uint32_t sampler = 1; sampler <= 2; ++sampler) {
        device_->SetStateSampler(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
        device_->SetStateSampler(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    }
    device_->ApplyStates();
    // Projected positions to back-buffer texture coordinates: u = 0.5 (x / w + 1),
    // v = 0.5 (1 - y / w).
    LMat translate = LMat::Identity();
    translate.m[3][0] = 1.0f;
    translate.m[3][1] = -1.0f;
    LMat scale;
    LMat::Scaling(scale, 0.5f, -0.5f, 1.0f);
    const LMat toScreen = renderer->viewProjection * translate * scale;
    LMat toScreenT;
    LMat::Transpose(toScreenT, toScreen);
    device_->SetVSConstants(4, 0, &renderer->viewProjectionT.m[0][0]);
    device_->SetVSConstants(4, 4, &toScreenT.m[0][0]);
    device_->SetVShader(0, shaders_.waterVs->shader);
    const float c[8] = {water_->redPowerX,   water_->redPowerY,  water_->greenPowerX,
                        water_->greenPowerY, water_->bluePowerX, water_->bluePowerY,
                        water_->brightMin,   water_->brightScale};
    device_->device()->SetPixelShaderConstantF(0, c, 2);
    device_->SetPShader(shaders_.waterPs->shader);
    device_->DrawIndexedUP(sizeof(POSTEFFECT_VERTEX), D3DPT_TRIANGLELIST, surface.vertexCount,
                           surface.indexCount / 3, surface.indices.data(),
                           surface.workingVertices.data());
    device_->SetVShader(0, nullptr);
    device_->SetPShader(nullptr);
}
