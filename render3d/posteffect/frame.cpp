// Set-up and release, and the frame: the scene redirected into texture A, then each request's
// chain of passes and the copy back to the back buffer.
#include <cstddef>
#include <utility>

#include "render3d/L3DDevice.h"
#include "render3d/posteffect/PostEffect.h"

using namespace platform::d3d9;

namespace {

constexpr uint32_t kPoolBlock = 16;
constexpr float kMinLevelAlpha = 0.003f;
constexpr uint32_t kOpaqueBlack = 0xFF000000;

bool backBufferFormatFits(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A8B8G8R8 || format == D3DFMT_A4R4G4B4;
}

const D3DPRESENT_PARAMETERS& currentParameters(const L3DDevice& device) {
    return device.windowed() ? device.windowParameters() : device.fullScreenParameters();
}

bool multiSampling(const L3DDevice& device) {
    return currentParameters(device).MultiSampleType != D3DMULTISAMPLE_NONE;
}

}  // namespace

PostEffect::PostEffect() = default;

PostEffect::~PostEffect() { release(); }

const PostEffect::Texture& PostEffect::pyramid(uint32_t shift, uint32_t index) const {
    switch (shift) {
    case 2:
        return q4_[index & 3];
    case 3:
        return q8_[index & 3];
    case 4:
        return q16_[index & 3];
    default:
        return q32_[index & 3];
    }
}

bool PostEffect::setup(std::unique_ptr<PostEffectHost> host) {
    if (!setup(host.get())) return false;
    ownHost_ = std::move(host);
    return true;
}

bool PostEffect::setup(PostEffectHost* host) {
    release();
    L3DDevice& device = host->device();
    const PostEffectMode mode = host->mode();
    if (mode.compatibleRendering ||
        (device.flags() & (L3DDevice::FlagVertexShader | L3DDevice::FlagPixelShader)) !=
            (L3DDevice::FlagVertexShader | L3DDevice::FlagPixelShader) ||
        !backBufferFormatFits(currentParameters(device).BackBufferFormat) ||
        !(device.caps().PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND))
        return false;
    if (!shaders_.load(device)) {
        release();
        return false;
    }
    width_ = mode.width;
    height_ = mode.height;
    textureA_ = device.CreateTextureBack(width_, height_);
    textureB_ = device.CreateTextureBack(width_, height_);
    bool created = textureA_ && textureB_;
    Texture* arrays[4] = {q4_, q8_, q16_, q32_};
    for (uint32_t shift = 2; shift <= 5; ++shift)
        for (uint32_t i = 0; i < 4; ++i) {
            arrays[shift - 2][i] = device.CreateTextureBack(width_ >> shift, height_ >> shift);
            created = created && arrays[shift - 2][i];
        }
    if (!created) {
        release();
        return false;
    }
    host_ = host;
    device_ = &device;
    pelListInit(&requests_, offsetof(POSTEFFECT_REQUEST, link), &PostEffect::freeRequest, this);
    pelMempoolInit(&pool_, kPoolBlock, sizeof(POSTEFFECT_REQUEST), PEL_MEMPOOL_GROWABLE);
    zoomBlur_ = nullptr;
    shimmer_ = nullptr;
    water_ = nullptr;
    return true;
}

void PostEffect::release() {
    if (active()) {
        clearQueue();
        dropWaterEffect();
        pelMempoolDestroy(&pool_);
    }
    host_ = nullptr;
    ownHost_.reset();
    device_ = nullptr;
    shaders_.release();
    textureA_.Reset();
    textureB_.Reset();
    for (uint32_t i = 0; i < 4; ++i) {
        q4_[i].Reset();
        q8_[i].Reset();
        q16_[i].Reset();
        q32_[i].Reset();
    }
}

void PostEffect::beginFrame() {
    if (!active()) return;
    if (textureA_->contentsLost) {
        for (const Texture* t : {&textureA_, &textureB_}) (*t)->FillColor(kOpaqueBlack);
        for (uint32_t i = 0; i < 4; ++i)
            for (const Texture* t : {&q4_[i], &q8_[i], &q16_[i], &q32_[i]})
                (*t)->FillColor(kOpaqueBlack);
    }
    if (requests_.count != 0 && !multiSampling(*device_)) {
        device_->SetRenderTarget(true, textureA_);
        device_->SetViewportSize(width_, height_);
    }
    device_->device()->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
}

void PostEffect::swapScene() { std::swap(textureA_, textureB_); }

