// The blits' worked examples: stepping, clipping, orientation, the four policies' pixel
// rules on chosen values, and the calls made on the images.
#include <gtest/gtest.h>

#include <string>

#include "foundation/DImageReverse.h"
#include "pixelconv/blit.h"
#include "pixelconv/blit_clip.h"
#include "pixelconv/mip_level.h"
#include "pixelconv/nearest_step.h"
#include "pixelconv/tex_level.h"
#include "tests/pixelconv/fixture_image.h"

namespace pixeltest {
namespace {

using namespace mirel;
using Bytes = std::vector<uint8_t>;
using BlitFn = void (*)(DImage&, DImage&, uint32_t, uint32_t, uint32_t, uint32_t, uint8_t, uint8_t);

std::vector<uint32_t> Steps(uint32_t n, uint32_t m) {
    DimgNearestStep step(n, m);
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < m; ++i, step.Advance()) out.push_back(step.Index());
    return out;
}

TEST(DimgNearestStep, SpecifiedSamples) {
    using V = std::vector<uint32_t>;
    EXPECT_EQ(Steps(2, 4), (V{0, 0, 1, 1}));
    EXPECT_EQ(Steps(4, 2), (V{0, 2}));
    EXPECT_EQ(Steps(3, 2), (V{0, 1}));
    EXPECT_EQ(Steps(5, 9), (V{0, 1, 1, 2, 2, 3, 3, 4, 4}));
    EXPECT_EQ(Steps(9, 5), (V{0, 2, 4, 5, 7}));
    EXPECT_EQ(Steps(1, 3), (V{0, 0, 0}));
    EXPECT_EQ(Steps(3, 7), (V{0, 0, 1, 1, 2, 2, 2}));
    EXPECT_EQ(Steps(2, 5), (V{0, 0, 1, 1, 1}));
    EXPECT_EQ(Steps(7, 3), (V{0, 2, 5}));
}

TEST(DimgClipRectScaled, Examples) {
    // Twelve requested onto a six-wide image: the left half of the source is enlarged.
    uint32_t dw = 12, dh = 4, sw = 6, sh = 4;
    DimgClipRectScaled(6, 4, 6, 4, dw, dh, sw, sh);
    EXPECT_EQ(dw, 6u);
    EXPECT_EQ(sw, 3u);
    EXPECT_EQ(dh, 4u);
    EXPECT_EQ(sh, 4u);
    // Sizes equal to the images' never change.
    dw = 7, dh = 5, sw = 3, sh = 2;
    DimgClipRectScaled(7, 5, 3, 2, dw, dh, sw, sh);
    EXPECT_EQ((std::vector<uint32_t>{dw, dh, sw, sh}), (std::vector<uint32_t>{7, 5, 3, 2}));
    // A zero destination size with a non-zero source (0 / 0 in the ratio) clips to nothing.
    dw = 0, dh = 3, sw = 5, sh = 3;
    DimgClipRectScaled(7, 5, 5, 3, dw, dh, sw, sh);
    EXPECT_EQ(dw, 0u);
    EXPECT_EQ(sw, 0u);
    // A zero source size changes nothing.
    dw = 40, dh = 40, sw = 0, sh = 2;
    DimgClipRectScaled(7, 5, 5, 3, dw, dh, sw, sh);
    EXPECT_EQ((std::vector<uint32_t>{dw, dh, sw, sh}), (std::vector<uint32_t>{40, 40, 0, 2}));
}

TEST(DimgBlit, ReverseDestinationGetsTheBottomRowFirstInMemory) {
    FixtureImage src(DImageKind::RGBA32, 2, 2,
                     Bytes{1, 2, 3, 4, 5, 6, 7, 8,  //
                           9, 10, 11, 12, 13, 14, 15, 16});
    FixtureImage dst(DImageKind::BGR24, 2, 2, Bytes(12, 0), true);
    DimgBlit(dst.image(), src.image(), 2, 2, 2, 2, 0, 0);
    EXPECT_EQ(dst.bytes(), (Bytes{11, 10, 9, 15, 14, 13, 3, 2, 1, 7, 6, 5}));
}

TEST(DimgBlit, NearestBlocksAndSamples) {
    FixtureImage small(DImageKind::RGB24, 2, 2, Bytes{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4});
    FixtureImage big(DImageKind::RGB24, 4, 4, Bytes(48, 0));
    DimgBlit(big.image(), small.image(), 4, 4, 2, 2, 0, 0);
    Bytes rows;
    for (uint8_t v : {1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4})
        rows.insert(rows.end(), 3, v);
    EXPECT_EQ(big.bytes(), rows);

    Bytes counting;
    for (int i = 0; i < 16; ++i) counting.insert(counting.end(), 3, uint8_t(i));
    FixtureImage source(DImageKind::RGB24, 4, 4, counting);
    FixtureImage out(DImageKind::RGB24, 2, 2, Bytes(12, 0));
    DimgBlit(out.image(), source.image(), 2, 2, 4, 4, 0, 0);
    EXPECT_EQ(out.bytes(), (Bytes{0, 0, 0, 2, 2, 2, 8, 8, 8, 10, 10, 10}));
}

// One pixel through a blit: the destination's bytes afterwards.
Bytes OnePixel(BlitFn blit, DImageKind dstKind, Bytes dstBytes, DImageKind srcKind, Bytes srcBytes,
               uint8_t alpha) {
    FixtureImage dst(dstKind, 1, 1, std::move(dstBytes));
    FixtureImage src(srcKind, 1, 1, std::move(srcBytes));
    blit(dst.image(), src.image(), 1, 1, 1, 1, alpha, 0x5A);
    return dst.bytes();
}

struct PixelCase {
    const char* what;
    BlitFn blit;
    DImageKind dstKind;
    Bytes dstBefore;
    DImageKind srcKind;
    Bytes src;
    uint8_t alpha;
    Bytes want;
};

TEST(DimgBlitPolicies, PixelExamples) {
    constexpr auto RGBA = DImageKind::RGBA32, BGRA = DImageKind::BGRA32, A1 = DImageKind::A1R5G5B5,
                   A4 = DImageKind::A4R4G4B4, R565 = DImageKind::R5G6B5, YCC = DImageKind::YCbCr24,
                   RGB = DImageKind::RGB24;
    const Bytes white = {255, 255, 255, 255};
    const auto Copy = DimgBlit, Colour = DimgBlitColor, Fixed = DimgBlitColorFixedAlpha,
               Alpha = DimgBlitAlpha;
    // clang-format off
    const std::vector<PixelCase> cases = {
        {"copy: no alpha gives 255", Copy, RGBA, {0, 0, 0, 0}, RGB, {1, 2, 3}, 0, {1, 2, 3, 255}},
        {"copy: clear 1555 bit gives 0", Copy, RGBA, {9, 9, 9, 9}, A1, {0xFF, 0x7F}, 0,
         {248, 248, 248, 0}},
        {"fixed: 1555 alpha 127", Fixed, A1, {0, 0}, RGBA, white, 127, {0xFF, 0x7F}},
        {"fixed: 1555 alpha 128", Fixed, A1, {0, 0}, RGBA, white, 128, {0xFF, 0xFF}},
        {"fixed: 4444 alpha 0x0F", Fixed, A4, {0, 0}, RGBA, white, 0x0F, {0xFF, 0x0F}},
        {"fixed: 4444 alpha 0x10", Fixed, A4, {0, 0}, RGBA, white, 0x10, {0xFF, 0x1F}},
        {"fixed: 4444 alpha 0xFF", Fixed, A4, {0, 0}, RGBA, white, 0xFF, {0xFF, 0xFF}},
        {"fixed: source alpha 0 ignored", Fixed, BGRA, {0, 0, 0, 0}, RGBA, {1, 2, 3, 0}, 255,
         {3, 2, 1, 255}},
        {"fixed: 1555 into itself", Fixed, A1, {0, 0}, A1, {0xFF, 0xFF}, 0, {0xFF, 0x7F}},
        {"fixed: 1555 into itself, set", Fixed, A1, {0, 0}, A1, {0xFF, 0x7F}, 255, {0xFF, 0xFF}},
        {"fixed: 4444 into itself", Fixed, A4, {0, 0}, A4, {0xFF, 0xFF}, 0x20, {0xFF, 0x2F}},
        {"fixed: YCbCr into RGBA32", Fixed, RGBA, {0, 0, 0, 0}, YCC, {76, 255, 84}, 128,
         {254, 0, 0, 128}},
        {"fixed: YCbCr into 1555", Fixed, A1, {0, 0}, YCC, {76, 255, 84}, 128, {0x00, 0xFC}},
        {"fixed: YCbCr into 4444", Fixed, A4, {0, 0}, YCC, {76, 255, 84}, 128, {0x00, 0x8F}},
        {"fixed: 565 into itself keeps bit 5", Fixed, R565, {0, 0}, R565, {0x20, 0}, 9, {0x20, 0}},
        {"fixed: white BGRA32 into 565", Fixed, R565, {0, 0}, BGRA, white, 9, {0xDF, 0xFF}},
        {"fixed: YCbCr into itself", Fixed, YCC, {0, 0, 0}, YCC, {9, 128, 128}, 9, {8, 128, 128}},
        {"colour: 32-bit alpha kept", Colour, BGRA, {0, 0, 0, 77}, RGBA, {1, 2, 3, 0}, 255,
         {3, 2, 1, 77}},
        {"colour: 1555 bit 15 kept", Colour, A1, {0x00, 0x80}, RGB, {0, 0, 0}, 0, {0x00, 0x80}},
        {"colour: 4444 alpha kept", Colour, A4, {0x00, 0x50}, RGBA, white, 0, {0xFF, 0x5F}},
        {"colour: 565 into itself", Colour, R565, {0, 0}, R565, {0x20, 0}, 0, {0x20, 0}},
        {"colour: YCbCr into itself", Colour, YCC, {0, 0, 0}, YCC, {9, 128, 128}, 0, {8, 128, 128}},
        {"alpha: green 128", Alpha, BGRA, {1, 2, 3, 4}, RGB, {0, 128, 0}, 0, {1, 2, 3, 128}},
        {"alpha: green 128 into 1555", Alpha, A1, {0x34, 0x12}, RGB, {0, 128, 0}, 0, {0x34, 0x92}},
        {"alpha: green 127 into 1555", Alpha, A1, {0x34, 0x92}, RGB, {0, 127, 0}, 0, {0x34, 0x12}},
        {"alpha: green 128 into 4444", Alpha, A4, {0x34, 0x12}, RGB, {0, 128, 0}, 0, {0x34, 0x82}},
        {"alpha: green 127 into 4444", Alpha, A4, {0x34, 0x12}, RGB, {0, 127, 0}, 0, {0x34, 0x72}},
        {"alpha: magenta is transparent", Alpha, RGBA, {1, 2, 3, 4}, RGB, {255, 0, 255}, 0,
         {1, 2, 3, 0}},
        {"alpha: 565 full green", Alpha, RGBA, {1, 2, 3, 4}, R565, {0xE0, 0x07}, 0, {1, 2, 3, 248}},
        {"alpha: 4444 full green", Alpha, RGBA, {1, 2, 3, 4}, A4, {0xF0, 0x00}, 0, {1, 2, 3, 240}},
        {"alpha: grey YCbCr", Alpha, RGBA, {1, 2, 3, 4}, YCC, {200, 128, 128}, 0, {1, 2, 3, 200}},
        {"alpha: no alpha in RGB24", Alpha, RGB, {1, 2, 3}, RGB, {7, 8, 9}, 0, {1, 2, 3}},
        {"alpha: no alpha in 565", Alpha, R565, {1, 2}, RGB, {7, 8, 9}, 0, {1, 2}},
    };
    // clang-format on
    for (const PixelCase& c : cases) {
        EXPECT_EQ(OnePixel(c.blit, c.dstKind, c.dstBefore, c.srcKind, c.src, c.alpha), c.want)
            << c.what;
    }
}

// Records the calls of EndAccess, and can claim a kind that is not one of the eight.
class SpyImage : public DImage {
public:
    SpyImage(std::string name, std::string& log, DImageKind kind) : name_(name), log_(log) {
        Create(3, 2, 0, kind);
        std::fill(Pixels(), Pixels() + 2 * Pitch(), uint8_t{0x11});
    }
    void ClaimKind(uint32_t kind) { claimed_ = kind; }
    DImageKind Kind() const override { return claimed_ ? DImageKind(claimed_) : DImage::Kind(); }
    void EndAccess() override { log_ += name_ + ";"; }

private:
    std::string name_;
    std::string& log_;
    uint32_t claimed_ = 0;
};

TEST(DimgDispatch, EndAccessOnSourceThenDestinationUnlessAKindIsUnknown) {
    // The texture conversions share the dispatch.
    for (BlitFn blit : {DimgBlit, DimgBlitColor, DimgBlitColorFixedAlpha, DimgBlitAlpha,
                        l3dConvertToTexLevel, l3dConvertMipLevel}) {
        std::string log;
        SpyImage dst("dst", log, DImageKind::BGRA32), src("src", log, DImageKind::RGB24);
        blit(dst, src, 3, 2, 3, 2, 0, 0);
        blit(dst, src, 0, 0, 3, 2, 0, 0);
        blit(dst, src, 3, 2, 0, 0, 0, 0);
        EXPECT_EQ(log, "src;dst;src;dst;src;dst;");

        const std::vector<uint8_t> before(dst.Pixels(), dst.Pixels() + 2 * dst.Pitch());
        log.clear();
        dst.ClaimKind(8);
        blit(dst, src, 3, 2, 3, 2, 0, 0);
        dst.ClaimKind(0);
        src.ClaimKind(0xFFFFFFFF);
        blit(dst, src, 3, 2, 3, 2, 0, 0);
        EXPECT_EQ(log, "");
        EXPECT_EQ(std::vector<uint8_t>(dst.Pixels(), dst.Pixels() + 2 * dst.Pitch()), before);
    }
}

// Zero sizes, and images that hold no pixels, convert nothing.
TEST(DimgDispatch, ZeroSizesWriteNothing) {
    std::mt19937 rng(5);
    FixtureImage dst(DImageKind::BGRA32, 4, 3, 2, false, rng);
    FixtureImage src(DImageKind::RGB24, 4, 3, 1, true, rng);
    DImage empty;
    ASSERT_TRUE(empty.Create(4, 3, 0, DImageKind::RGBA32));
    ASSERT_TRUE(empty.ReleasePixels());
    const Bytes before = dst.bytes();
    for (BlitFn blit : {DimgBlit, DimgBlitColor, DimgBlitColorFixedAlpha, DimgBlitAlpha,
                        l3dConvertToTexLevel, l3dConvertMipLevel}) {
        blit(dst.image(), src.image(), 0, 3, 4, 3, 9, 0);
        blit(dst.image(), src.image(), 4, 0, 4, 3, 9, 0);
        blit(dst.image(), src.image(), 4, 3, 0, 3, 9, 0);
        blit(dst.image(), src.image(), 40, 30, 4, 0, 9, 0);
        blit(dst.image(), empty, 4, 3, 4, 3, 9, 0);
        blit(dst.image(), empty, 4, 3, 2, 2, 9, 0);
        blit(empty, src.image(), 4, 3, 4, 3, 9, 0);
        blit(empty, src.image(), 2, 1, 4, 3, 9, 0);
    }
    EXPECT_EQ(dst.bytes(), before);
}

}  // namespace
}  // namespace pixeltest
