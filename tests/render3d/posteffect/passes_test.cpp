// The pass vocabulary on the software device: rectangle mapping, quad colours, exact copies,
// blending and the blur's border.
#include <gtest/gtest.h>

#include "render3d/posteffect/quad_geometry.h"
#include "tests/render3d/posteffect/posteffect_fixture.h"

namespace tessera::test {
namespace {

TEST(PostEffectQuad, PixelRectanglesMapToClipSpaceWithTheHalfPixelShift) {
    struct Case {
        float rect[4];
        float vw, vh;
        float clip[4];
    };
    const Case cases[] = {
        // The half-pixel shift cancels: the whole target, exactly.
        {{0.5f, 0.5f, 200.0f, 150.0f}, 200.0f, 150.0f, {-1.0f, 1.0f, 1.0f, -1.0f}},
        {{0.5f, 0.5f, 100.0f, 75.0f}, 200.0f, 150.0f, {-1.0f, 1.0f, 0.0f, 0.0f}},
        {{0.0f, 0.0f, 4.0f, 2.0f}, 4.0f, 2.0f, {-1.25f, 1.5f, 0.75f, -0.5f}},
    };
    for (const Case& c : cases) {
        float clip[4];
        postEffectClipRect(c.rect, c.vw, c.vh, clip);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(clip[i], c.clip[i]) << c.rect[2] << " corner " << i;
    }
}

TEST(PostEffectQuad, ColoursTruncateAlphaAndGrey) {
    EXPECT_EQ(postEffectQuadColour(1.0f, 0.5f), 0x7FFFFFFFu);
    EXPECT_EQ(postEffectQuadColour(1.0f, 1.0f), 0xFFFFFFFFu);
    EXPECT_EQ(postEffectQuadColour(0.5f, 1.0f), 0xFF7F7F7Fu);
    EXPECT_EQ(postEffectQuadColour(0.0f, 0.0f), 0x00000000u);
}

using PostEffectPasses = PostEffectTest;

TEST_F(PostEffectPasses, CopyReproducesATextureExactly) {
    start(64, 48);
    // Opaque: the copy takes its alpha from the quad.
    mirel::rcptr<L3DTexture> pattern = patternTexture(64, 48, 7, true);
    PostEffect::setPassStates(*device_);
    const POSTEFFECT_RECT whole = {0.0f, 0.0f, 64.0f, 48.0f, 0.0f, 0.0f, 64.0f, 48.0f};
    effect_->passCopy(whole, effect_->textureB(), pattern);
    effect_->passCopy(whole, nullptr, effect_->textureB());
    const std::vector<uint32_t> back = backBufferPixels();
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            ASSERT_EQ(texel(*effect_->textureB(), x, y), texel(*pattern, x, y)) << x << "," << y;
            ASSERT_EQ(back[y * 64 + x] & 0xFFFFFF, texel(*pattern, x, y) & 0xFFFFFF)
                << x << "," << y;
        }
}

TEST_F(PostEffectPasses, BlendAndAddUseTheQuadAlpha) {
    start(64, 48);
    const POSTEFFECT_RECT whole = {0.0f, 0.0f, 64.0f, 48.0f, 0.0f, 0.0f, 64.0f, 48.0f};
    struct Case {
        const char* pass;
        uint32_t target, source;
        float alpha;
        uint32_t expected;  // red channel
    };
    const Case cases[] = {
        {"blend", 0xFF400000, 0xFFC00000, 0.5f, 0x7F},  // 0.5 × C0 + 0.5 × 40 (alpha 127/255)
        {"add", 0xFF400000, 0xFF800000, 0.5f, 0x7F},    // 40 + 127/255 × 80
        {"add", 0xFFC00000, 0xFFC00000, 1.0f, 0xFF},    // saturates
    };
    for (const Case& c : cases) {
        effect_->textureA()->FillColor(c.target);
        effect_->textureB()->FillColor(c.source);
        PostEffect::setPassStates(*device_);
        if (std::string(c.pass) == "blend")
            effect_->passBlend(whole, c.alpha, effect_->textureA(), effect_->textureB());
        else
            effect_->passAdd(whole, c.alpha, effect_->textureA(), effect_->textureB());
        const uint32_t red = texel(*effect_->textureA(), 10, 10) >> 16 & 0xFF;
        EXPECT_NEAR(static_cast<int>(red), static_cast<int>(c.expected), 1) << c.pass;
    }
}

TEST_F(PostEffectPasses, BlurReadsZeroBeyondTheEdges) {
    start(160, 120);
    const mirel::rcptr<L3DTexture>& q = effect_->pyramid(2, 0);  // 40 x 30
    q->FillColor(0xFFFFFFFF);
    PostEffect::setPassStates(*device_);
    const float rect[4] = {0.0f, 0.0f, 40.0f, 30.0f};
    effect_->passGauss(rect, 7, effect_->pyramid(2, 1), q, q);
    // The middle stays white; the corners lose what the border (transparent black) gave.
    EXPECT_EQ(texel(*q, 20, 15), 0xFFFFFFFFu);
    const uint32_t corner = texel(*q, 0, 0);
    EXPECT_LT(corner >> 24, 0xC0u);
    EXPECT_LT(corner & 0xFF, 0xC0u);
    EXPECT_GT(corner & 0xFF, 0x10u);
    // The addressing is back to clamping for the passes that follow.
    const POSTEFFECT_RECT whole = {0.0f, 0.0f, 40.0f, 30.0f, -8.0f, -8.0f, 40.0f, 30.0f};
    q->FillColor(0xFFFFFFFF);
    effect_->passCopy(whole, effect_->pyramid(2, 3), q);
    EXPECT_EQ(texel(*effect_->pyramid(2, 3), 0, 0), 0xFFFFFFFFu);
}

TEST_F(PostEffectPasses, BlurLevelsWidenTheSpread) {
    start(160, 120);
    const mirel::rcptr<L3DTexture>& q = effect_->pyramid(2, 0);
    uint32_t previous = 0;
    for (uint32_t level = 0; level < 8; ++level) {
        q->FillColor(0xFF000000);
        const D3DRECT dot = {19, 14, 22, 17};
        device_->SetRenderTarget(false, q);
        device_->device()->Clear(1, &dot, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
        PostEffect::setPassStates(*device_);
        const float rect[4] = {0.0f, 0.0f, 40.0f, 30.0f};
        effect_->passGauss(rect, level, effect_->pyramid(2, 1), q, q);
        // The spread: how many texels of the row through the dot are lit.
        uint32_t lit = 0;
        for (uint32_t x = 0; x < 40; ++x) lit += (texel(*q, x, 15) & 0xFF) != 0;
        EXPECT_GE(lit, previous) << level;
        previous = lit;
        // The blur is symmetric about the dot.
        for (uint32_t d = 1; d < 12; ++d)
            EXPECT_NEAR(static_cast<int>(texel(*q, 20 - d, 15) & 0xFF),
                        static_cast<int>(texel(*q, 20 + d, 15) & 0xFF), 1)
                << level << " at " << d;
    }
    EXPECT_GE(previous, 15u);
}

TEST_F(PostEffectPasses, DownSamplingAveragesEachBlock) {
    start(160, 120);
    // Four columns of 0x00, 0x40, 0x80, 0xFF repeat, so every 4 x 4 block averages them.
    const uint32_t values[4] = {0x00, 0x40, 0x80, 0xFF};
    mirel::rcptr<L3DTexture> stripes = device_->CreateTexture("stripes", 160, 120);
    int32_t pitch = 0;
    uint8_t* bits = stripes->Lock(0, 0, 160, 120, pitch);
    for (uint32_t y = 0; y < 120; ++y)
        for (uint32_t x = 0; x < 160; ++x) {
            const uint32_t v = 0xFF000000 | values[x & 3] * 0x010101u;
            std::memcpy(bits + y * pitch + x * 4, &v, 4);
        }
    stripes->texture->UnlockRect(0);
    PostEffect::setPassStates(*device_);
    const POSTEFFECT_RECT down = {0.5f, 0.5f, 40.0f, 30.0f, 1.0f, 1.0f, 160.0f, 120.0f};
    effect_->passDown4(down, effect_->pyramid(2, 0), stripes);
    effect_->passMulDown4(down, effect_->pyramid(2, 1), stripes);
    effect_->passBrightDown4(down, 0.5f, effect_->pyramid(2, 2), stripes);
    const int average = (0x00 + 0x40 + 0x80 + 0xFF) / 4;  // 0x6F
    for (uint32_t x : {0u, 17u, 39u}) {
        EXPECT_NEAR(static_cast<int>(texel(*effect_->pyramid(2, 0), x, 7) & 0xFF), average, 1);
        EXPECT_NEAR(static_cast<int>(texel(*effect_->pyramid(2, 1), x, 7) & 0xFF),
                    average * average / 255, 1);
        // Below the threshold: nothing.
        EXPECT_EQ(texel(*effect_->pyramid(2, 2), x, 7) & 0xFF, 0u);
    }
}

}  // namespace
}  // namespace tessera::test
