#include "pixelconv/mip_level.h"

#include "pixelconv/level_convert.h"
#include "pixelconv/mip_reduce.h"
#include "pixelconv/pair_dispatch.h"

namespace mirel {

namespace {

struct BoxReduction {
    template <DImageKind D, DImageKind S>
    static void Run(uint8_t* dstTop, DImage& dst, uint32_t dstWidth, uint32_t dstHeight,
                    uint8_t* srcTop, DImage& src, uint32_t srcWidth, uint32_t srcHeight) {
        l3dReduceMipLevel<D, S>(dstTop, dst, dstWidth, dstHeight, srcTop, src, srcWidth, srcHeight);
    }
};

template <DImageKind D, DImageKind S>
struct MipLevelPair {
    static constexpr auto Run = &l3dConvertLevelPair<BoxReduction, D, S>;
};

}  // namespace

void l3dConvertMipLevel(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                        uint32_t srcWidth, uint32_t srcHeight, uint8_t, uint8_t) {
    DimgDispatchPair<MipLevelPair>(dst, src, dstWidth, dstHeight, srcWidth, srcHeight);
}

}  // namespace mirel
