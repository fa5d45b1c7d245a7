#pragma once
#include <cstdint>
#include <cstring>

#include "foundation/DImage.h"
#include "pixelconv/blit_clip.h"
#include "pixelconv/image_rows.h"
#include "pixelconv/nearest_step.h"
#include "pixelconv/pixel_rule.h"

namespace mirel {

// The blit machinery shared by the four policies and the texture conversions. Policy is one
// of the pixel-step templates of blit_policies.h; D and S are the destination and source kinds.
template <template <DImageKind, DImageKind> class Policy, DImageKind D, DImageKind S>
void DimgConvertRows(uint32_t rows, uint8_t* dst, DImage& dstImage, uint8_t* src, DImage& srcImage,
                     uint32_t width, uint8_t alpha) {
    for (uint32_t y = 0; y < rows; ++y) {
        Policy<D, S>::Row(dst, src, width, alpha);
        if (y + 1 < rows) {
            dst = dstImage.NextRow(dst);
            src = srcImage.NextRow(src);
        }
    }
}

// Same-size driver: both rectangles have one size, clipped again against both images.
template <template <DImageKind, DImageKind> class Policy, DImageKind D, DImageKind S>
void DimgBlitDirect(uint8_t* dstTop, DImage& dstImage, uint32_t dstX, uint32_t dstY,
                    uint8_t* srcTop, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height,
                    uint8_t alpha, DImage& srcImage) {
    DimgClipRect(DimgWidthOf(dstImage), DimgHeightOf(dstImage), DimgWidthOf(srcImage),
                 DimgHeightOf(srcImage), width, height);
    if (width == 0 || height == 0) return;
    uint8_t* dst = DimgRowsDown(dstImage, dstTop, dstY) + size_t(dstX) * DimgBytesPerPixel(D);
    uint8_t* src = DimgRowsDown(srcImage, srcTop, srcY) + size_t(srcX) * DimgBytesPerPixel(S);
    DimgConvertRows<Policy, D, S>(height, dst, dstImage, src, srcImage, width, alpha);
}

// Fills one destination row from one source row by nearest-neighbour stepping.
template <template <DImageKind, DImageKind> class Policy, DImageKind D, DImageKind S>
void DimgScaleRow(uint8_t* dst, uint32_t dstWidth, const uint8_t* src, uint32_t srcWidth,
                  uint8_t alpha) {
    constexpr uint32_t dBytes = DimgBytesPerPixel(D);
    constexpr uint32_t sBytes = DimgBytesPerPixel(S);
    DimgNearestStep step(srcWidth, dstWidth);
    for (uint32_t x = 0; x < dstWidth; ++x, dst += dBytes) {
        Policy<D, S>::Pixel(dst, src + size_t(step.Index()) * sBytes, alpha);
        step.Advance();
    }
}

// Nearest-neighbour driver: rectangles of different sizes, already clipped.
template <template <DImageKind, DImageKind> class Policy, DImageKind D, DImageKind S>
void DimgBlitNearest(uint8_t* dst, DImage& dstImage, uint32_t dstWidth, uint32_t dstHeight,
                     uint8_t* src, DImage& srcImage, uint32_t srcWidth, uint32_t srcHeight,
                     uint8_t alpha) {
    if (dstWidth == 0 || dstHeight == 0 || srcWidth == 0 || srcHeight == 0) return;
    DimgNearestStep rows(srcHeight, dstHeight);
    for (uint32_t y = 0; y < dstHeight; ++y) {
        DimgScaleRow<Policy, D, S>(DimgRowsDown(dstImage, dst, y), dstWidth,
                                   DimgRowsDown(srcImage, src, rows.Index()), srcWidth, alpha);
        rows.Advance();
    }
}

// Pair entry: clip with the scale kept, then the same-size or the nearest-neighbour path.
template <template <DImageKind, DImageKind> class Policy, DImageKind D, DImageKind S>
void DimgBlitPair(uint8_t* dstTop, DImage& dstImage, uint32_t dstWidth, uint32_t dstHeight,
                  uint8_t* srcTop, DImage& srcImage, uint32_t srcWidth, uint32_t srcHeight,
                  uint8_t alpha) {
    DimgClipRectScaled(DimgWidthOf(dstImage), DimgHeightOf(dstImage), DimgWidthOf(srcImage),
                       DimgHeightOf(srcImage), dstWidth, dstHeight, srcWidth, srcHeight);
    if (dstWidth == srcWidth && dstHeight == srcHeight) {
        DimgBlitDirect<Policy, D, S>(dstTop, dstImage, 0, 0, srcTop, 0, 0, srcWidth, srcHeight,
                                     alpha, srcImage);
    } else {
        DimgBlitNearest<Policy, D, S>(dstTop, dstImage, dstWidth, dstHeight, srcTop, srcImage,
                                      srcWidth, srcHeight, alpha);
    }
}

}  // namespace mirel
