#include "pixelconv/alpha_merge.h"

#include "pixelconv/blit_clip.h"
#include "pixelconv/pixel_rule.h"

namespace mirel {

namespace {

void l3dMergeAlphaRow32(uint8_t* d, const uint8_t* s, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, d += 4, s += 4) d[3] = static_cast<uint8_t>(255 - s[3]);
}

void l3dMergeAlphaRow1555(uint8_t* d, const uint8_t* s, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, d += 2, s += 2) {
        DimgStoreWord(d, (DimgLoadWord(d) & 0x7FFF) | (~DimgLoadWord(s) & 0x8000));
    }
}

void l3dMergeAlphaRow4444(uint8_t* d, const uint8_t* s, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, d += 2, s += 2) {
        DimgStoreWord(d, (DimgLoadWord(d) & 0x0FFF) | ((15 - (DimgLoadWord(s) >> 12)) << 12));
    }
}

void NoAlphaRow(uint8_t*, const uint8_t*, uint32_t) {}

// The frame every merge shares: clip to both images, then one row operation per row, the two
// row addresses advanced by each image's own NextRow.
void MergeRows(void (*row)(uint8_t*, const uint8_t*, uint32_t), uint8_t* dstTop, DImage& dst,
               uint8_t* srcTop, DImage& src, uint32_t width, uint32_t height) {
    DimgClipRect(DimgWidthOf(dst), DimgHeightOf(dst), DimgWidthOf(src), DimgHeightOf(src), width,
                 height);
    if (width == 0) return;
    uint8_t* d = dstTop;
    uint8_t* s = srcTop;
    for (uint32_t y = 0; y < height; ++y) {
        row(d, s, width);
        if (y + 1 < height) {
            d = dst.NextRow(d);
            s = src.NextRow(s);
        }
    }
}

}  // namespace

void l3dMergeAlpha32(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src, uint32_t width,
                     uint32_t height) {
    MergeRows(l3dMergeAlphaRow32, dstTop, dst, srcTop, src, width, height);
}

void l3dMergeAlpha1555(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src, uint32_t width,
                       uint32_t height) {
    MergeRows(l3dMergeAlphaRow1555, dstTop, dst, srcTop, src, width, height);
}

void l3dMergeAlpha4444(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src, uint32_t width,
                       uint32_t height) {
    MergeRows(l3dMergeAlphaRow4444, dstTop, dst, srcTop, src, width, height);
}

void l3dMergeAlphaNone24(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src, uint32_t width,
                         uint32_t height) {
    MergeRows(NoAlphaRow, dstTop, dst, srcTop, src, width, height);
}

void l3dMergeAlphaNone565(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src,
                          uint32_t width, uint32_t height) {
    MergeRows(NoAlphaRow, dstTop, dst, srcTop, src, width, height);
}

}  // namespace mirel
