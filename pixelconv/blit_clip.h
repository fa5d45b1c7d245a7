#pragma once
#include <cstdint>

namespace mirel {

// Clips a destination and a source rectangle, both at (0, 0), against their images' sizes
// while keeping the scale between them (ratios in single precision, rounding to the nearest
// integer with ties to even). A zero source size leaves everything unchanged.
void DimgClipRectScaled(uint32_t dstImageWidth, uint32_t dstImageHeight, uint32_t srcImageWidth,
                        uint32_t srcImageHeight, uint32_t& dstWidth, uint32_t& dstHeight,
                        uint32_t& srcWidth, uint32_t& srcHeight);

// Clips the one size that both rectangles of a same-size blit share.
void DimgClipRect(uint32_t dstImageWidth, uint32_t dstImageHeight, uint32_t srcImageWidth,
                  uint32_t srcImageHeight, uint32_t& width, uint32_t& height);

}  // namespace mirel
