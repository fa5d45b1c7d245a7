#pragma once
#include <cstdint>
#include <cstring>

#include "pixelconv/pixel_rule.h"
#include "pixelconv/row_kernels.h"

namespace mirel {

// The pixel steps of the four blit policies, one per (destination kind D, source kind S).
// Pixel(d, s, alpha) writes destination pixel d from source pixel s; Row(d, s, n, alpha)
// does n pixels, through a row kernel where the pair has one.

// Applies a policy's pixel step to n pixels.
template <class Step, DImageKind D, DImageKind S>
inline void DimgEachPixel(uint8_t* __restrict d, const uint8_t* __restrict s, uint32_t n,
                          uint8_t alpha) {
    for (size_t x = 0; x < n; ++x) {
        Step::Pixel(d + x * DimgBytesPerPixel(D), s + x * DimgBytesPerPixel(S), alpha);
    }
}

constexpr bool DimgIs32(DImageKind k) { return k == DImageKind::RGBA32 || k == DImageKind::BGRA32; }
constexpr bool DimgIs24(DImageKind k) { return k == DImageKind::RGB24 || k == DImageKind::BGR24; }

// Between a 32-bit kind k32 and a 24-bit kind k24, red and blue change places unless both
// are in R, G, B order or both in B, G, R order.
constexpr bool DimgSwapsRedBlue(DImageKind k32, DImageKind k24) {
    return (k32 == DImageKind::RGBA32) != (k24 == DImageKind::RGB24);
}

// A same-kind pair whose pixels are copied byte for byte (YCbCr goes through the rule, which
// is not the identity there). With alpha, only a full copy may take it.
constexpr bool DimgIsByteCopy(DImageKind d, DImageKind s, bool keepsOrSetsAlpha) {
    return d == s && d != DImageKind::YCbCr24 && !(keepsOrSetsAlpha && DimgHasAlpha(d));
}

// The rows of the 24-bit to 32-bit pairs: the SSSE3 kernel where the processor has it, the
// pixel step for the rest of the row.
template <class Step, DImageKind D, DImageKind S>
inline void DimgExpandRow(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha) {
    const uint32_t done =
        DimgHasSsse3() ? DimgExpandRowSsse3(d, s, n, alpha, DimgSwapsRedBlue(D, S)) : 0;
    DimgEachPixel<Step, D, S>(d + size_t(done) * 4, s + size_t(done) * 3, n - done, alpha);
}

// The rows of the 32-bit to 24-bit pairs, likewise.
template <class Step, DImageKind D, DImageKind S>
inline void DimgShrinkRow(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha) {
    const uint32_t done = DimgHasSsse3() ? DimgShrinkRowSsse3(d, s, n, DimgSwapsRedBlue(S, D)) : 0;
    DimgEachPixel<Step, D, S>(d + size_t(done) * 3, s + size_t(done) * 4, n - done, alpha);
}

// Copy: every channel converted by the rule, alpha included.
template <DImageKind D, DImageKind S>
struct DimgCopyPolicy {
    static void Pixel(uint8_t* d, const uint8_t* s, uint8_t) { DimgConvertPixel<D, S>(d, s); }

