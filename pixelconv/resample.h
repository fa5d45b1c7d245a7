#pragma once
#include <cstdint>
#include <new>

#include "foundation/DImage.h"
#include "pixelconv/image_rows.h"
#include "pixelconv/resample_passes.h"

namespace mirel {

// General resampler of one kind pair: a horizontal pass from the source into a temporary
// RGBA32 image as wide as the destination and as high as the source, then a vertical pass
// into the destination. Each pass enlarges linearly when its extent does not shrink (equal
// extents copy) and reduces by a box filter otherwise. Every pixel goes through the reading
// and writing rules, also for one kind into itself. A zero size converts nothing. A
// temporary image that DImage::Create refuses (beyond its size limits) throws std::bad_alloc,
// as an allocation failure does.
template <DImageKind D, DImageKind S>
void l3dResample(uint8_t* dstFirst, DImage& dst, uint32_t dstWidth, uint32_t dstHeight,
                 uint8_t* srcFirst, DImage& src, uint32_t srcWidth, uint32_t srcHeight) {
    if (dstWidth == 0 || dstHeight == 0 || srcWidth == 0 || srcHeight == 0) return;
    DImage tmp;
    if (!tmp.Create(static_cast<int32_t>(dstWidth), static_cast<int32_t>(srcHeight), 0,
                    DImageKind::RGBA32)) {
        throw std::bad_alloc();
    }
    uint8_t* tmpTop = tmp.FirstRow();
    if (dstWidth >= srcWidth) {
        l3dResampleEnlargeH<S>(tmpTop, tmp, dstWidth, srcFirst, src, srcWidth, srcHeight);
    } else {
        l3dResampleReduceH<S>(tmpTop, tmp, dstWidth, srcFirst, src, srcWidth, srcHeight);
    }
    if (dstHeight >= srcHeight) {
        l3dResampleEnlargeV<D>(dstFirst, dst, dstHeight, tmpTop, tmp, srcHeight, dstWidth);
    } else {
        l3dResampleReduceV<D>(dstFirst, dst, dstHeight, tmpTop, tmp, srcHeight, dstWidth);
    }
}

}  // namespace mirel
