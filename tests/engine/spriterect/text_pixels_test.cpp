#include "engine/spriterect/text_pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessera::test {
namespace {

class TextPixelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        font = fontCreate(16, true);
        ASSERT_NE(font, nullptr);
        space = fontGetSpaceSize(*font);
    }
    SpriteRectTextSize draw(std::u16string_view text, int32_t width = 64, int32_t height = 64) {
        pixels.assign(static_cast<size_t>(width) * height, 0x00FFFFFFu);
        return spriteRectDrawTextPixels(*font, pixels.data(), width, height, width * 4, text);
    }
    // Whether any pixel of the column range has alpha.
    bool inked(int32_t width, int32_t fromX, int32_t toX) const {
        for (size_t i = 0; i < pixels.size(); ++i) {
            const auto x = static_cast<int32_t>(i % width);
            if (x >= fromX && x < toX && (pixels[i] >> 24)) return true;
        }
        return false;
    }

    std::unique_ptr<SpriteGlyphFont> font;
    int32_t space = 0;
    std::vector<uint32_t> pixels;
};

TEST_F(TextPixelsTest, SizesCountLinesAndTheWidestLine) {
    const int32_t line = font->lineHeight;
    const struct {
        std::u16string text;
        int32_t width, height;
    } cases[] = {
        {u"", 0, line},      {u"ab\nc", 2 * space, 2 * line}, {u"a\r\nbcd", 3 * space, 2 * line},
        {u" ", space, line}, {u"\u3000", 2 * space, line},    {u"漢字", 32, line},
    };
    for (const auto& c : cases) {
        const SpriteRectTextSize size = draw(c.text);
        EXPECT_EQ(size.width, c.width) << testing::PrintToString(c.text.size());
        EXPECT_EQ(size.height, c.height) << testing::PrintToString(c.text.size());
    }
}

TEST_F(TextPixelsTest, GlyphThatDoesNotFitAddsNothing) {
    // 40 columns hold two 16-pixel glyphs; the third is not drawn and adds no width.
    const SpriteRectTextSize size = draw(u"漢字確", 40, 24);
    EXPECT_EQ(size.width, 32);
    EXPECT_TRUE(inked(40, 0, 32));
    EXPECT_FALSE(inked(40, 32, 40));
    // Colour bits stay white.
    for (uint32_t p : pixels) EXPECT_EQ(p & 0x00FFFFFFu, 0x00FFFFFFu);
}

TEST_F(TextPixelsTest, LineFeedsBelowTheLastRowKeepThePenInside) {
    // Rows run out after the first line: later lines are measured but draw nothing.
    const SpriteRectTextSize size = draw(u"a\nb\nc", 16, font->lineHeight);
    EXPECT_EQ(size.height, 3 * font->lineHeight);
}

}  // namespace
}  // namespace tessera::test