void PostEffect::runPyramid(const POSTEFFECT_LEVEL levels[4]) {
    const float w = static_cast<float>(width_);
    const float h = static_cast<float>(height_);
    const float w4 = w * 0.25f, h4 = h * 0.25f;
    const float w8 = w * 0.125f, h8 = h * 0.125f;
    const float w16 = w * 0.0625f, h16 = h * 0.0625f;
    const float w32 = w * 0.03125f, h32 = h * 0.03125f;
    passCopy({0.5f, 0.5f, w8, h8, 1.0f, 1.0f, w4, h4}, q8_[0], q4_[0]);
    passCopy({0.5f, 0.5f, w16, h16, 1.0f, 1.0f, w8, h8}, q16_[0], q8_[0]);
    passCopy({0.5f, 0.5f, w32, h32, 1.0f, 1.0f, w16, h16}, q32_[0], q16_[0]);
    q16_[2]->FillColor(0);
    if (levels[3].alpha >= kMinLevelAlpha) {
        const float rect[4] = {0.0f, 0.0f, w32, h32};
        passGauss(rect, levels[3].level, q32_[1], q32_[0], q32_[0]);
        passAdd({0.5f, 0.5f, w16, h16, 0.75f, 0.75f, w32, h32}, levels[3].alpha, q16_[2], q32_[0]);
    }
    if (levels[2].alpha >= kMinLevelAlpha) {
        const float rect[4] = {0.0f, 0.0f, w16, h16};
        passGauss(rect, levels[2].level, q16_[1], q16_[0], q16_[0]);
        passAdd({0.0f, 0.0f, w16, h16, 0.0f, 0.0f, w16, h16}, levels[2].alpha, q16_[2], q16_[0]);
    }
    passCopy({0.5f, 0.5f, w8, h8, 0.75f, 0.75f, w16, h16}, q8_[2], q16_[2]);
    if (levels[1].alpha >= kMinLevelAlpha) {
        const float rect[4] = {0.0f, 0.0f, w8, h8};
        passGauss(rect, levels[1].level, q8_[1], q8_[0], q8_[0]);
        passAdd({0.0f, 0.0f, w8, h8, 0.0f, 0.0f, w8, h8}, levels[1].alpha, q8_[2], q8_[0]);
    }
    passCopy({0.5f, 0.5f, w4, h4, 0.75f, 0.75f, w8, h8}, q4_[2], q8_[2]);
    if (levels[0].alpha >= kMinLevelAlpha) {
        const float rect[4] = {0.0f, 0.0f, w4, h4};
        passGauss(rect, levels[0].level, q4_[1], q4_[0], q4_[0]);
        passAdd({0.0f, 0.0f, w4, h4, 0.0f, 0.0f, w4, h4}, levels[0].alpha, q4_[2], q4_[0]);
    }
}

void PostEffect::runChain(POSTEFFECT_REQUEST& request) {
    const float w = static_cast<float>(width_);
    const float h = static_cast<float>(height_);
    const float w4 = w * 0.25f, h4 = h * 0.25f;
    const POSTEFFECT_RECT down = {0.5f, 0.5f, w4, h4, 1.0f, 1.0f, w, h};
    const POSTEFFECT_RECT glow = {0.5f, 0.5f, w, h, 1.125f, 1.125f, w4, h4};
    const POSTEFFECT_RECT whole = {0.0f, 0.0f, w, h, 0.0f, 0.0f, w, h};
    switch (request.kind) {
    case POSTEFFECT_REQUEST::Bright:
        passBrightDown4(down, request.bright.threshold, q4_[0], textureA_);
        runPyramid(request.bright.levels);
        passAdd(glow, 1.0f, textureA_, q4_[2]);
        break;
    case POSTEFFECT_REQUEST::Diffuse:
        passMulDown4(down, q4_[0], textureA_);
        runPyramid(request.diffuse.levels);
        passDiffuse({0.5f, 0.5f, w, h, 0.5f, 0.5f, w, h, 1.125f, 1.125f, w4, h4},
                    request.diffuse.bias, textureB_, textureA_, q4_[2]);
        swapScene();
        break;
    case POSTEFFECT_REQUEST::Overlay:
        passOverlay(whole, request, textureB_, textureA_);
        swapScene();
        break;
    case POSTEFFECT_REQUEST::Softlight:
        passSoftlight(whole, request, textureB_, textureA_);
        swapScene();
        break;
    case POSTEFFECT_REQUEST::Hardlight:
        passHardlight(whole, request, textureB_, textureA_);
        swapScene();
        break;
    case POSTEFFECT_REQUEST::ZoomBlur: {
        passDown4(down, q4_[0], textureA_);
        const POSTEFFECT_RECT quarter = {0.0f, 0.0f, w4, h4, 0.0f, 0.0f, w4, h4};
        passZoomBlur(quarter, request, q4_[1], q4_[0]);
        passZoomBlur(quarter, request, q4_[2], q4_[1]);
        passZoomBlur(quarter, request, q4_[1], q4_[2]);
        passZoomBlur(quarter, request, q4_[2], q4_[1]);
        passBlendTextureAlpha({0.5f, 0.5f, w, h, 0.125f, 0.125f, w4, h4}, request.zoom.intensity,
                              textureA_, q4_[2]);
        break;
    }
    case POSTEFFECT_REQUEST::Shimmer: {
        const auto& s = request.shimmer;
        passShimmer(
            {0.0f, 0.0f, w, h, 0.0f, 0.0f, w, h, s.offsetX, s.offsetY, s.uvWidth, s.uvHeight},
            request, textureB_, textureA_, shimmerTexture_);
        passBlend(whole, s.alpha, textureA_, textureB_);
        break;
    }
    case POSTEFFECT_REQUEST::AlphaBloom:
        passAlphaDown4(down, q4_[0], textureA_);
        runPyramid(request.alphaBloom.levels);
        passAdd(glow, 1.0f, textureA_, q4_[2]);
        break;
    default:
        break;
    }
}

void PostEffect::render() {
    if (!active() || requests_.count == 0) return;
    setPassStates(*device_);
    if (multiSampling(*device_)) textureA_->CopyBackBuffer();
    for (POSTEFFECT_REQUEST* request = firstRequest(); request; request = nextRequest(request))
        runChain(*request);
    const float w = static_cast<float>(width_);
    const float h = static_cast<float>(height_);
    passCopy({0.0f, 0.0f, w, h, 0.0f, 0.0f, w, h}, nullptr, textureA_);
    device_->SetVShader(0, nullptr);
    device_->SetPShader(nullptr);
    device_->SetRenderTarget(true, nullptr);
}
