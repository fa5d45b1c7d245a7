#include "pixelconv/blit_clip.h"

#include <algorithm>
#include <cmath>

#include "pixelconv/float_to_int.h"

namespace mirel {

namespace {

uint32_t RoundToSize(float v) { return DimgFloatToUint32(std::nearbyint(v)); }

// One axis of the scaled clip: d and s are the destination and source extents, ratio = d / s
// as passed in.
void ClipAxisScaled(uint32_t dstImage, uint32_t srcImage, float ratio, uint32_t& d, uint32_t& s) {
    if (d > dstImage) d = dstImage;
    uint32_t t = RoundToSize(static_cast<float>(d) / ratio);
    if (s >= t) {
        s = t;
    } else {
        d = RoundToSize(static_cast<float>(s) * ratio);
    }
    if (s > srcImage) s = srcImage;
    t = RoundToSize(static_cast<float>(s) * ratio);
    if (d >= t) {
        d = t;
    } else {
        s = RoundToSize(static_cast<float>(d) / ratio);
    }
    // The rounding above keeps within the images; the bound makes that independent of it.
    d = std::min(d, dstImage);
    s = std::min(s, srcImage);
}

}  // namespace

void DimgClipRectScaled(uint32_t dstImageWidth, uint32_t dstImageHeight, uint32_t srcImageWidth,
                        uint32_t srcImageHeight, uint32_t& dstWidth, uint32_t& dstHeight,
                        uint32_t& srcWidth, uint32_t& srcHeight) {
    if (srcWidth == 0 || srcHeight == 0) return;
    const float rx = static_cast<float>(dstWidth) / static_cast<float>(srcWidth);
    const float ry = static_cast<float>(dstHeight) / static_cast<float>(srcHeight);
    ClipAxisScaled(dstImageWidth, srcImageWidth, rx, dstWidth, srcWidth);
    ClipAxisScaled(dstImageHeight, srcImageHeight, ry, dstHeight, srcHeight);
}

void DimgClipRect(uint32_t dstImageWidth, uint32_t dstImageHeight, uint32_t srcImageWidth,
                  uint32_t srcImageHeight, uint32_t& width, uint32_t& height) {
    width = std::min(width, dstImageWidth);
    height = std::min(height, dstImageHeight);
    width = std::min(width, srcImageWidth);
    height = std::min(height, srcImageHeight);
}

}  // namespace mirel
