#include "pixelconv/blit.h"

#include "pixelconv/blit_drivers.h"
#include "pixelconv/blit_policies.h"
#include "pixelconv/pair_dispatch.h"

namespace mirel {

namespace {

template <template <DImageKind, DImageKind> class Policy>
struct BlitOf {
    template <DImageKind D, DImageKind S>
    struct Pair {
        static void Run(uint8_t* dstTop, DImage& dst, uint32_t dstWidth, uint32_t dstHeight,
                        uint8_t* srcTop, DImage& src, uint32_t srcWidth, uint32_t srcHeight,
                        uint8_t alpha) {
            DimgBlitPair<Policy, D, S>(dstTop, dst, dstWidth, dstHeight, srcTop, src, srcWidth,
                                       srcHeight, alpha);
        }
    };
};

}  // namespace

void DimgBlit(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight, uint32_t srcWidth,
              uint32_t srcHeight, uint8_t alpha, uint8_t) {
    DimgDispatchPair<BlitOf<DimgCopyPolicy>::Pair>(dst, src, dstWidth, dstHeight, srcWidth,
                                                   srcHeight, alpha);
}

void DimgBlitColor(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                   uint32_t srcWidth, uint32_t srcHeight, uint8_t alpha, uint8_t) {
    DimgDispatchPair<BlitOf<DimgColorPolicy>::Pair>(dst, src, dstWidth, dstHeight, srcWidth,
                                                    srcHeight, alpha);
}

void DimgBlitColorFixedAlpha(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                             uint32_t srcWidth, uint32_t srcHeight, uint8_t alpha, uint8_t) {
    DimgDispatchPair<BlitOf<DimgFixedAlphaPolicy>::Pair>(dst, src, dstWidth, dstHeight, srcWidth,
                                                         srcHeight, alpha);
}

void DimgBlitAlpha(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                   uint32_t srcWidth, uint32_t srcHeight, uint8_t alpha, uint8_t) {
    DimgDispatchPair<BlitOf<DimgAlphaPolicy>::Pair>(dst, src, dstWidth, dstHeight, srcWidth,
                                                    srcHeight, alpha);
}

}  // namespace mirel
