#pragma once
#include <cstdint>

#include "pixelconv/pixel_rule.h"

namespace mirel {

// The pixel steps of the four blit policies, one per (destination kind D, source kind S).
// Pixel(d, s, alpha) writes destination pixel d from source pixel s; kByteCopy marks the
// pairs whose rows are plain byte copies.

// Copy: every channel converted by the rule, alpha included.
template <DImageKind D, DImageKind S>
struct DimgCopyPolicy {
    static constexpr bool kByteCopy = D == S && D != DImageKind::YCbCr24;
    static void Pixel(uint8_t* d, const uint8_t* s, uint8_t) { DimgConvertPixel<D, S>(d, s); }
};

// Colour only: the destination keeps its alpha field; the source alpha is never used.
template <DImageKind D, DImageKind S>
struct DimgColorPolicy {
    static constexpr bool kByteCopy = D == S && !DimgHasAlpha(D) && D != DImageKind::YCbCr24;
    static void Pixel(uint8_t* d, const uint8_t* s, uint8_t) {
        if constexpr (D == DImageKind::RGBA32 || D == DImageKind::BGRA32) {
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
};

// Fixed alpha: colour by the rule, alpha from the given byte; the destination is not read.
template <DImageKind D, DImageKind S>
struct DimgFixedAlphaPolicy {
    static constexpr bool kByteCopy = DimgCopyPolicy<D, S>::kByteCopy && !DimgHasAlpha(D);
    static void Pixel(uint8_t* d, const uint8_t* s, uint8_t alpha) {
        if constexpr (DimgHasAlpha(D)) {
            DimgRgba c = DimgGetPixel<S>(s);
            c.a = alpha;
            DimgPutPixel<D>(c, d);
        } else {
            DimgConvertPixel<D, S>(d, s);
        }
    }
};

// Alpha from green: the source's green as read by the rule becomes the destination's alpha;
// colour bits are kept, and a destination without alpha is left alone.
template <DImageKind D, DImageKind S>
struct DimgAlphaPolicy {
    static constexpr bool kByteCopy = false;
    static void Pixel(uint8_t* d, const uint8_t* s, uint8_t) {
        if constexpr (DimgHasAlpha(D)) {
            uint8_t green;
            if constexpr (S == DImageKind::YCbCr24) {
                green = DimgYCbCrToG(s[1], s[2], s[0]);
            } else {
                green = DimgGetPixel<S>(s).g;
            }
            if constexpr (D == DImageKind::RGBA32 || D == DImageKind::BGRA32) {
                d[3] = green;
            } else if constexpr (D == DImageKind::A1R5G5B5) {
                DimgStoreWord(d, (DimgLoadWord(d) & 0x7FFF) | ((green >> 7) << 15));
            } else {
                DimgStoreWord(d, (DimgLoadWord(d) & 0x0FFF) | ((green >> 4) << 12));
            }
        }
    }
};

}  // namespace mirel
