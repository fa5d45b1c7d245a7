// Mip level generation: 2:1 pairs and boxes, the chains the texture upload makes, and the
// sizes that fall back to the resampler or the one-to-one conversion.
#include <gtest/gtest.h>

#include "pixelconv/blit.h"
#include "pixelconv/mip_level.h"
#include "pixelconv/tex_level.h"
#include "tests/pixelconv/fixture_image.h"

namespace pixeltest {
namespace {

using namespace mirel;
using Bytes = std::vector<uint8_t>;

// The mean of the given source pixels (2x, 2y) .. (2x + 1, 2y + 1) of a reference picture.
DimgRgba Mean(FixtureImage& src, std::vector<std::pair<int, int>> at) {
    uint32_t sum[4] = {};
    for (auto [x, y] : at) {
        const DimgRgba c = GetAny(src.kind(), src.pixel(x, y));
        sum[0] += c.r, sum[1] += c.g, sum[2] += c.b, sum[3] += c.a;
    }
    const uint32_t shift = at.size() == 4 ? 2 : 1;
    return {uint8_t(sum[0] >> shift), uint8_t(sum[1] >> shift), uint8_t(sum[2] >> shift),
            uint8_t(sum[3] >> shift)};
}

// Builds each level of a chain from the one above and checks it against the means of the
// pixels it covers; odd last columns and rows must not count.
TEST(l3dConvertMipLevel, ChainsOfBoxesAndPairs) {
    std::mt19937 rng(17);
    for (auto [w, h, kind] :
         {std::tuple{256, 64, DImageKind::BGRA32}, std::tuple{100, 60, DImageKind::A1R5G5B5},
          std::tuple{100, 60, DImageKind::RGBA32}, std::tuple{100, 60, DImageKind::YCbCr24},
          std::tuple{1, 5, DImageKind::R5G6B5}}) {
        auto level = std::make_unique<FixtureImage>(kind, w, h, 2, false, rng);
        while (w > 1 || h > 1) {
            const int nw = std::max(w / 2, 1), nh = std::max(h / 2, 1);
            auto next = std::make_unique<FixtureImage>(kind, nw, nh, 1, true, rng);
            Bytes expected = next->bytes();
            for (int y = 0; y < nh; ++y) {
                for (int x = 0; x < nw; ++x) {
                    std::vector<std::pair<int, int>> at;
                    if (w == 1) {
                        at = {{0, 2 * y}, {0, 2 * y + 1}};
                    } else if (h == 1) {
                        at = {{2 * x, 0}, {2 * x + 1, 0}};
                    } else {
                        at = {{2 * x, 2 * y},
                              {2 * x + 1, 2 * y},
                              {2 * x, 2 * y + 1},
                              {2 * x + 1, 2 * y + 1}};
                    }
                    PutAny(kind, Mean(*level, at), expected.data() + next->offsetOf(x, y));
                }
            }
            l3dConvertMipLevel(next->image(), level->image(), nw, nh, w, h, 0, 0);
            ASSERT_EQ(next->bytes(), expected) << w << "x" << h << " -> " << nw << "x" << nh;
            level = std::move(next);
            w = nw, h = nh;
        }
    }
}

// One destination pixel from a 2 x 1 (pair) or 2 x 2 (box) source of one kind.
Bytes Reduce(DImageKind kind, int w, int h, Bytes src) {
    FixtureImage source(kind, w, h, std::move(src));
    FixtureImage level(kind, 1, 1, Bytes(DimgBytesPerPixel(kind), 0));
    l3dConvertMipLevel(level.image(), source.image(), 1, 1, w, h, 0, 0);
    return level.bytes();
}

TEST(l3dConvertMipLevel, TruncatedMeans) {
    constexpr auto BGRA = DImageKind::BGRA32, A1 = DImageKind::A1R5G5B5;
    EXPECT_EQ(Reduce(BGRA, 2, 1, {0, 0, 0, 255, 0, 0, 0, 0}), (Bytes{0, 0, 0, 127}));
    EXPECT_EQ(Reduce(BGRA, 2, 2, {1, 1, 1, 255, 1, 1, 1, 255, 1, 1, 1, 255, 2, 2, 2, 0}),
              (Bytes{1, 1, 1, 191}));
    EXPECT_EQ(Reduce(A1, 2, 2, {0, 0x80, 0, 0x80, 0, 0x80, 0, 0}), (Bytes{0, 0x80}));
    EXPECT_EQ(Reduce(A1, 2, 2, {0, 0x80, 0, 0x80, 0, 0, 0, 0}), (Bytes{0, 0}));
    EXPECT_EQ(Reduce(A1, 2, 1, {0, 0x80, 0, 0}), (Bytes{0, 0}));
    EXPECT_EQ(Reduce(DImageKind::R5G6B5, 2, 2, Bytes(8, 0xFF)), (Bytes{0xDF, 0xFF}));
    EXPECT_EQ(Reduce(DImageKind::A4R4G4B4, 2, 1, {0, 0xF0, 0, 0x10}), (Bytes{0, 0x80}));
    EXPECT_EQ(
        Reduce(DImageKind::YCbCr24, 2, 2, {9, 128, 128, 9, 128, 128, 9, 128, 128, 9, 128, 128}),
        (Bytes{8, 128, 128}));
}

// Sizes that are not an exact halving are resampled; equal sizes convert one to one.
TEST(l3dConvertMipLevel, OtherSizesFallBack) {
    std::mt19937 rng(23);
    struct Case {
        int srcW, srcH, dstW, dstH;
    };
    for (const Case& c : {Case{4, 4, 1, 1}, Case{1, 5, 1, 3}, Case{6, 6, 4, 2}}) {
        FixtureImage src(DImageKind::RGBA32, c.srcW, c.srcH, 0, false, rng);
        FixtureImage mip(DImageKind::RGBA32, c.dstW, c.dstH, Bytes(size_t(c.dstW) * c.dstH * 4, 0));
        FixtureImage tex(DImageKind::RGBA32, c.dstW, c.dstH, Bytes(size_t(c.dstW) * c.dstH * 4, 0));
        l3dConvertMipLevel(mip.image(), src.image(), c.dstW, c.dstH, c.srcW, c.srcH, 0, 0);
        l3dConvertToTexLevel(tex.image(), src.image(), c.dstW, c.dstH, c.srcW, c.srcH, 0, 0);
        EXPECT_EQ(mip.bytes(), tex.bytes()) << c.srcW << "x" << c.srcH;
    }
    FixtureImage src(DImageKind::R5G6B5, 4, 3, 0, false, rng);
    FixtureImage same(DImageKind::R5G6B5, 4, 3, Bytes(24, 0));
    l3dConvertMipLevel(same.image(), src.image(), 4, 3, 4, 3, 0, 0);
    EXPECT_EQ(same.pictureBytes(), src.pictureBytes());
}

}  // namespace
}  // namespace pixeltest