    static void Row(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha) {
        if constexpr (DimgIsByteCopy(D, S, false)) {
            std::memcpy(d, s, size_t(n) * DimgBytesPerPixel(D));
        } else if constexpr (DimgIs32(D) && DimgIs32(S)) {
            DimgSwapRedBlueRow(d, s, n);
        } else if constexpr (DimgIs32(D) && DimgIs24(S)) {
            DimgExpandRow<DimgCopyPolicy, D, S>(d, s, n, 255);
        } else if constexpr (DimgIs24(D) && DimgIs32(S)) {
            DimgShrinkRow<DimgCopyPolicy, D, S>(d, s, n, alpha);
        } else {
            DimgEachPixel<DimgCopyPolicy, D, S>(d, s, n, alpha);
        }
    }
};

// Colour only: the destination keeps its alpha field; the source alpha is never used.
template <DImageKind D, DImageKind S>
struct DimgColorPolicy {
    static void Pixel(uint8_t* d, const uint8_t* s, uint8_t) {
        if constexpr (DimgIs32(D)) {
            const uint8_t keptAlpha = d[3];
            DimgConvertPixel<D, S>(d, s);
            d[3] = keptAlpha;
        } else if constexpr (D == DImageKind::A1R5G5B5 || D == DImageKind::A4R4G4B4) {
            constexpr uint32_t alphaBits = D == DImageKind::A1R5G5B5 ? 0x8000 : 0xF000;
            const uint32_t kept = DimgLoadWord(d) & alphaBits;
            uint8_t colour[2];
            DimgConvertPixel<D, S>(colour, s);
            DimgStoreWord(d, kept | (DimgLoadWord(colour) & ~alphaBits & 0xFFFF));
        } else {
            DimgConvertPixel<D, S>(d, s);
        }
    }

    static void Row(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha) {
        if constexpr (DimgIsByteCopy(D, S, true)) {
            std::memcpy(d, s, size_t(n) * DimgBytesPerPixel(D));
        } else {
            DimgEachPixel<DimgColorPolicy, D, S>(d, s, n, alpha);
        }
    }
};

// Fixed alpha: colour by the rule, alpha from the given byte; the destination is not read.
template <DImageKind D, DImageKind S>
struct DimgFixedAlphaPolicy {
    static void Pixel(uint8_t* d, const uint8_t* s, uint8_t alpha) {
        if constexpr (DimgHasAlpha(D)) {
            DimgRgba c = DimgGetPixel<S>(s);
            c.a = alpha;
            DimgPutPixel<D>(c, d);
        } else {
            DimgConvertPixel<D, S>(d, s);
        }
    }

    static void Row(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha) {
        if constexpr (DimgIsByteCopy(D, S, true)) {
            std::memcpy(d, s, size_t(n) * DimgBytesPerPixel(D));
        } else if constexpr (DimgIs32(D) && D == S) {
            DimgCopyRowWithAlpha(d, s, n, alpha);
        } else if constexpr (DimgIs32(D) && DimgIs32(S)) {
            DimgSwapRedBlueRowWithAlpha(d, s, n, alpha);
        } else if constexpr (DimgIs32(D) && DimgIs24(S)) {
            DimgExpandRow<DimgFixedAlphaPolicy, D, S>(d, s, n, alpha);
        } else {
            DimgEachPixel<DimgFixedAlphaPolicy, D, S>(d, s, n, alpha);
        }
    }
};

// Alpha from green: the source's green as read by the rule becomes the destination's alpha;
// colour bits are kept, and a destination without alpha is left alone.
template <DImageKind D, DImageKind S>
struct DimgAlphaPolicy {
    static void Pixel(uint8_t* d, const uint8_t* s, uint8_t) {
        if constexpr (DimgHasAlpha(D)) {
            uint8_t green;
            if constexpr (S == DImageKind::YCbCr24) {
                green = DimgYCbCrToG(s[1], s[2], s[0]);
            } else {
                green = DimgGetPixel<S>(s).g;
            }
            if constexpr (DimgIs32(D)) {
                d[3] = green;
            } else if constexpr (D == DImageKind::A1R5G5B5) {
                DimgStoreWord(d, (DimgLoadWord(d) & 0x7FFF) | ((green >> 7) << 15));
            } else {
                DimgStoreWord(d, (DimgLoadWord(d) & 0x0FFF) | ((green >> 4) << 12));
            }
        }
    }

    static void Row(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha) {
        if constexpr (DimgHasAlpha(D)) DimgEachPixel<DimgAlphaPolicy, D, S>(d, s, n, alpha);
    }
};

}  // namespace mirel
