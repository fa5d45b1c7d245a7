#pragma once
#include <cstdint>

#include "foundation/DImage.h"
#include "pixelconv/image_rows.h"
#include "pixelconv/pixel_rule.h"
#include "pixelconv/resample.h"
#include "pixelconv/row_kernels.h"

namespace mirel {

// Truncated means of two or four canonical pixels, channel by channel.
inline DimgRgba DimgMeanOf2(DimgRgba p, DimgRgba q) {
    return {uint8_t((p.r + q.r) >> 1), uint8_t((p.g + q.g) >> 1), uint8_t((p.b + q.b) >> 1),
            uint8_t((p.a + q.a) >> 1)};
}

inline DimgRgba DimgMeanOf4(DimgRgba p, DimgRgba q, DimgRgba s, DimgRgba t) {
    return {uint8_t((p.r + q.r + s.r + t.r) >> 2), uint8_t((p.g + q.g + s.g + t.g) >> 2),
            uint8_t((p.b + q.b + s.b + t.b) >> 2), uint8_t((p.a + q.a + s.a + t.a) >> 2)};
}

// One row of boxes: destination pixel x from pixels 2x and 2x + 1 of two source rows. The
// 32-bit kinds into themselves average byte by byte, which a row kernel does.
template <DImageKind D, DImageKind S>
void l3dReduceMipBoxRow(uint8_t* dst, uint32_t dstWidth, const uint8_t* upper,
                        const uint8_t* lower) {
    constexpr uint32_t dBytes = DimgBytesPerPixel(D);
    constexpr uint32_t sBytes = DimgBytesPerPixel(S);
    if constexpr (D == S && dBytes == 4) {
        DimgBoxRow32(dst, upper, lower, dstWidth);
    } else {
        for (uint32_t x = 0; x < dstWidth; ++x, dst += dBytes) {
            const size_t at = size_t(2 * x) * sBytes;
            DimgPutPixel<D>(
                DimgMeanOf4(DimgGetPixel<S>(upper + at), DimgGetPixel<S>(upper + at + sBytes),
                            DimgGetPixel<S>(lower + at), DimgGetPixel<S>(lower + at + sBytes)),
                dst);
        }
    }
}

// Destination pixel (x, y) is the mean of source pixels (2x, 2y) to (2x + 1, 2y + 1). With
// odd source sizes the last column or row is never read.
template <DImageKind D, DImageKind S>
void l3dReduceMipBoxes(uint8_t* dst, DImage& dstImage, uint32_t dstWidth, uint32_t dstHeight,
                       uint8_t* src, DImage& srcImage) {
    for (uint32_t y = 0; y < dstHeight; ++y) {
        uint8_t* lower = srcImage.NextRow(src);
        l3dReduceMipBoxRow<D, S>(dst, dstWidth, src, lower);
        if (y + 1 < dstHeight) {
            dst = dstImage.NextRow(dst);
            src = srcImage.NextRow(lower);
        }
    }
}

// One-pixel-high levels: destination pixel x is the mean of source pixels 2x and 2x + 1.
template <DImageKind D, DImageKind S>
void l3dReduceMipRowPairs(uint8_t* dst, uint32_t dstWidth, const uint8_t* src) {
    constexpr uint32_t dBytes = DimgBytesPerPixel(D);
    constexpr uint32_t sBytes = DimgBytesPerPixel(S);
    for (uint32_t x = 0; x < dstWidth; ++x, dst += dBytes, src += 2 * sBytes) {
        DimgPutPixel<D>(DimgMeanOf2(DimgGetPixel<S>(src), DimgGetPixel<S>(src + sBytes)), dst);
    }
}

// One-pixel-wide levels: destination row y is the mean of source rows 2y and 2y + 1.
template <DImageKind D, DImageKind S>
void l3dReduceMipColumnPairs(uint8_t* dst, DImage& dstImage, uint32_t dstHeight, uint8_t* src,
                             DImage& srcImage) {
    for (uint32_t y = 0; y < dstHeight; ++y) {
        uint8_t* lower = srcImage.NextRow(src);
        DimgPutPixel<D>(DimgMeanOf2(DimgGetPixel<S>(src), DimgGetPixel<S>(lower)), dst);
        if (y + 1 < dstHeight) {
            dst = dstImage.NextRow(dst);
            src = srcImage.NextRow(lower);
        }
    }
}

// The 2:1 reducer of one pair; sizes that are not an exact halving go to the resampler.
template <DImageKind D, DImageKind S>
void l3dReduceMipLevel(uint8_t* dst, DImage& dstImage, uint32_t dstWidth, uint32_t dstHeight,
                       uint8_t* src, DImage& srcImage, uint32_t srcWidth, uint32_t srcHeight) {
    if (dstWidth == 1 && srcWidth == 1) {
        if (dstHeight == srcHeight >> 1) {
            l3dReduceMipColumnPairs<D, S>(dst, dstImage, dstHeight, src, srcImage);
            return;
        }
    } else if (dstHeight == 1 && srcHeight == 1) {
        if (dstWidth == srcWidth >> 1) {
            l3dReduceMipRowPairs<D, S>(dst, dstWidth, src);
            return;
        }
    } else if (dstHeight == srcHeight >> 1 && dstWidth == srcWidth >> 1) {
        l3dReduceMipBoxes<D, S>(dst, dstImage, dstWidth, dstHeight, src, srcImage);
        return;
    }
    l3dResample<D, S>(dst, dstImage, dstWidth, dstHeight, src, srcImage, srcWidth, srcHeight);
}

}  // namespace mirel
