// Every request kind over the test scene at 160 × 120, against golden frames that were looked
// at: glows around the bright block and bars, the blurred diffuse look, the three colourings,
// the zoom blur toward the centre and the shimmer's distortion.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/render3d/posteffect/posteffect_fixture.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

using PostEffectGolden = PostEffectTest;

const POSTEFFECT_LEVEL kGlow[4] = {{0, 0.6f}, {2, 0.5f}, {4, 0.5f}, {6, 0.5f}};

TEST_F(PostEffectGolden, EveryKindOverTheTestScene) {
    start(160, 120);
    addNoise(u"noise0", 16, 16, 11);
    POSTEFFECT_BRIGHT_PARAMS bright{0.6f, {}};
    POSTEFFECT_BIAS_PARAMS diffuse{{}, 0.1f};
    POSTEFFECT_LEVEL_PARAMS alpha{};
    std::memcpy(bright.levels, kGlow, sizeof kGlow);
    std::memcpy(diffuse.levels, kGlow, sizeof kGlow);
    std::memcpy(alpha.levels, kGlow, sizeof kGlow);
    const POSTEFFECT_SHIMMER_PARAMS shimmer{u"noise0", 0.25f, 0.25f, 0.03f,
                                            0.03f,     0.01f, 0.02f, 1.0f};
    struct Case {
        const char* name;
        std::function<void(PostEffect&)> add;
    };
    const Case cases[] = {
        {"none", [](PostEffect&) {}},
        {"bright", [&](PostEffect& e) { e.addBrightRequest(bright); }},
        {"diffuse", [&](PostEffect& e) { e.addBiasRequest(diffuse); }},
        {"overlay",
         [](PostEffect& e) {
             e.addOverlayRequest({1.0f, 0.6f, 0.2f, 0.6f});
         }},
        {"softlight",
         [](PostEffect& e) {
             e.addSoftlightRequest({0.2f, 0.5f, 0.9f, 0.8f});
         }},
        {"hardlight",
         [](PostEffect& e) {
             e.addHardlightRequest({0.8f, 0.3f, 0.6f, 0.7f});
         }},
        {"zoomblur",
         [](PostEffect& e) {
             e.addZoomBlurRequest({0.5f, 0.5f, 0.015f, 0.85f, 0.37f, 0, 100, 200});
             e.animate();
         }},
        {"shimmer",
         [&](PostEffect& e) {
             e.addShimmerRequest(shimmer);
             e.animate();
         }},
        {"alphabloom", [&](PostEffect& e) { e.addAlphaBloomRequest(alpha); }},
    };
    for (const Case& c : cases) {
        c.add(*effect_);
        frame();
        EXPECT_TRUE(matchesGolden({160, 120, backBufferPixels()}, "render3d/posteffect", c.name,
                                  GoldenTolerance::within(2)));
        effect_->clearQueue();
    }
}

}  // namespace
}  // namespace tessera::test
