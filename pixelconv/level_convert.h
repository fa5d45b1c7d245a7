#pragma once
#include <cstdint>

#include "foundation/DImage.h"
#include "pixelconv/blit_drivers.h"
#include "pixelconv/blit_policies.h"

namespace mirel {

// Converts one texture or mip level between two kinds: a straight copy when the sizes agree,
// otherwise the Scale pass (Scale::Run<D, S>, same arguments) enlarges or reduces it.
template <class Scale, DImageKind D, DImageKind S>
void l3dConvertLevelPair(uint8_t* dstTop, DImage& dst, uint32_t dstWidth, uint32_t dstHeight,
                         uint8_t* srcTop, DImage& src, uint32_t srcWidth, uint32_t srcHeight) {
    if (dstWidth == 0 || dstHeight == 0 || srcWidth == 0 || srcHeight == 0) return;
    DimgClipRectScaled(DimgWidthOf(dst), DimgHeightOf(dst), DimgWidthOf(src), DimgHeightOf(src),
                       dstWidth, dstHeight, srcWidth, srcHeight);
    if (dstWidth == srcWidth && dstHeight == srcHeight) {
        DimgBlitDirect<DimgCopyPolicy, D, S>(dstTop, dst, 0, 0, srcTop, 0, 0, srcWidth, srcHeight,
                                             0, src);
    } else {
        Scale::template Run<D, S>(dstTop, dst, dstWidth, dstHeight, srcTop, src, srcWidth,
                                  srcHeight);
    }
}

}  // namespace mirel
