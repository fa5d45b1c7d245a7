#pragma once
#include <cstdint>
#include <cstring>

#include "foundation/DImageKind.h"
#include "pixelconv/ycbcr_tables.h"

namespace mirel {

// The canonical pixel: four 8-bit channels, laid out as an RGBA32 pixel.
struct DimgRgba {
    uint8_t r, g, b, a;
};

constexpr uint32_t DimgKindCount = 8;

constexpr uint32_t DimgBytesPerPixel(DImageKind kind) {
    return static_cast<uint32_t>(DImageKindBits(kind) / 8);
}

constexpr bool DimgHasAlpha(DImageKind kind) {
    return kind == DImageKind::RGBA32 || kind == DImageKind::BGRA32 ||
           kind == DImageKind::A1R5G5B5 || kind == DImageKind::A4R4G4B4;
}

inline uint16_t DimgLoadWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline void DimgStoreWord(uint8_t* p, uint32_t w) {
    p[0] = static_cast<uint8_t>(w);
    p[1] = static_cast<uint8_t>(w >> 8);
}

// Reading rule: 16-bit fields widen by a plain left shift (31 reads as 248), only the 1-bit
// alpha widens to 0 or 255; kinds without alpha read A = 255; R5G6B5 ignores green bit 5.
template <DImageKind K>
inline DimgRgba DimgGetPixel(const uint8_t* p) {
    if constexpr (K == DImageKind::RGBA32) {
        return {p[0], p[1], p[2], p[3]};
    } else if constexpr (K == DImageKind::RGB24) {
        return {p[0], p[1], p[2], 255};
    } else if constexpr (K == DImageKind::BGRA32) {
        return {p[2], p[1], p[0], p[3]};
    } else if constexpr (K == DImageKind::BGR24) {
        return {p[2], p[1], p[0], 255};
    } else if constexpr (K == DImageKind::A1R5G5B5) {
        const uint32_t w = DimgLoadWord(p);
        return {uint8_t(((w >> 10) & 31) << 3), uint8_t(((w >> 5) & 31) << 3),
                uint8_t((w & 31) << 3), uint8_t(w & 0x8000 ? 255 : 0)};
    } else if constexpr (K == DImageKind::A4R4G4B4) {
        const uint32_t w = DimgLoadWord(p);
        return {uint8_t(((w >> 8) & 15) << 4), uint8_t(((w >> 4) & 15) << 4),
                uint8_t((w & 15) << 4), uint8_t((w >> 12) << 4)};
    } else if constexpr (K == DImageKind::R5G6B5) {
        const uint32_t w = DimgLoadWord(p);
        return {uint8_t((w >> 11) << 3), uint8_t(((w >> 6) & 31) << 3), uint8_t((w & 31) << 3),
                255};
    } else {
        static_assert(K == DImageKind::YCbCr24);
        return {DimgYCbCrToR(p), DimgYCbCrToG(p[1], p[2], p[0]), DimgYCbCrToB(p), 255};
    }
}

// Writing rule: every narrowing truncates; R5G6B5 always writes green bit 5 as 0.
template <DImageKind K>
inline void DimgPutPixel(DimgRgba c, uint8_t* p) {
    if constexpr (K == DImageKind::RGBA32) {
        p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
    } else if constexpr (K == DImageKind::RGB24) {
        p[0] = c.r, p[1] = c.g, p[2] = c.b;
    } else if constexpr (K == DImageKind::BGRA32) {
        p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = c.a;
    } else if constexpr (K == DImageKind::BGR24) {
        p[0] = c.b, p[1] = c.g, p[2] = c.r;
    } else if constexpr (K == DImageKind::A1R5G5B5) {
        DimgStoreWord(p, ((c.a >> 7) << 15) | ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
    } else if constexpr (K == DImageKind::A4R4G4B4) {
        DimgStoreWord(p, ((c.a >> 4) << 12) | ((c.r >> 4) << 8) | ((c.g >> 4) << 4) | (c.b >> 4));
    } else if constexpr (K == DImageKind::R5G6B5) {
        DimgStoreWord(p, ((c.r >> 3) << 11) | ((c.g >> 3) << 6) | (c.b >> 3));
    } else {
        static_assert(K == DImageKind::YCbCr24);
        p[0] = DimgRgbToY(c.r, c.g, c.b);
        p[1] = DimgRgbToCr(c.r, c.g, c.b);
        p[2] = DimgRgbToCb(c.r, c.g, c.b);
    }
}

// One-to-one conversion: the writing rule of D over the reading rule of S, except that a
// kind other than YCbCr24 copied into itself keeps its bytes (R5G6B5 keeps green bit 5).
// YCbCr24 into itself re-encodes through R, G, B.
template <DImageKind D, DImageKind S>
inline void DimgConvertPixel(uint8_t* d, const uint8_t* s) {
    if constexpr (D == S && D != DImageKind::YCbCr24) {
        std::memcpy(d, s, DimgBytesPerPixel(D));
    } else {
        DimgPutPixel<D>(DimgGetPixel<S>(s), d);
    }
}

}  // namespace mirel
