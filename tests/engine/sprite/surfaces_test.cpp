#include "engine/sprite/pixel_rows.h"
#include "framework/image/image.h"
#include "tests/engine/sprite/sprite2_fixture.h"

namespace tessera::test {
namespace {

class SurfaceTest : public Sprite2Test {
protected:
    // A 2 x 1 image: an opaque orange pixel and a half-transparent teal one.
    void writeTwoPixels(const std::string& name) {
        writeImage(name, 2, 1, {255, 128, 0, 255, 0, 128, 128, 64});
    }
};

TEST_F(SurfaceTest, LoadedImagesDecodeIntoTheTextureLayout) {
    writeTwoPixels("two.png");
    PelSpriteBackendImage* image = table().imageLoad(table().user, 0, u"two.png");
    ASSERT_NE(image, nullptr);
    Sprite2Surface* surface = sprite2Surface(image);
    ASSERT_EQ(surface->texture->pixelKind, 2u);  // BGRA32 on our device
    EXPECT_STREQ(surface->texture->name, "two.png");
    EXPECT_EQ(textureBytes(*surface->texture),
              (std::vector<uint8_t>{0, 128, 255, 255, 128, 128, 0, 64}));
    table().imageRelease(image);
    EXPECT_EQ(device().textureCount(), 0u);
}

// The kinds our device never stores, decoded into rows in memory.
TEST_F(SurfaceTest, DecodingFollowsEachTextureKind) {
    writeTwoPixels("two.png");
    struct Case {
        uint32_t kind;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {0, {255, 128, 0, 255, 0, 128, 128, 64}},  // RGBA32: R, G, B, A
        {2, {0, 128, 255, 255, 128, 128, 0, 64}},  // BGRA32: B, G, R, A
        {5, {0x80, 0xFF, 0x88, 0x40}},             // A4R4G4B4 words 0xFF80, 0x4088
    };
    for (const Case& c : cases) {
        PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, u"two.png", 0);
        ASSERT_NE(file, nullptr);
        PEL_IMAGE_INFO info{};
        ASSERT_EQ(pelImageGetInfo(&info, file), PEL_OK);
        std::vector<uint8_t> rows(c.bytes.size(), 0xEE);
        EXPECT_TRUE(sprite2DecodeRows(c.kind, info, file, rows.data(),
                                      static_cast<int32_t>(rows.size()), 1));
        EXPECT_EQ(rows, c.bytes) << "kind " << c.kind;
        pelFileClose(file);
    }
    EXPECT_EQ(sprite2DecodeKind(1), -1);  // RGB24
    EXPECT_EQ(sprite2DecodeKind(6), -1);  // R5G6B5
}

TEST_F(SurfaceTest, OneNameInTwoContextsIsOneTextureWithTwoReferences) {
    writeTwoPixels("shared.png");
    PEL_SPRITE_BACKEND second{};
    sprite2CreateDeviceSet(&second, {&device(), kScreenWidth, kScreenHeight, 1});
    PEL_SPRITE_CONTEXT* first = context();
    PEL_SPRITE_CONTEXT* other = pelSpriteCreateContext(&second);
    PEL_SPRITE_IMAGE* a = pelSpriteImageLoad(u"shared.png", first);
    PEL_SPRITE_IMAGE* b = pelSpriteImageLoad(u"SHARED.png", other);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(device().textureCount(), 1u);
    Sprite2Surface* surfaceA = sprite2Surface(a->handle);
    Sprite2Surface* surfaceB = sprite2Surface(b->handle);
    EXPECT_NE(surfaceA, surfaceB);
    EXPECT_EQ(surfaceA->texture.Get(), surfaceB->texture.Get());
    EXPECT_EQ(surfaceA->texture.UseCount(), 2);
    pelSpriteDestroyContext(other);
    sprite2DestroyDeviceSet(&second);
    EXPECT_EQ(surfaceA->texture.UseCount(), 1);
    EXPECT_EQ(device().textureCount(), 1u);
}

TEST_F(SurfaceTest, TextSurfacesAreWritableAndUnscaled) {
    remakeDeviceSet(2);
    PelSpriteBackendImage* image = table().imageCreate(table().user, 24, 10);
    ASSERT_NE(image, nullptr);
    uint32_t width = 0, height = 0;
    table().imageSize(&width, &height, image);
    EXPECT_EQ(width, 24u);
    EXPECT_EQ(height, 10u);
    EXPECT_EQ(table().imageIsWritable(image), 1);
    EXPECT_STREQ(sprite2Surface(image)->texture->name, "");
    table().imageSetSize(image, 5, 6);
    table().imageSize(&width, &height, image);
    EXPECT_EQ(width, 5u);
    EXPECT_EQ(height, 6u);
    table().imageRelease(image);
}

TEST_F(SurfaceTest, FillsAreClippedToTheTexture) {
    PelSpriteBackendImage* image = table().imageCreate(table().user, 4, 2);
    L3DTexture& texture = *sprite2Surface(image)->texture;
    const float zero[4] = {0, 0, 0, 0};
    table().imageFill(image, 0, 0, 4, 2, zero);
    const float colour[4] = {1.0f, 0.5f, 0.0f, 0.2f};  // bytes 255, 128, 0, 51
    table().imageFill(image, 2, 1, 100, 100, colour);
    std::vector<uint8_t> expected(32, 0);
    for (int x : {2, 3}) {
        const uint8_t bgra[4] = {0, 128, 255, 51};
        std::copy(bgra, bgra + 4, expected.begin() + (4 + x) * 4);
    }
    EXPECT_EQ(textureBytes(texture), expected);
    // A corner at or beyond the texture fills nothing.
    table().imageFill(image, 4, 0, 1, 1, colour);
    table().imageFill(image, 0, 2, 1, 1, colour);
    EXPECT_EQ(textureBytes(texture), expected);
    table().imageRelease(image);
}

TEST_F(SurfaceTest, FillBytesFollowEachKind) {
    const uint8_t rgba[4] = {0xF1, 0x82, 0x13, 0x64};
    struct Case {
        uint32_t kind;
        std::vector<uint8_t> pixel;
    };
    const Case cases[] = {
        {0, {0xF1, 0x82, 0x13, 0x64}}, {2, {0x13, 0x82, 0xF1, 0x64}}, {5, {0x81, 0x6F}},  // 0x6F81
    };
    for (const Case& c : cases) {
        const size_t size = c.pixel.size();
        std::vector<uint8_t> rows(2 * (2 * size + 3), 0xEE);  // 2 x 2 pixels, pitch padded
        const auto pitch = static_cast<int32_t>(2 * size + 3);
        ASSERT_TRUE(sprite2FillRows(c.kind, rows.data(), pitch, 2, 2, rgba));
        for (int y = 0; y < 2; ++y) {
            for (size_t x = 0; x < 2; ++x) {
                const std::vector<uint8_t> got(rows.begin() + y * pitch + x * size,
                                               rows.begin() + y * pitch + (x + 1) * size);
                EXPECT_EQ(got, c.pixel) << "kind " << c.kind;
            }
            EXPECT_EQ(rows[y * pitch + 2 * size], 0xEE);  // the padding stays
        }
    }
    std::vector<uint8_t> untouched(8, 0xEE);
    EXPECT_FALSE(sprite2FillRows(6, untouched.data(), 4, 2, 1, rgba));
    EXPECT_EQ(untouched, std::vector<uint8_t>(8, 0xEE));
}

TEST_F(SurfaceTest, LoadFailuresAreFatalWithTheirTexts) {
    writeBesideExecutable("junk.png", "not an image at all");
    EXPECT_THROW(table().imageLoad(table().user, 0, u"missing.png"), FatalReport);
    EXPECT_TRUE(
        wasReported(PEL_REPORT_ERROR, u"Error: [File::create] \"missing.png\"を開けません。"));
    EXPECT_THROW(table().imageLoad(table().user, 0, u"junk.png"), FatalReport);
    EXPECT_TRUE(wasReported(PEL_REPORT_ERROR,
                            u"Error: [surfaceLoadImage] 画像形式を認識できませんでした(junk.png)"));
    EXPECT_EQ(device().textureCount(), 0u);
    EXPECT_EQ(set()->surfaces.count, 0u);
}

TEST_F(SurfaceTest, LongNamesAreCutWithoutSplittingACharacter) {
    // 126 bytes of ASCII, then a double-byte character that would end at byte 128.
    const std::string utf8 = std::string(126, 'a') + "あ.png";
    writeImage(utf8, 1, 1, {1, 2, 3, 255});
    const std::u16string name = std::u16string(126, u'a') + u"あ.png";
    PelSpriteBackendImage* image = table().imageLoad(table().user, 0, name.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(std::string(sprite2Surface(image)->texture->name), std::string(126, 'a'));
    table().imageRelease(image);
}

}  // namespace
}  // namespace tessera::test
