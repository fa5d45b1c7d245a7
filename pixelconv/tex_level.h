#pragma once
#include <cstdint>

#include "foundation/DImage.h"

namespace mirel {

// Fills a texture level (the destination) from an image: converted pixel for pixel under the
// copy policy when the clipped sizes agree, resampled (linear enlarging, box reduction)
// otherwise. Dispatch, clipping and EndAccess as for DimgBlit; the two bytes are not read.
// A zero size converts nothing; a resampler that cannot get its temporary image throws
// std::bad_alloc.
void l3dConvertToTexLevel(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                          uint32_t srcWidth, uint32_t srcHeight, uint8_t alpha, uint8_t spare);

}  // namespace mirel
