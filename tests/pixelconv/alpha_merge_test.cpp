// The texture alpha merge: inversion in place, only alpha bits, only the covered rectangle.
#include <gtest/gtest.h>

#include "pixelconv/alpha_merge.h"
#include "tests/pixelconv/fixture_image.h"

namespace pixeltest {
namespace {

using namespace mirel;
using Bytes = std::vector<uint8_t>;
using MergeFn = void (*)(uint8_t*, DImage&, uint8_t*, DImage&, uint32_t, uint32_t);

Bytes MergeInPlace(MergeFn merge, DImageKind kind, Bytes bytes, bool reverse = false) {
    const int width = int(bytes.size() / DimgBytesPerPixel(kind));
    FixtureImage image(kind, width, 1, std::move(bytes), reverse);
    merge(image.image().FirstRow(), image.image(), image.image().FirstRow(), image.image(),
          uint32_t(width), 1);
    return image.bytes();
}

TEST(l3dMergeAlpha, InvertsAlphaInPlace) {
    EXPECT_EQ(
        MergeInPlace(l3dMergeAlpha32, DImageKind::RGBA32, {1, 2, 3, 0, 4, 5, 6, 255, 7, 8, 9, 100}),
        (Bytes{1, 2, 3, 255, 4, 5, 6, 0, 7, 8, 9, 155}));
    EXPECT_EQ(MergeInPlace(l3dMergeAlpha1555, DImageKind::A1R5G5B5, {0xFF, 0x7F, 0x01, 0x80}),
              (Bytes{0xFF, 0xFF, 0x01, 0x00}));
    EXPECT_EQ(
        MergeInPlace(l3dMergeAlpha4444, DImageKind::A4R4G4B4, {0xFF, 0x0F, 0x00, 0xF0, 0x21, 0x3A}),
        (Bytes{0xFF, 0xFF, 0x00, 0x00, 0x21, 0xCA}));
    const Bytes rgb = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(MergeInPlace(l3dMergeAlphaNone24, DImageKind::RGB24, rgb), rgb);
    EXPECT_EQ(MergeInPlace(l3dMergeAlphaNone24, DImageKind::YCbCr24, rgb), rgb);
    EXPECT_EQ(MergeInPlace(l3dMergeAlphaNone565, DImageKind::R5G6B5, rgb), rgb);
}

TEST(l3dMergeAlpha, TwiceIsTheIdentity) {
    std::mt19937 rng(31);
    for (auto [merge, kind] : {std::pair{&l3dMergeAlpha32, DImageKind::BGRA32},
                               std::pair{&l3dMergeAlpha1555, DImageKind::A1R5G5B5},
                               std::pair{&l3dMergeAlpha4444, DImageKind::A4R4G4B4}}) {
        FixtureImage image(kind, 7, 5, 3, true, rng);
        const Bytes before = image.bytes();
        DImage& i = image.image();
        merge(i.FirstRow(), i, i.FirstRow(), i, 7, 5);
        EXPECT_NE(image.bytes(), before);
        merge(i.FirstRow(), i, i.FirstRow(), i, 7, 5);
        EXPECT_EQ(image.bytes(), before);
    }
}

TEST(l3dMergeAlpha, TwoImagesChangeOnlyTheCoveredRectangle) {
    std::mt19937 rng(37);
    FixtureImage dst(DImageKind::RGBA32, 6, 5, 2, false, rng);
    FixtureImage src(DImageKind::RGBA32, 3, 2, 1, true, rng);
    Bytes expected = dst.bytes();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) expected[dst.offsetOf(x, y) + 3] = 255 - src.pixel(x, y)[3];
    l3dMergeAlpha32(dst.image().FirstRow(), dst.image(), src.image().FirstRow(), src.image(), 6, 5);
    EXPECT_EQ(dst.bytes(), expected);
}

}  // namespace
}  // namespace pixeltest
