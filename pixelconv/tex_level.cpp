#include "pixelconv/tex_level.h"

#include "pixelconv/blit_drivers.h"
#include "pixelconv/blit_policies.h"
#include "pixelconv/pair_dispatch.h"
#include "pixelconv/resample.h"

namespace mirel {

namespace {

template <DImageKind D, DImageKind S>
void l3dConvertToTexLevelPair(uint8_t* dstTop, DImage& dst, uint32_t dstWidth, uint32_t dstHeight,
                              uint8_t* srcTop, DImage& src, uint32_t srcWidth, uint32_t srcHeight) {
    if (dstWidth == 0 || dstHeight == 0 || srcWidth == 0 || srcHeight == 0) return;
    DimgClipRectScaled(DimgWidthOf(dst), DimgHeightOf(dst), DimgWidthOf(src), DimgHeightOf(src),
                       dstWidth, dstHeight, srcWidth, srcHeight);
    if (dstWidth == srcWidth && dstHeight == srcHeight) {
        DimgBlitDirect<DimgCopyPolicy, D, S>(dstTop, dst, 0, 0, srcTop, 0, 0, srcWidth, srcHeight,
                                             0, src);
    } else {
        l3dResample<D, S>(dstTop, dst, dstWidth, dstHeight, srcTop, src, srcWidth, srcHeight);
    }
}

template <DImageKind D, DImageKind S>
struct TexLevelPair {
    static constexpr auto Run = &l3dConvertToTexLevelPair<D, S>;
};

}  // namespace

void l3dConvertToTexLevel(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                          uint32_t srcWidth, uint32_t srcHeight, uint8_t, uint8_t) {
    DimgDispatchPair<TexLevelPair>(dst, src, dstWidth, dstHeight, srcWidth, srcHeight);
}

}  // namespace mirel
