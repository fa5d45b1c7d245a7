// The frame: where the scene goes, the chain of passes each request runs, set-up refusals,
// recovery after a lost device and the state reset before the passes.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/render3d/posteffect/posteffect_fixture.h"

namespace tessera::test {
namespace {

using PostEffectFrame = PostEffectTest;

bool recorded(const std::vector<std::string>& calls, const std::string& prefix) {
    for (const std::string& call : calls)
        if (call.rfind(prefix, 0) == 0) return true;
    return false;
}

const std::vector<std::string> kPyramid = {
    "copy>Q8[0]",   "copy>Q16[0]",   "copy>Q32[0]",   "gaussX>Q32[1]", "gaussY>Q32[0]",
    "add>Q16[2]",   "gaussX>Q16[1]", "gaussY>Q16[0]", "add>Q16[2]",    "copy>Q8[2]",
    "gaussX>Q8[1]", "gaussY>Q8[0]",  "add>Q8[2]",     "copy>Q4[2]",    "gaussX>Q4[1]",
    "gaussY>Q4[0]", "add>Q4[2]"};

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const POSTEFFECT_LEVEL kLevels[4] = {{1, 0.5f}, {2, 0.5f}, {3, 0.5f}, {4, 0.5f}};

TEST_F(PostEffectFrame, WithoutRequestsTheSceneStaysInTheBackBuffer) {
    start();
    recorder().setEnabled(true);
    effect_->beginFrame();
    EXPECT_EQ(device_->renderTarget(), device_->backBuffer());
    EXPECT_TRUE(recorded(calls(), "Clear(0, null, 2, 0, 1,"));
    recorder().clear();
    drawScene();
    const std::vector<uint32_t> scene = backBufferPixels();
    recorder().clear();
    effect_->render();
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(takePasses().empty());
    EXPECT_EQ(backBufferPixels(), scene);
}

TEST_F(PostEffectFrame, EachKindRunsItsChain) {
    start();
    addNoise(u"noise0", 16, 16, 1);
    struct Case {
        const char* name;
        std::function<void(PostEffect&)> add;
        std::vector<std::string> passes;
    };
    POSTEFFECT_BRIGHT_PARAMS bright{0.5f, {}};
    POSTEFFECT_BIAS_PARAMS bias{{}, 0.1f};
    POSTEFFECT_LEVEL_PARAMS alpha{};
    std::memcpy(bright.levels, kLevels, sizeof kLevels);
    std::memcpy(bias.levels, kLevels, sizeof kLevels);
    std::memcpy(alpha.levels, kLevels, sizeof kLevels);
    POSTEFFECT_SHIMMER_PARAMS shimmer{u"noise0", 1, 1, 0.01f, 0.01f, 0.1f, 0.1f, 0.5f};
    const Case cases[] = {
        {"bright", [&](PostEffect& e) { e.addBrightRequest(bright); },
         join({{"brightDown4>Q4[0]"}, kPyramid, {"add>A", "copy>back"}})},
        {"diffuse", [&](PostEffect& e) { e.addBiasRequest(bias); },
         join({{"mulDown4>Q4[0]"}, kPyramid, {"diffuse>B", "copy>back"}})},
        {"overlay",
         [](PostEffect& e) {
             e.addOverlayRequest({1, 0, 0, 0.5f});
         },
         {"overlay>B", "copy>back"}},
        {"softlight",
         [](PostEffect& e) {
             e.addSoftlightRequest({1, 0, 0, 0.5f});
         },
         {"softlight>B", "copy>back"}},
        {"hardlight",
         [](PostEffect& e) {
             e.addHardlightRequest({1, 0, 0, 0.5f});
         },
         {"hardlight>B", "copy>back"}},
        {"zoom blur",
         [](PostEffect& e) {
             e.addZoomBlurRequest({0.5f, 0.5f, 0.1f, 0.9f, 0.1f, 2, 5, 9});
         },
         {"down4>Q4[0]", "zoomBlur>Q4[1]", "zoomBlur>Q4[2]", "zoomBlur>Q4[1]", "zoomBlur>Q4[2]",
          "blendTextureAlpha>A", "copy>back"}},
        {"shimmer",
         [&](PostEffect& e) { e.addShimmerRequest(shimmer); },
         {"shimmer>B", "blend>A", "copy>back"}},
        {"alpha bloom", [&](PostEffect& e) { e.addAlphaBloomRequest(alpha); },
         join({{"alphaDown4>Q4[0]"}, kPyramid, {"add>A", "copy>back"}})},
    };
    for (const Case& c : cases) {
        c.add(*effect_);
        frame();
        EXPECT_EQ(takePasses(), c.passes) << c.name;
        effect_->clearQueue();
    }
}

TEST_F(PostEffectFrame, TheSceneGoesToTextureAWhileRequestsAreQueued) {
    start();
    effect_->addOverlayRequest({1, 1, 1, 0.0f});
    effect_->beginFrame();
    ASSERT_NE(device_->renderTarget(), device_->backBuffer());
    drawScene();
    const uint32_t sceneTexel = texel(*effect_->textureA(), 70, 50);
    EXPECT_EQ(sceneTexel, 0xFFFFFFFFu);
    effect_->render();
    EXPECT_EQ(device_->renderTarget(), device_->backBuffer());
    // An overlay of alpha 0 leaves the scene as it was.
    EXPECT_EQ(backBufferPixels()[50 * 160 + 70] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(backBufferPixels()[50 * 160 + 20] & 0xFFFFFF, 0xE02010u);
}

TEST_F(PostEffectFrame, TwoOverlaysWorkOnEachOthersResult) {
    start();
    const L3DTexture* a = effect_->textureA().Get();
    effect_->addOverlayRequest({1, 1, 1, 0.5f});
    effect_->addOverlayRequest({0, 0, 0, 0.5f});
    frame();
    EXPECT_EQ(takePasses(), (std::vector<std::string>{"overlay>B", "overlay>B", "copy>back"}));
    EXPECT_EQ(effect_->textureA().Get(), a);  // exchanged twice
    // 0x10 red: white overlaid at half strength (0.094), then black at half strength (0.047).
    const uint32_t red = backBufferPixels()[5 * 160 + 5] >> 16 & 0xFF;
    EXPECT_NEAR(static_cast<int>(red), 12, 1);
}

TEST_F(PostEffectFrame, LevelsOfTooLittleAlphaAreSkipped) {
    start();
    POSTEFFECT_BRIGHT_PARAMS bright{0.5f, {{0, 0.5f}, {1, 0.0029f}, {2, 0.003f}, {3, 0.0f}}};
    effect_->addBrightRequest(bright);
    frame();
    EXPECT_EQ(takePasses(),
              (std::vector<std::string>{"brightDown4>Q4[0]", "copy>Q8[0]", "copy>Q16[0]",
                                        "copy>Q32[0]", "gaussX>Q16[1]", "gaussY>Q16[0]",
                                        "add>Q16[2]", "copy>Q8[2]", "copy>Q4[2]", "gaussX>Q4[1]",
                                        "gaussY>Q4[0]", "add>Q4[2]", "add>A", "copy>back"}));
}

TEST_F(PostEffectFrame, WithMultisamplingTheBackBufferIsCopiedIntoA) {
    start(160, 120, softwareAdapterProfile(), 1);
    ASSERT_NE(device_->windowParameters().MultiSampleType, D3DMULTISAMPLE_NONE);
    effect_->addOverlayRequest({1, 1, 1, 0.0f});
    effect_->beginFrame();
    EXPECT_EQ(device_->renderTarget(), device_->backBuffer());
    drawScene();
    recorder().setEnabled(true);
    effect_->render();
    EXPECT_TRUE(recorded(calls(), "StretchRect("));
    EXPECT_EQ(takePasses(), (std::vector<std::string>{"overlay>B", "copy>back"}));
    EXPECT_EQ(backBufferPixels()[50 * 160 + 70] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(backBufferPixels()[50 * 160 + 140] & 0xFFFFFF, 0x20C040u);
}

TEST_F(PostEffectFrame, SetupRefusesDevicesWithoutWhatThePassesNeed) {
    struct Case {
        const char* name;
        std::function<void(AdapterProfile&)> change;
        bool compatible;
    };
    const Case cases[] = {
        {"compatible rendering", [](AdapterProfile&) {}, true},
        {"X8R8G8B8 back buffer only",
         [](AdapterProfile& p) {
             std::erase_if(p.deviceTypes, [](const DeviceTypeSupport& t) {
                 return t.backBuffer != D3DFMT_X8R8G8B8;
             });
         },
         false},
        {"no separate alpha blend",
         [](AdapterProfile& p) { p.caps.PrimitiveMiscCaps &= ~D3DPMISCCAPS_SEPARATEALPHABLEND; },
         false},
        {"no shaders",
         [](AdapterProfile& p) {
             p.caps.VertexShaderVersion = 0;
             p.caps.PixelShaderVersion = 0;
         },
         false},
    };
    for (const Case& c : cases) {
        AdapterProfile profile = softwareAdapterProfile();
        c.change(profile);
        L3DDevice& device = createWindowed(profile);
        const uint32_t textures = device.textureCount();
        host_.device_ = &device;
        host_.mode_ = {160, 120, c.compatible};
        PostEffect effect;
        EXPECT_FALSE(effect.setup(&host_)) << c.name;
        EXPECT_FALSE(effect.active()) << c.name;
        EXPECT_EQ(device.textureCount(), textures) << c.name;
        device_.reset();
        l3dTerm();
        l3dReleaseDirect3D();
    }
}

TEST_F(PostEffectFrame, AnObjectThatIsNotSetUpDoesNothing) {
    createWindowed();
    PostEffect effect;
    EXPECT_EQ(effect.addOverlayRequest({1, 1, 1, 1}), nullptr);
    EXPECT_EQ(effect.addZoomBlurRequest({0.5f, 0.5f, 0.1f, 0.9f, 1, 2, 3, 4}), nullptr);
    EXPECT_EQ(effect.addShimmerRequest({u"noise0", 1, 1, 1, 1, 1, 1, 1}), nullptr);
    EXPECT_EQ(effect.setWaterEffect({}), nullptr);
    EXPECT_EQ(effect.firstRequest(), nullptr);
    effect.removeRequest(nullptr);
    effect.clearQueue();
    recorder().setEnabled(true);
    effect.animate();
    effect.beginFrame();
    effect.render();
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(effect.requestCount(), 0u);
}

TEST_F(PostEffectFrame, ALostDeviceComesBackBlack) {
    AdapterProfile profile = softwareAdapterProfile();
    std::shared_ptr<InjectedFailures> failures = profile.failures;
    start(160, 120, profile);
    effect_->addOverlayRequest({1, 1, 1, 0.0f});
    frame();
    EXPECT_EQ(texel(*effect_->textureA(), 70, 50) & 0xFFFFFF, 0xFFFFFFu);
    device_->device()->EndScene();
    failures->testCooperativeLevel = D3DERR_DEVICENOTRESET;
    ASSERT_TRUE(device_->Restore(true));
    failures->testCooperativeLevel = D3D_OK;
    ASSERT_EQ(effect_->textureA()->contentsLost, 1);
    ASSERT_EQ(device_->device()->BeginScene(), D3D_OK);
    effect_->clearQueue();
    effect_->beginFrame();
    for (uint32_t shift = 2; shift <= 5; ++shift)
        for (uint32_t i = 0; i < 4; ++i) {
            EXPECT_EQ(texel(*effect_->pyramid(shift, i), 0, 0), 0xFF000000u) << shift << i;
            EXPECT_EQ(effect_->pyramid(shift, i)->contentsLost, 0);
        }
    EXPECT_EQ(texel(*effect_->textureA(), 70, 50), 0xFF000000u);
    EXPECT_EQ(texel(*effect_->textureB(), 70, 50), 0xFF000000u);
}

TEST_F(PostEffectFrame, TheScenesLastStatesDoNotReachThePasses) {
    start();
    effect_->addOverlayRequest({1, 1, 1, 0.0f});
    effect_->beginFrame();
    drawScene();
    // Additive blending, alpha test and a second stage left by the scene's last draw.
    device_->SetStateRender(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetStateRender(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetStateRender(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device_->SetStateRender(D3DRS_ALPHATESTENABLE, TRUE);
    device_->SetStateRender(D3DRS_ALPHAREF, 0xFF);
    device_->SetStateRender(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device_->SetStateTexStage(2, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->ApplyStates();
    // Something already in the back buffer, which a blended or alpha-tested copy would keep.
    device_->SetRenderTarget(true, nullptr);
    device_->device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF404040, 1.0f, 0);
    device_->SetRenderTarget(true, effect_->textureA());
    effect_->render();
    // The copy to the back buffer replaced what was there.
    EXPECT_EQ(backBufferPixels()[50 * 160 + 70] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(backBufferPixels()[5 * 160 + 5] & 0xFFFFFF, 0x102040u);
}

}  // namespace
}  // namespace tessera::test
