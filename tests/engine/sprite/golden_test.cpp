#include <cmath>

#include "tests/engine/sprite/sprite2_fixture.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

// Scenes drawn through the sprite library and the backend, compared with goldens.
class GoldenTest : public Sprite2Test {
protected:
    void SetUp() override {
        Sprite2Test::SetUp();
        renderer_ = pelSpriteRendererCreate(context(), 0, 0, 2);
    }
    PEL_SPRITE_RECT* rectOf(const char16_t* image, uint32_t width, uint32_t height,
                            int32_t originX = 0, int32_t originY = 0) {
        PEL_SPRITE_IMAGE* loaded = pelSpriteImageLoad(image, context());
        EXPECT_NE(loaded, nullptr);
        return pelSpriteRectCreate(loaded, {renderer_, 0, 0, width, height, originX, originY});
    }
    PEL_SPRITE* spriteOf(PEL_SPRITE_RECT* rect, float x, float y, uint32_t level = 1) {
        PEL_SPRITE* sprite = pelSpriteCreate(renderer_);
        pelSpriteSetRect(sprite, rect);
        pelSpriteSetLevel(sprite, level);
        sprite->x = x;
        sprite->y = y;
        return sprite;
    }
    // The frame against golden/<name>.png, every channel within 2.
    static testing::AssertionResult matchesScene(const std::string& name,
                                                 std::vector<uint32_t> frame) {
        return matchesGolden({kScreenWidth, kScreenHeight, std::move(frame)}, "engine/sprite", name,
                             GoldenTolerance::within(2));
    }
    // A background of vertical stripes, white, grey and dark red, 8 pixels each, on level 0.
    void stripes() {
        std::vector<uint8_t> pixels;
        for (int x = 0; x < 24; ++x) {
            const int band = x / 8;
            const uint8_t colour[3][4] = {
                {240, 240, 240, 255}, {96, 96, 96, 255}, {128, 16, 16, 255}};
            pixels.insert(pixels.end(), colour[band], colour[band] + 4);
        }
        writeImage("stripes.png", 24, 1, pixels);
        PEL_SPRITE_RECT* rect = rectOf(u"stripes.png", 24, 1);
        for (int i = 0; i < 7; ++i) {
            PEL_SPRITE* sprite = spriteOf(rect, static_cast<float>(i * 24), 0, 0);
            sprite->scaleY = 120;
            sprite->scaling = 1;
        }
    }

    PEL_SPRITE_RENDERER* renderer_ = nullptr;
};

TEST_F(GoldenTest, JapaneseText) {
    startFont();
    PEL_SPRITE_IMAGE* image = pelSpriteImageCreateText(160, 120, context());
    ASSERT_NE(image, nullptr);
    PEL_SPRITE_RECT* rect = pelSpriteRectCreate(image, {renderer_, 0, 0, 160, 120, 0, 0});
    PEL_SPRITE_TEXT_FORMAT_DESC format{};
    format.flag = 2;  // clear, then draw in the same update
    format.fontSize = 16;
    format.gamma = 1.5f;
    format.red = 1.0f;
    format.green = 1.0f;
    format.blue = 0.75f;
    format.drawX = 4;
    format.drawY = 4;
    format.marginY = 4;
    PEL_SPRITE_TEXT_FORMAT* text = pelSpriteTextFormatCreate(renderer_, format);
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(pelSpriteRectDrawText(rect, text,
                                    u"日本語のテキスト\n漢字とかなとカナ\n"
                                    u"「全角」、句読点。\nABC xyz 0123"),
              PEL_OK);
    PEL_SPRITE* sprite = spriteOf(rect, 0, 0);
    sprite->blend = 2;
    sprite->scaling = 1;
    EXPECT_TRUE(matchesScene("japanese_text", drawFrame(0xFF203048)));
    // The text's pen went down four lines of the font's height plus the margin.
    uint32_t advance = 0, lineHeight = 0;
    table().fontMetrics(&advance, &lineHeight,
                        reinterpret_cast<PelSpriteBackendFont*>(pelListFirst(&set()->fonts)));
    EXPECT_EQ(rect->drawnHeight, 3 * (lineHeight + 4) + lineHeight);
}

