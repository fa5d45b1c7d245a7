#include "engine/spriterect/glyph_font.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessera::test {
namespace {

TEST(GlyphFontAlpha, CoverageBecomesSeventeenLevelsThenTheScale) {
    const struct {
        uint8_t coverage;
        uint32_t alpha32, alpha16;
    } cases[] = {
        {0, 0, 0},      {7, 0, 0},     {8, 16, 1},  // level 1: 15.9375 -> 16, 0.9375 -> 1
        {100, 96, 6},   {120, 128, 8},              // level 8: 127.5 and 7.5 round away from zero
        {255, 255, 15},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fontAlphaOf(c.coverage, 255.0f / 16.0f), c.alpha32) << int(c.coverage);
        EXPECT_EQ(fontAlphaOf(c.coverage, 15.0f / 16.0f), c.alpha16) << int(c.coverage);
    }
}

class GlyphFontTest : public ::testing::Test {
protected:
    static constexpr int32_t kSize = 16;
    static constexpr int32_t kWidth = 40;
    static constexpr int32_t kHeight = 24;
};

TEST_F(GlyphFontTest, MetricsOfTheFixedPitchGothic) {
    auto font = fontCreate(kSize, true);
    ASSERT_NE(font, nullptr);
    EXPECT_GE(font->lineHeight, kSize);
    EXPECT_LE(font->lineHeight, kSize * 3 / 2);
    const int32_t space = fontGetSpaceSize(*font);
    EXPECT_EQ(space, kSize / 2);  // half-width Latin in a fixed-pitch Japanese face
}

// A glyph ORs its alpha into the pixels and keeps the colour bits; 16-bit pixels take the alpha
// nibble only.
TEST_F(GlyphFontTest, RenderOrsAlphaIntoPlainBuffers) {
    for (const bool is32 : {true, false}) {
        auto font = fontCreate(kSize, is32);
        ASSERT_NE(font, nullptr);
        const int32_t bytesPerPixel = is32 ? 4 : 2;
        std::vector<uint8_t> buffer(kWidth * kHeight * bytesPerPixel, 0);
        for (size_t i = 0; i < buffer.size(); i += bytesPerPixel) buffer[i] = 0x21;
        const int32_t advance =
            fontRender(*font, buffer.data(), kWidth, kHeight, kWidth * bytesPerPixel, u'確');
        EXPECT_EQ(advance, kSize) << is32;
        uint32_t maxAlpha = 0;
        for (size_t i = 0; i < buffer.size(); i += bytesPerPixel) {
            EXPECT_EQ(buffer[i], 0x21);
            if (is32) {
                EXPECT_EQ(buffer[i + 1] | buffer[i + 2], 0);
                maxAlpha = std::max<uint32_t>(maxAlpha, buffer[i + 3]);
            } else {
                EXPECT_EQ(buffer[i + 1] & 0x0F, 0);
                maxAlpha = std::max<uint32_t>(maxAlpha, buffer[i + 1] >> 4);
            }
        }
        EXPECT_EQ(maxAlpha, is32 ? 255u : 15u);
    }
}

TEST_F(GlyphFontTest, GlyphThatDoesNotFitDrawsNothing) {
    auto font = fontCreate(kSize, true);
    ASSERT_NE(font, nullptr);
    std::vector<uint32_t> buffer(kWidth * kHeight, 0);
    EXPECT_EQ(fontRender(*font, buffer.data(), 4, kHeight, kWidth * 4, u'確'), 0);
    EXPECT_EQ(fontRender(*font, buffer.data(), kWidth, 4, kWidth * 4, u'確'), 0);
    for (uint32_t p : buffer) EXPECT_EQ(p, 0u);
}

}  // namespace
}  // namespace tessera::test
