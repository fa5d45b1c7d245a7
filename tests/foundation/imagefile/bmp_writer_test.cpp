#include <gtest/gtest.h>

#include <string>

#include "foundation/DExceptFile.h"
#include "foundation/imagefile/image_file.h"
#include "tests/foundation/imagefile/image_test_support.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/support/temp_dir.h"

namespace mirel {
namespace {

uint32_t U32At(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

// A 5 x 2 RGBA32 image whose pixel (x, y) is R = 10x + y, G = 100 + y, B = 200 - x, A = 7.
void MakeImage(DImage& image) {
    ASSERT_TRUE(image.CreateAutoPitch(5, 2, DImageKind::RGBA32));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) {
            uint8_t* p = image.PixelAddress(x, y);
            p[0] = static_cast<uint8_t>(10 * x + y), p[1] = static_cast<uint8_t>(100 + y);
            p[2] = static_cast<uint8_t>(200 - x), p[3] = 7;
        }
}

TEST(BmpWriter, WritesA24BitBottomUpFile) {
    DImage image;
    MakeImage(image);
    DFile file;
    tessera::test::MemoryStream& stream = tessera::test::attachMemory(file, "", "shot.bmp");
    ASSERT_TRUE(DimgWriteBitmap(file, image));
    const std::string& bytes = stream.bytes();
    ASSERT_EQ(bytes.size(), 54u + 2 * 16);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(U32At(bytes, 2), 86u);
    EXPECT_EQ(U32At(bytes, 10), 54u);
    EXPECT_EQ(U32At(bytes, 14), 40u);
    EXPECT_EQ(U32At(bytes, 18), 5u);
    EXPECT_EQ(U32At(bytes, 22), 2u);
    EXPECT_EQ(U32At(bytes, 26), 1u | 24u << 16);  // planes, bits per pixel
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(U32At(bytes, at), 0u) << at;
    // The first stored row is the image's bottom row (y = 1), B, G, R, then one zero.
    EXPECT_EQ(bytes.substr(54, 3), Bytes({200, 101, 1}));
    EXPECT_EQ(bytes.substr(54 + 12, 4), Bytes({196, 101, 41, 0}));
    EXPECT_EQ(bytes.substr(70, 3), Bytes({200, 100, 0}));
}

TEST(BmpWriter, RoundTripKeepsColoursWithOpaqueAlpha) {
    DImage image;
    MakeImage(image);
    DFile file;
    tessera::test::MemoryStream& stream = tessera::test::attachMemory(file, "");
    ASSERT_TRUE(DimgWriteBitmap(file, image));
    DImage back;
    ASSERT_TRUE(LoadBytes(DimgLoadBitmap, stream.bytes(), back));
    ASSERT_EQ(back.Width(), 5);
    ASSERT_EQ(back.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) {
            std::string expected = PixelAt(image, x, y);
            expected[3] = static_cast<char>(255);
            EXPECT_EQ(PixelAt(back, x, y), expected) << x << "," << y;
        }
}

TEST(BmpWriter, WriteErrorsAreLoggedOrThrownByTheThrowFlag) {
    tessera::test::TempDir dir;
    const std::string path = dir.write("read-only.bmp", "");
    DImage image;
    MakeImage(image);
    tessera::test::DebugCapture log;

    DFile file;
    ASSERT_TRUE(file.Open(path.c_str(), DFile::OpenRead));
    EXPECT_FALSE(DimgWriteBitmap(file, image));
    EXPECT_FALSE(file.GetThrow());
    EXPECT_EQ(log.text(), "[DimgWriteBitmap] \"" + path + "\": Write Error\n");

    file.SetThrow(true);
    EXPECT_THROW(DimgWriteBitmap(file, image), DExceptFile);
    EXPECT_TRUE(file.GetThrow());
}

}  // namespace
}  // namespace mirel