// Blend values 1 to 9 (codes 0 to 8) side by side over the stripes: an orange square whose
// alpha rises from top to bottom.
TEST_F(GoldenTest, BlendCodes) {
    stripes();
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t texel[4] = {255, 160, 32, static_cast<uint8_t>(y * 17)};
            pixels.insert(pixels.end(), texel, texel + 4);
        }
    writeImage("orange.png", 16, 16, pixels);
    PEL_SPRITE_RECT* rect = rectOf(u"orange.png", 16, 16);
    for (int blend = 1; blend <= 9; ++blend) {
        PEL_SPRITE* sprite = spriteOf(rect, 4.0f + static_cast<float>(blend - 1) * 17, 20);
        sprite->blend = blend;
        sprite->scaleY = 5;
        sprite->scaling = 1;
    }
    EXPECT_TRUE(matchesScene("blend_codes", drawFrame(0xFF000000)));
}

// A soft disc magnified with linear filtering: the alpha test cuts a hard edge at 0.5
// (greater, left) and keeps only the rim (less, right).
TEST_F(GoldenTest, AlphaTestedEdge) {
    stripes();
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const float distance =
                std::hypot(static_cast<float>(x) - 7.5f, static_cast<float>(y) - 7.5f);
            const float alpha = std::clamp(1.0f - distance / 8.0f, 0.0f, 1.0f);
            const uint8_t texel[4] = {40, 200, 255, static_cast<uint8_t>(alpha * 255)};
            pixels.insert(pixels.end(), texel, texel + 4);
        }
    writeImage("disc.png", 16, 16, pixels);
    PEL_SPRITE_RECT* rect = rectOf(u"disc.png", 16, 16);
    const int32_t modes[2] = {2, 3};
    for (int i = 0; i < 2; ++i) {
        PEL_SPRITE* sprite = spriteOf(rect, 6.0f + static_cast<float>(i) * 78, 20);
        sprite->scaleX = sprite->scaleY = 4.5f;
        sprite->scaling = 2;
        sprite->alphaTest = modes[i];
        sprite->alphaReference = 0.5f;
    }
    EXPECT_TRUE(matchesScene("alpha_tested_edge", drawFrame(0xFF000000)));
}

// A quartered image scaled by 2.5 and turned by 30 degrees about its centre, and a copy
// mirrored across the screen (x 40 lands at 120), half transparent, turned the other way.
TEST_F(GoldenTest, ScaledAndRotatedSprite) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const bool right = x >= 12, bottom = y >= 8;
            uint8_t texel[4] = {static_cast<uint8_t>(right ? 255 : 40),
                                static_cast<uint8_t>(bottom ? 220 : 60),
                                static_cast<uint8_t>(right != bottom ? 200 : 30), 255};
            if (x == 0 || y == 0 || x == 23 || y == 15) texel[0] = texel[1] = texel[2] = 255;
            pixels.insert(pixels.end(), texel, texel + 4);
        }
    writeImage("quarters.png", 24, 16, pixels);
    PEL_SPRITE_RECT* rect = rectOf(u"quarters.png", 24, 16, 12, 8);
    PEL_SPRITE* turned = spriteOf(rect, 50, 60);
    turned->scaleX = turned->scaleY = 2.5f;
    turned->scaling = 2;
    pelSpriteSetRotationZ(turned, static_cast<float>(M_PI / 6));
    PEL_SPRITE* mirrored = spriteOf(rect, 40, 70);
    mirrored->scaleX = mirrored->scaleY = 1.5f;
    mirrored->blend = 2;
    mirrored->alpha = 0.6f;
    pelSpriteSetRotationZ(mirrored, static_cast<float>(-M_PI / 4));
    pelSpriteSetReverse(mirrored, true, false);
    EXPECT_TRUE(matchesScene("scaled_rotated_sprite", drawFrame(0xFF304020)));
}

}  // namespace
}  // namespace tessera::test
