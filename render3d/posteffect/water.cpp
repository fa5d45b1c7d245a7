// The water settings: two scrolling noise textures and the powers with which the field
// engine's water surfaces distort the scene behind them.
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
