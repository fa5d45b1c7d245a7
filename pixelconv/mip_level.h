#pragma once
#include <cstdint>

#include "foundation/DImage.h"

namespace mirel {

// Fills mip level i (the destination) from level i - 1 (the source): an exact halving is
// averaged 2:1 (boxes of four, or pairs when both levels are one pixel wide or high), each
// channel's sum truncated; equal sizes are converted pixel for pixel; any other sizes go
// through the general resampler. Dispatch, clipping and EndAccess as for DimgBlit; the two
// bytes are not read. A zero size converts nothing; a resampler that cannot get its
// temporary image throws std::bad_alloc.
void l3dConvertMipLevel(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                        uint32_t srcWidth, uint32_t srcHeight, uint8_t alpha, uint8_t spare);

}  // namespace mirel
