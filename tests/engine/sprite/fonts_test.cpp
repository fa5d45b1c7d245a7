#include "engine/sprite/pixel_rows.h"
#include "tests/engine/sprite/sprite2_fixture.h"
#include "tools/writers/apfc_writer.h"

namespace tessera::test {
namespace {

class FontTest : public Sprite2Test {
protected:
    void SetUp() override {
        Sprite2Test::SetUp();
        startFont();
    }
    PelSpriteBackendFont* makeFont(uint32_t size) {
        return table().fontCreate(table().user, size, 4);
    }
    static void identity(uint8_t gamma[256]) {
        for (int i = 0; i < 256; ++i) gamma[i] = static_cast<uint8_t>(i);
    }
};

TEST_F(FontTest, FontsTakeTheSizeMetrics) {
    PelSpriteBackendFont* handle = makeFont(16);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(wasReported(PEL_REPORT_DEBUG, u"Debug: [fontCreate] create font(16/4)"));
    const Sprite2Font* font = sprite2Font(handle);
    EXPECT_GE(font->lineHeight, 16);
    EXPECT_LE(font->lineHeight, 24);
    EXPECT_GT(font->ascender, 8);
    EXPECT_LE(font->ascender, font->lineHeight);
    uint32_t advance = 99, lineHeight = 0;
    table().fontMetrics(&advance, &lineHeight, handle);
    EXPECT_EQ(advance, 0u);
    EXPECT_EQ(lineHeight, static_cast<uint32_t>(font->lineHeight));
    table().fontRelease(handle);
}

TEST_F(FontTest, RenderingSetsTheAdvanceAndAFailureClearsIt) {
    PelSpriteBackendFont* font = makeFont(16);
    uint32_t advance = 0, lineHeight = 0;
    ASSERT_EQ(table().glyphRender(font, u'あ'), PEL_OK);
    table().fontMetrics(&advance, &lineHeight, font);
    EXPECT_EQ(advance, 16u);  // a full-width character
    ASSERT_EQ(table().glyphRender(font, u'i'), PEL_OK);
    table().fontMetrics(&advance, &lineHeight, font);
    EXPECT_EQ(advance, 8u);  // IPA Gothic's half-width glyphs are fixed-pitch
    // U+0378 is not assigned: no glyph, the pen must not move.
    EXPECT_EQ(table().glyphRender(font, char16_t{0x378}), PEL_E_NOTFOUND);
    table().fontMetrics(&advance, &lineHeight, font);
    EXPECT_EQ(advance, 0u);
    EXPECT_TRUE(wasReported(PEL_REPORT_DEBUG, u"Debug: [fontRender] can't render (\u0378)"));
    PelSpriteBackendImage* image = table().imageCreate(table().user, 32, 32);
    const float white[4] = {1, 1, 1, 0};
    uint8_t gamma[256];
    identity(gamma);
    EXPECT_EQ(table().glyphDraw(image, 0, 0, 32, 32, white, font, gamma), PEL_E_INVALIDARG);
    EXPECT_TRUE(wasReported(PEL_REPORT_DEBUG, u"Debug: [fontDraw] not exist rendering image"));
    table().imageRelease(image);
    table().fontRelease(font);
}

TEST_F(FontTest, GlyphsAreDrawnAsCoverageInTheColour) {
    PelSpriteBackendFont* handle = makeFont(16);
    PelSpriteBackendImage* image = table().imageCreate(table().user, 32, 32);
    const float clear[4] = {0, 0, 0, 0};
    table().imageFill(image, 0, 0, 32, 32, clear);
    ASSERT_EQ(table().glyphRender(handle, u'■'), PEL_OK);
    const Sprite2Font* font = sprite2Font(handle);
    const FT_BitmapGlyph glyph = font->glyph;
    ASSERT_NE(glyph, nullptr);
    const float colour[4] = {1.0f, 0.5f, 0.0f, 0.0f};
    uint8_t gamma[256];
    identity(gamma);
    ASSERT_EQ(table().glyphDraw(image, 4, 2, 28, 30, colour, handle, gamma), PEL_OK);
    const std::vector<uint8_t> bytes = textureBytes(*sprite2Surface(image)->texture);
    const int left = 4 + glyph->left;
    const int top = 2 + font->ascender - glyph->top;
    // The middle of the square is fully covered; the pixel left of the box is untouched.
    const int cx = left + static_cast<int>(glyph->bitmap.width) / 2;
    const int cy = top + static_cast<int>(glyph->bitmap.rows) / 2;
    const uint8_t* centre = &bytes[(cy * 32 + cx) * 4];
    EXPECT_EQ(std::vector<uint8_t>(centre, centre + 4), (std::vector<uint8_t>{0, 128, 255, 255}));
    const uint8_t* outside = &bytes[(cy * 32 + left - 1) * 4];
    EXPECT_EQ(std::vector<uint8_t>(outside, outside + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    table().imageRelease(image);
    table().fontRelease(handle);
}

TEST_F(FontTest, GlyphsAreClippedToTheBoxAndTheSurface) {
    PelSpriteBackendFont* handle = makeFont(16);
    ASSERT_EQ(table().glyphRender(handle, u'■'), PEL_OK);
    Sprite2Font* font = sprite2Font(handle);
    const float colour[4] = {1, 1, 1, 0};
    uint8_t gamma[256];
    identity(gamma);
    struct Case {
        uint32_t x, y, width, height;
        int32_t ascender;      // forced, to move the glyph's top
        size_t columns, rows;  // how much of the bitmap is drawn
    };
    const int32_t ascender = font->ascender;
    const FT_Bitmap& bitmap = font->glyph->bitmap;
    const auto left = static_cast<uint32_t>(font->glyph->left);
    const auto top = static_cast<uint32_t>(ascender - font->glyph->top);
    // Pixels with coverage in the bitmap's top-left columns x rows.
    auto covered = [&](size_t columns, size_t rows) {
        size_t count = 0;
        for (size_t y = 0; y < rows; ++y)
            for (size_t x = 0; x < columns; ++x) count += bitmap.buffer[y * bitmap.pitch + x] != 0;
        return count;
    };
    ASSERT_GT(covered(bitmap.width, bitmap.rows), 0u);
    const Case cases[] = {
        {0, 0, 64, 64, ascender, bitmap.width, bitmap.rows},
        {0, 0, left, 64, ascender, 0, 0},                // the box ends where the glyph starts
        {0, 0, 64, top + 2, ascender, bitmap.width, 2},  // two rows fit the box
        {0, 0, 64, 64, font->glyph->top - 1, 0, 0},      // the top lies above the surface
        {20, 0, 64, 64, ascender, 24 - 20 - left, bitmap.rows},  // the surface's edge
    };
    for (const Case& c : cases) {
        PelSpriteBackendImage* image = table().imageCreate(table().user, 24, 24);
        const float clear[4] = {0, 0, 0, 0};
        table().imageFill(image, 0, 0, 24, 24, clear);
        font->ascender = c.ascender;
        EXPECT_EQ(table().glyphDraw(image, c.x, c.y, c.width, c.height, colour, handle, gamma),
                  PEL_OK);
        const std::vector<uint8_t> bytes = textureBytes(*sprite2Surface(image)->texture);
        size_t drawn = 0;
        for (size_t i = 3; i < bytes.size(); i += 4) drawn += bytes[i] != 0;
        EXPECT_EQ(drawn, covered(c.columns, c.rows))
            << c.x << "," << c.width << "," << c.height << "," << c.ascender;
        table().imageRelease(image);
    }
    font->ascender = ascender;
    table().fontRelease(handle);
}

// A logical size set larger than the texture must not let a glyph be written past it.
TEST_F(FontTest, GlyphsStayInsideTheTextureWhateverTheLogicalSize) {
    PelSpriteBackendFont* handle = makeFont(16);
    ASSERT_EQ(table().glyphRender(handle, u'■'), PEL_OK);
    PelSpriteBackendImage* image = table().imageCreate(table().user, 8, 8);
    table().imageSetSize(image, 100, 100);
    const float colour[4] = {1, 1, 1, 0};
    uint8_t gamma[256];
    identity(gamma);
    EXPECT_EQ(table().glyphDraw(image, 4, 0, 100, 100, colour, handle, gamma), PEL_OK);
    EXPECT_EQ(table().glyphDraw(image, 20, 0, 100, 100, colour, handle, gamma), PEL_OK);
    const std::vector<uint8_t> bytes = textureBytes(*sprite2Surface(image)->texture);
    EXPECT_EQ(bytes.size(), 8u * 8u * 4u);
    table().imageRelease(image);
    table().fontRelease(handle);
}

// A font's embedded bitmaps may be 1 bit per pixel: each bit is full or no coverage, and no
// byte past the bitmap's rows is read.
TEST_F(FontTest, OneBitGlyphsAreWidenedToCoverage) {
    PelSpriteBackendFont* handle = makeFont(16);
    Sprite2Font* font = sprite2Font(handle);
    // 10 x 2 pixels in rows of 2 bytes: 1010000011 and 0100000001.
    std::vector<uint8_t> bits = {0xA0, 0xC0, 0x40, 0x40};
    FT_BitmapGlyphRec glyph{};
    glyph.root.format = FT_GLYPH_FORMAT_BITMAP;
    glyph.left = 0;
    glyph.top = font->ascender;
    glyph.bitmap.rows = 2;
    glyph.bitmap.width = 10;
    glyph.bitmap.pitch = 2;
    glyph.bitmap.buffer = bits.data();
    glyph.bitmap.pixel_mode = FT_PIXEL_MODE_MONO;
    font->glyph = &glyph;
    PelSpriteBackendImage* image = table().imageCreate(table().user, 10, 2);
    const float clear[4] = {0, 0, 0, 0};
    table().imageFill(image, 0, 0, 10, 2, clear);
    const float colour[4] = {1, 1, 1, 0};
    uint8_t gamma[256];
    identity(gamma);
    ASSERT_EQ(table().glyphDraw(image, 0, 0, 10, 2, colour, handle, gamma), PEL_OK);
    const std::vector<uint8_t> bytes = textureBytes(*sprite2Surface(image)->texture);
    std::string alpha;
    for (size_t i = 3; i < bytes.size(); i += 4) alpha += bytes[i] == 255 ? '1' : '0';
    EXPECT_EQ(alpha,
              "1010000011"
              "0100000001");
    font->glyph = nullptr;
    table().imageRelease(image);
    table().fontRelease(handle);
}

TEST_F(FontTest, OnlyTextSurfacesTakeGlyphs) {
    writeImage("plain.png", 8, 8, std::vector<uint8_t>(256, 255));
    PelSpriteBackendImage* image = table().imageLoad(table().user, 0, u"plain.png");
    PelSpriteBackendFont* font = makeFont(12);
    ASSERT_EQ(table().glyphRender(font, u'A'), PEL_OK);
    const float colour[4] = {1, 1, 1, 0};
    uint8_t gamma[256];
    identity(gamma);
    EXPECT_EQ(table().glyphDraw(image, 0, 0, 8, 8, colour, font, gamma), PEL_E_INVALIDARG);
    EXPECT_TRUE(wasReported(PEL_REPORT_DEBUG, u"Debug: [fontDraw] not font texture"));
    table().imageRelease(image);
    table().fontRelease(font);
}

// The kinds our device never stores, written in memory: 2 x 1 pixels of coverage 0 and 255.
TEST_F(FontTest, CoverageBytesFollowEachKind) {
    const uint8_t coverage[2] = {0, 255};
    const uint8_t rgb[3] = {0xF0, 0x80, 0x10};
    uint8_t gamma[256];
    identity(gamma);
    gamma[0] = 0x20;
    struct Case {
        uint32_t kind;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {0, {0xF0, 0x80, 0x10, 0x20, 0xF0, 0x80, 0x10, 0xFF}},
        {2, {0x10, 0x80, 0xF0, 0x20, 0x10, 0x80, 0xF0, 0xFF}},
        {5, {0x81, 0x2F, 0x81, 0xFF}},  // alpha nibble 2, then F
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> rows(c.bytes.size(), 0xEE);
        ASSERT_TRUE(sprite2DrawCoverage(c.kind, rows.data(), static_cast<int32_t>(rows.size()), 2,
                                        1, coverage, 2, rgb, gamma));
        EXPECT_EQ(rows, c.bytes) << "kind " << c.kind;
    }
    std::vector<uint8_t> rows(4, 0xEE);
    EXPECT_FALSE(sprite2DrawCoverage(4, rows.data(), 4, 2, 1, coverage, 2, rgb, gamma));
    EXPECT_EQ(rows, std::vector<uint8_t>(4, 0xEE));
}

class FontStartTest : public Sprite2Test {
protected:
    void TearDown() override {
        stopFont();
        Sprite2Test::TearDown();
    }
};

TEST_F(FontStartTest, AMissingFontFileIsFatal) {
    stopFont();
    EXPECT_THROW(sprite2Init(), FatalReport);
    EXPECT_TRUE(
        wasReported(PEL_REPORT_ERROR, u"Error: [File::create] \"sys/font.ttf\"を開けません。"));
    // Fonts cannot be made without it.
    EXPECT_EQ(table().fontCreate(table().user, 16, 4), nullptr);
    EXPECT_TRUE(wasReported(PEL_REPORT_DEBUG, u"Debug: [fontCreate] can't lookup size"));
}

TEST_F(FontStartTest, AFileFreeTypeRefusesIsFatal) {
    stopFont();
    for (const std::string& bytes : {std::string(4096, 'x'), std::string()}) {
        writeBesideExecutable("sys/font.ttf", bytes);
        ReportCapture::entries().clear();
        EXPECT_THROW(sprite2Init(), FatalReport) << bytes.size();
        EXPECT_TRUE(
            wasReported(PEL_REPORT_ERROR, u"Error: [sprite2Init] フォントの読み込みに失敗しました"))
            << bytes.size();
    }
}

TEST_F(FontStartTest, TheFontIsReadOncePerProcess) {
    stopFont();
    startFont();
    PelSpriteBackendFont* font = table().fontCreate(table().user, 16, 4);
    ASSERT_NE(font, nullptr);
    // A second start changes nothing, whatever the files say now.
    writeBesideExecutable("sys/font.ttf", std::string(4096, 'x'));
    sprite2Init();
    EXPECT_EQ(table().glyphRender(font, u'字'), PEL_OK);
    table().fontRelease(font);
}

}  // namespace
}  // namespace tessera::test
