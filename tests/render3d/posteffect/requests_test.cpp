// The request queue: what each add stores, the singletons, removal and the per-frame
// animation.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/render3d/posteffect/posteffect_fixture.h"

namespace tessera::test {
namespace {

using PostEffectRequests = PostEffectTest;

POSTEFFECT_SHIMMER_PARAMS shimmerParams(const char16_t* name, float power) {
    POSTEFFECT_SHIMMER_PARAMS p{};
    std::memcpy(p.name, name, std::char_traits<char16_t>::length(name) * 2);
    p.sizeX = 2.0f;
    p.sizeY = 4.0f;
    p.powerX = power;
    p.powerY = power;
    p.speedX = 0.25f;
    p.speedY = -0.5f;
    p.alpha = 0.75f;
    return p;
}

std::vector<POSTEFFECT_REQUEST*> queue(PostEffect& effect) {
    std::vector<POSTEFFECT_REQUEST*> out;
    for (POSTEFFECT_REQUEST* r = effect.firstRequest(); r; r = effect.nextRequest(r))
        out.push_back(r);
    return out;
}

TEST_F(PostEffectRequests, BloomLevelsAboveSevenAreStoredAsSeven) {
    start();
    const POSTEFFECT_LEVEL levels[4] = {{12, 0.5f}, {7, 0.25f}, {0, 0.1f}, {8, 0.0f}};
    POSTEFFECT_BRIGHT_PARAMS bright{0.6f, {}};
    POSTEFFECT_BIAS_PARAMS bias{{}, 0.2f};
    POSTEFFECT_LEVEL_PARAMS alpha{};
    std::memcpy(bright.levels, levels, sizeof levels);
    std::memcpy(bias.levels, levels, sizeof levels);
    std::memcpy(alpha.levels, levels, sizeof levels);
    const POSTEFFECT_REQUEST* stored[3] = {effect_->addBrightRequest(bright),
                                           effect_->addBiasRequest(bias),
                                           effect_->addAlphaBloomRequest(alpha)};
    const POSTEFFECT_LEVEL* read[3] = {stored[0]->bright.levels, stored[1]->diffuse.levels,
                                       stored[2]->alphaBloom.levels};
    const uint32_t expected[4] = {7, 7, 0, 7};
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(read[k][i].level, expected[i]) << k << " level " << i;
            EXPECT_EQ(read[k][i].alpha, levels[i].alpha) << k << " level " << i;
        }
    EXPECT_EQ(stored[0]->kind, 1u);
    EXPECT_EQ(stored[0]->bright.threshold, 0.6f);
    EXPECT_EQ(stored[1]->kind, 2u);
    EXPECT_EQ(stored[1]->diffuse.bias, 0.2f);
    EXPECT_EQ(stored[2]->kind, 9u);
    EXPECT_EQ(effect_->requestCount(), 3u);
}

TEST_F(PostEffectRequests, ColourRequestsDeriveTheirShaderConstants) {
    start();
    const POSTEFFECT_COLOR_PARAMS colour{0.25f, 0.5f, 1.0f, 0.8f};
    const POSTEFFECT_REQUEST* overlay = effect_->addOverlayRequest(colour);
    const POSTEFFECT_REQUEST* soft = effect_->addSoftlightRequest(colour);
    const POSTEFFECT_REQUEST* hard = effect_->addHardlightRequest(colour);
    const float twiceInverse[4] = {1.5f, 1.0f, 0.0f, 0.4f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(overlay->overlay.twiceInverse[i], twiceInverse[i]) << i;
        EXPECT_FLOAT_EQ(hard->hardlight.twiceInverse[i], twiceInverse[i]) << i;
    }
    EXPECT_EQ(overlay->overlay.colour[3], 0.8f);
    // s(x) = 2 (1 - x) below 0.5, else 1 / 2x; the fourth is the alpha.
    const float soft4[4] = {1.5f, 1.0f, 0.5f, 0.8f};
    const float step[4] = {0.0f, 1.0f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(soft->softlight.factors[i], soft4[i]) << i;
        EXPECT_EQ(hard->hardlight.step[i], step[i]) << i;
    }
    EXPECT_EQ(queue(*effect_),
              (std::vector<POSTEFFECT_REQUEST*>{const_cast<POSTEFFECT_REQUEST*>(overlay),
                                                const_cast<POSTEFFECT_REQUEST*>(soft),
                                                const_cast<POSTEFFECT_REQUEST*>(hard)}));
}

TEST_F(PostEffectRequests, ZoomBlurFadesInAndOutAndLeavesAtItsEnd) {
    start();
    const POSTEFFECT_ZOOMBLUR_PARAMS params{0.5f, 0.25f, 0.1f, 0.9f, 0.5f, 10, 50, 60};
    POSTEFFECT_REQUEST* zoom = effect_->addZoomBlurRequest(params);
    ASSERT_EQ(zoom, effect_->zoomBlurRequest());
    // 160 × 0.25 = 40 = the quarter texture's width: the centre keeps its value.
    EXPECT_EQ(zoom->zoom.centerX, 0.5f);
    EXPECT_EQ(zoom->zoom.centerY, 0.25f);
    EXPECT_EQ(zoom->zoom.counter, -1);
    struct Expect {
        int frame;
        float intensity;
    };
    const Expect expects[] = {
        {0, 1.0f / 11.0f}, {9, 10.0f / 11.0f},        {10, 1.0f},
        {49, 1.0f},        {50, 1.0f - 1.0f / 11.0f}, {59, 1.0f - 10.0f / 11.0f}};
    size_t next = 0;
    for (int frame = 0; frame < 60; ++frame) {
        effect_->animate();
        ASSERT_EQ(zoom->zoom.counter, frame);
        if (next < std::size(expects) && expects[next].frame == frame) {
            EXPECT_FLOAT_EQ(zoom->zoom.intensity, expects[next].intensity) << frame;
            ++next;
        }
    }
    EXPECT_FLOAT_EQ(zoom->zoom.phase, 30.0f);
    EXPECT_EQ(effect_->requestCount(), 1u);
    effect_->animate();  // frame 60
    EXPECT_EQ(effect_->requestCount(), 0u);
    EXPECT_EQ(effect_->zoomBlurRequest(), nullptr);
}

TEST_F(PostEffectRequests, ASecondZoomBlurRestartsInPlace) {
    start();
    POSTEFFECT_REQUEST* overlay = effect_->addOverlayRequest({1, 1, 1, 0.5f});
    POSTEFFECT_REQUEST* zoom = effect_->addZoomBlurRequest({0.5f, 0.5f, 0.1f, 0.9f, 1, 2, 3, 4});
    effect_->addOverlayRequest({1, 1, 1, 0.5f});
    effect_->animate();
    effect_->animate();
    EXPECT_EQ(effect_->addZoomBlurRequest({0.1f, 0.2f, 0.3f, 0.4f, 1, 5, 6, 7}), zoom);
    EXPECT_EQ(zoom->zoom.counter, -1);
    EXPECT_EQ(zoom->zoom.phase, 0.0f);
    EXPECT_EQ(zoom->zoom.intensity, 0.0f);
    EXPECT_EQ(zoom->zoom.endFrame, 7);
    EXPECT_EQ(queue(*effect_)[0], overlay);
    EXPECT_EQ(queue(*effect_)[1], zoom);
    EXPECT_EQ(effect_->requestCount(), 3u);
}

TEST_F(PostEffectRequests, ASecondShimmerIsUpdatedInPlace) {
    start();
    mirel::rcptr<L3DTexture> noise0 = addNoise(u"noise0", 16, 16, 1);
    mirel::rcptr<L3DTexture> noise1 = addNoise(u"noise1", 32, 8, 2);
    POSTEFFECT_REQUEST* overlay = effect_->addOverlayRequest({1, 1, 1, 0.5f});
    POSTEFFECT_REQUEST* shimmer = effect_->addShimmerRequest(shimmerParams(u"noise0", 0.01f));
    ASSERT_NE(shimmer, nullptr);
    POSTEFFECT_REQUEST* bright = effect_->addBrightRequest({0.5f, {}});
    EXPECT_EQ(host_.asked_.back(), u"sys/posteffect/noise0");
    EXPECT_EQ(effect_->shimmerTexture().Get(), noise0.Get());
    EXPECT_EQ(shimmer->shimmer.uvWidth, 8.0f);   // 16 / 2
    EXPECT_EQ(shimmer->shimmer.uvHeight, 4.0f);  // 16 / 4
    EXPECT_EQ(shimmer->shimmer.speedX, 4.0f);    // texels per frame
    EXPECT_EQ(shimmer->shimmer.offsetX, -4.0f);
    EXPECT_EQ(shimmer->shimmer.offsetY, 8.0f);

    EXPECT_EQ(effect_->addShimmerRequest(shimmerParams(u"noise1", 0.02f)), shimmer);
    EXPECT_EQ(effect_->shimmerTexture().Get(), noise1.Get());
    EXPECT_EQ(shimmer->shimmer.powerX, 0.02f);
    EXPECT_EQ(shimmer->shimmer.uvWidth, 16.0f);
    EXPECT_EQ(queue(*effect_), (std::vector<POSTEFFECT_REQUEST*>{overlay, shimmer, bright}));

    // A noise texture that cannot be had: nothing changes.
    EXPECT_EQ(effect_->addShimmerRequest(shimmerParams(u"missing", 0.5f)), nullptr);
    EXPECT_EQ(effect_->shimmerTexture().Get(), noise1.Get());
    EXPECT_EQ(shimmer->shimmer.powerX, 0.02f);
    EXPECT_EQ(effect_->requestCount(), 3u);
}

TEST_F(PostEffectRequests, ScrollOffsetsWrapWithinTheNoiseSize) {
    start();
    addNoise(u"noise0", 16, 16, 1);
    POSTEFFECT_REQUEST* shimmer = effect_->addShimmerRequest(shimmerParams(u"noise0", 0.01f));
    // x: −4 then +4 per frame, wrapping at 16; y: 8 then −8 per frame, wrapping at −16.
    const float xs[] = {0.0f, 4.0f, 8.0f, 12.0f, 0.0f, 4.0f};
    const float ys[] = {0.0f, -8.0f, 0.0f, -8.0f, 0.0f, -8.0f};
    for (size_t frame = 0; frame < std::size(xs); ++frame) {
        effect_->animate();
        EXPECT_EQ(shimmer->shimmer.offsetX, xs[frame]) << frame;
        EXPECT_EQ(shimmer->shimmer.offsetY, ys[frame]) << frame;
    }
}

TEST_F(PostEffectRequests, RemovingIgnoresHandlesThatAreNotQueued) {
    start();
    addNoise(u"noise0", 16, 16, 1);
    POSTEFFECT_REQUEST* first = effect_->addOverlayRequest({1, 0, 0, 1});
    POSTEFFECT_REQUEST* shimmer = effect_->addShimmerRequest(shimmerParams(u"noise0", 0.01f));
    POSTEFFECT_REQUEST* zoom = effect_->addZoomBlurRequest({0.5f, 0.5f, 0.1f, 0.9f, 1, 0, 0, 1});
    POSTEFFECT_REQUEST* last = effect_->addOverlayRequest({0, 1, 0, 1});

    effect_->removeRequest(first);
    effect_->removeRequest(first);  // already gone
    POSTEFFECT_REQUEST stranger{};
    effect_->removeRequest(&stranger);
    effect_->removeRequest(nullptr);
    EXPECT_EQ(queue(*effect_), (std::vector<POSTEFFECT_REQUEST*>{shimmer, zoom, last}));

    // The zoom blur leaves by itself; its old handle then changes nothing.
    effect_->animate();
    effect_->animate();
    EXPECT_EQ(effect_->zoomBlurRequest(), nullptr);
    effect_->removeRequest(zoom);
    EXPECT_EQ(queue(*effect_), (std::vector<POSTEFFECT_REQUEST*>{shimmer, last}));

    effect_->removeRequest(shimmer);
    EXPECT_EQ(effect_->shimmerRequest(), nullptr);
    EXPECT_FALSE(effect_->shimmerTexture());
    // Freed elements are handed out again and the list stays whole.
    POSTEFFECT_REQUEST* again = effect_->addOverlayRequest({0, 0, 1, 1});
    EXPECT_EQ(queue(*effect_), (std::vector<POSTEFFECT_REQUEST*>{last, again}));
    effect_->clearQueue();
    EXPECT_EQ(effect_->requestCount(), 0u);
    EXPECT_EQ(effect_->firstRequest(), nullptr);
}

TEST_F(PostEffectRequests, ClearingEmptiesTheQueueAndForgetsTheSingletons) {
    start();
    addNoise(u"noise0", 16, 16, 1);
    for (int i = 0; i < 40; ++i) effect_->addOverlayRequest({1, 1, 1, 0.1f});  // grows the pool
    effect_->addShimmerRequest(shimmerParams(u"noise0", 0.01f));
    effect_->addZoomBlurRequest({0.5f, 0.5f, 0.1f, 0.9f, 1, 2, 3, 4});
    EXPECT_EQ(effect_->requestCount(), 42u);
    effect_->clearQueue();
    EXPECT_EQ(effect_->requestCount(), 0u);
    EXPECT_EQ(effect_->zoomBlurRequest(), nullptr);
    EXPECT_EQ(effect_->shimmerRequest(), nullptr);
    EXPECT_FALSE(effect_->shimmerTexture());
    EXPECT_NE(effect_->addOverlayRequest({1, 1, 1, 0.1f}), nullptr);
}

POSTEFFECT_WATER_PARAMS waterParams(const char16_t* first, const char16_t* second) {
    POSTEFFECT_WATER_PARAMS p{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.25f, 0.75f, {}};
    std::memcpy(p.noise[0].name, first, std::char_traits<char16_t>::length(first) * 2);
    std::memcpy(p.noise[1].name, second, std::char_traits<char16_t>::length(second) * 2);
    p.noise[0].sizeX = 4.0f;
    p.noise[0].sizeY = 8.0f;
    p.noise[0].speedX = 0.5f;
    p.noise[0].speedY = -0.25f;
    p.noise[1].sizeX = 2.0f;
    p.noise[1].sizeY = 2.0f;
    p.noise[1].speedX = 0.75f;
    p.noise[1].speedY = 0.0f;
    return p;
}

TEST_F(PostEffectRequests, WaterSettingsNeedBothNoiseTextures) {
    start();
    mirel::rcptr<L3DTexture> a = addNoise(u"wave0", 16, 16, 3);
    mirel::rcptr<L3DTexture> b = addNoise(u"wave1", 16, 16, 4);
    EXPECT_EQ(effect_->setWaterEffect(waterParams(u"wave0", u"missing")), nullptr);
    EXPECT_EQ(effect_->waterEffect(), nullptr);

    POSTEFFECT_WATER* water = effect_->setWaterEffect(waterParams(u"wave0", u"wave1"));
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->bluePowerY, 0.6f);
    EXPECT_EQ(water->brightMin, 0.25f);
    EXPECT_EQ(water->brightScale, 2.0f);
    EXPECT_EQ(water->noise[0].texture.Get(), a.Get());
    EXPECT_EQ(water->noise[1].texture.Get(), b.Get());
    EXPECT_EQ(water->noise[0].invSizeY, 0.125f);
    EXPECT_EQ(water->noise[0].offsetX, -0.5f);

    // The same settings are refilled; a maximum not above the minimum scales by 0.
    POSTEFFECT_WATER_PARAMS flat = waterParams(u"wave1", u"wave0");
    flat.brightMax = flat.brightMin;
    EXPECT_EQ(effect_->setWaterEffect(flat), water);
    EXPECT_EQ(water->brightScale, 0.0f);
    EXPECT_EQ(water->noise[0].texture.Get(), b.Get());

    // Offsets scroll and wrap at ±1: 0.75 per frame from −0.75.
    const float xs[] = {0.0f, 0.75f, 0.5f, 0.25f};
    for (float x : xs) {
        effect_->animate();
        EXPECT_EQ(water->noise[1].offsetX, x);
    }
    effect_->dropWaterEffect();
    EXPECT_EQ(effect_->waterEffect(), nullptr);
}

}  // namespace
}  // namespace tessera::test
