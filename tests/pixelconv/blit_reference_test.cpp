// Every blit policy against a slow reference built from the per-pixel rules and the stepping
// rule, over random kinds, sizes, pitches, orientations and requested rectangles.
#include <gtest/gtest.h>

#include <random>

#include "pixelconv/blit.h"
#include "pixelconv/blit_clip.h"
#include "tests/pixelconv/fixture_image.h"

namespace pixeltest {
namespace {

using namespace mirel;

enum class Policy { Copy, Color, FixedAlpha, Alpha };

using BlitFn = void (*)(DImage&, DImage&, uint32_t, uint32_t, uint32_t, uint32_t, uint8_t, uint8_t);

BlitFn BlitOf(Policy policy) {
    switch (policy) {
    case Policy::Copy:
        return DimgBlit;
    case Policy::Color:
        return DimgBlitColor;
    case Policy::FixedAlpha:
        return DimgBlitColorFixedAlpha;
    case Policy::Alpha:
        return DimgBlitAlpha;
    }
    return nullptr;
}

// One destination pixel as the policy forms it, from the source pixel and the old pixel.
void ReferencePixel(Policy policy, DImageKind d, DImageKind s, uint8_t* out, const uint8_t* in,
                    uint8_t alpha) {
    const uint32_t bytes = DimgBytesPerPixel(d);
    const bool byteCopy = d == s && d != DImageKind::YCbCr24;
    const DimgRgba old = GetAny(d, out);
    DimgRgba c = GetAny(s, in);
    switch (policy) {
    case Policy::Copy:
        if (byteCopy) return void(std::memcpy(out, in, bytes));
        return PutAny(d, c, out);
    case Policy::Color: {
        if (byteCopy && !DimgHasAlpha(d)) return void(std::memcpy(out, in, bytes));
        uint16_t oldWord = bytes == 2 ? DimgLoadWord(out) : 0;
        uint8_t oldAlphaByte = bytes == 4 ? out[3] : 0;
        PutAny(d, c, out);
        if (bytes == 4 && DimgHasAlpha(d)) out[3] = oldAlphaByte;
        if (d == DImageKind::A1R5G5B5)
            DimgStoreWord(out, (DimgLoadWord(out) & 0x7FFF) | (oldWord & 0x8000));
        if (d == DImageKind::A4R4G4B4)
            DimgStoreWord(out, (DimgLoadWord(out) & 0x0FFF) | (oldWord & 0xF000));
        return;
    }
    case Policy::FixedAlpha:
        if (d == DImageKind::R5G6B5 && s == d) return void(std::memcpy(out, in, bytes));
        c.a = alpha;
        return PutAny(d, c, out);
    case Policy::Alpha: {
        if (!DimgHasAlpha(d)) return;
        // The old colour fields read back exactly, so rewriting them keeps every bit.
        const uint16_t oldWord = bytes == 2 ? DimgLoadWord(out) : 0;
        DimgRgba next = old;
        next.a = c.g;
        PutAny(d, next, out);
        if (bytes == 2) {
            const uint16_t alphaBits = d == DImageKind::A1R5G5B5 ? 0x8000 : 0xF000;
            DimgStoreWord(out, (DimgLoadWord(out) & alphaBits) | (oldWord & ~alphaBits));
        }
        return;
    }
    }
}

struct Trial {
    Policy policy;
    DImageKind dstKind, srcKind;
    int dstW, dstH, srcW, srcH, dstPad, srcPad;
    bool dstReverse, srcReverse;
    uint32_t reqDstW, reqDstH, reqSrcW, reqSrcH;
    uint8_t alpha;
};

Trial RandomTrial(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Trial t;
    t.policy = Policy(pick(0, 3));
    t.dstKind = DImageKind(pick(0, 7));
    t.srcKind = DImageKind(pick(0, 7));
    // Widths up to 40 take the row kernels through their wide steps and their tails.
    t.dstW = pick(1, 40), t.dstH = pick(1, 5), t.srcW = pick(1, 40), t.srcH = pick(1, 5);
    t.dstPad = pick(0, 5), t.srcPad = pick(0, 5);
    t.dstReverse = pick(0, 1), t.srcReverse = pick(0, 1);
    // Mostly the images' own sizes (the callers' case), else anything up to twice as large.
    if (pick(0, 2) == 0) {
        t.reqDstW = t.dstW, t.reqDstH = t.dstH, t.reqSrcW = t.dstW, t.reqSrcH = t.dstH;
    } else {
        t.reqDstW = pick(0, 80), t.reqDstH = pick(0, 10);
        t.reqSrcW = pick(0, 80), t.reqSrcH = pick(0, 10);
    }
    t.alpha = uint8_t(pick(0, 255));
    return t;
}

TEST(DimgBlitReference, AllPoliciesMatchTheSlowModel) {
    std::mt19937 rng(12345);
    for (int i = 0; i < 6000; ++i) {
        const Trial t = RandomTrial(rng);
        FixtureImage dst(t.dstKind, t.dstW, t.dstH, t.dstPad, t.dstReverse, rng);
        FixtureImage src(t.srcKind, t.srcW, t.srcH, t.srcPad, t.srcReverse, rng);
        const std::vector<uint8_t> srcBefore = src.bytes();

        // Expected: the reference writes into a copy of the destination's bytes.
        std::vector<uint8_t> expected = dst.bytes();
        uint32_t dw = t.reqDstW, dh = t.reqDstH, sw = t.reqSrcW, sh = t.reqSrcH;
        DimgClipRectScaled(t.dstW, t.dstH, t.srcW, t.srcH, dw, dh, sw, sh);
        if (dw > 0 && dh > 0 && sw > 0 && sh > 0) {
            const std::vector<uint32_t> cols = NearestIndices(sw, dw);
            const std::vector<uint32_t> rows = NearestIndices(sh, dh);
            for (uint32_t y = 0; y < dh; ++y) {
                for (uint32_t x = 0; x < dw; ++x) {
                    ReferencePixel(t.policy, t.dstKind, t.srcKind,
                                   expected.data() + dst.offsetOf(int(x), int(y)),
                                   src.pixel(int(cols[x]), int(rows[y])), t.alpha);
                }
            }
        }

        BlitOf(t.policy)(dst.image(), src.image(), t.reqDstW, t.reqDstH, t.reqSrcW, t.reqSrcH,
                         t.alpha, uint8_t(rng()));
        ASSERT_EQ(dst.bytes(), expected)
            << "trial " << i << " policy " << int(t.policy) << " kinds " << int(t.dstKind) << "<-"
            << int(t.srcKind) << " images " << t.dstW << "x" << t.dstH << " <- " << t.srcW << "x"
            << t.srcH << " requested " << t.reqDstW << "x" << t.reqDstH << " <- " << t.reqSrcW
            << "x" << t.reqSrcH;
        ASSERT_EQ(src.bytes(), srcBefore) << "trial " << i;
    }
}

TEST(DimgClipRectScaled, NeverExceedsTheImages) {
    std::mt19937 rng(99);
    auto pick = [&](uint32_t hi) { return std::uniform_int_distribution<uint32_t>(0, hi)(rng); };
    for (int i = 0; i < 100000; ++i) {
        const uint32_t diw = pick(300) + 1, dih = pick(300) + 1;
        const uint32_t siw = pick(300) + 1, sih = pick(300) + 1;
        uint32_t dw = pick(600), dh = pick(600), sw = pick(600), sh = pick(600);
        if (sw == 0 || sh == 0) continue;
        DimgClipRectScaled(diw, dih, siw, sih, dw, dh, sw, sh);
        ASSERT_LE(dw, diw);
        ASSERT_LE(dh, dih);
        ASSERT_LE(sw, siw);
        ASSERT_LE(sh, sih);
    }
}

}  // namespace
}  // namespace pixeltest
