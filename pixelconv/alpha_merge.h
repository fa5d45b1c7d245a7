#pragma once
#include <cstdint>

#include "foundation/DImage.h"
#include "pixelconv/image_rows.h"

namespace mirel {

// Writes the destination's alpha from the inverted alpha of a source of the same kind, over
// the width and height clipped to both images; colour bits are kept. Given one image as both,
// the image's alpha is inverted in place. The kind is the caller's choice of operation:
//   RGBA32, BGRA32            l3dMergeAlpha32      alpha = 255 - alpha
//   A1R5G5B5                  l3dMergeAlpha1555    bit 15 flipped
//   A4R4G4B4                  l3dMergeAlpha4444    alpha = 15 - alpha
//   RGB24, BGR24, YCbCr24     l3dMergeAlphaNone24  nothing written
//   R5G6B5                    l3dMergeAlphaNone565 nothing written
void l3dMergeAlpha32(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src, uint32_t width,
                     uint32_t height);
void l3dMergeAlpha1555(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src, uint32_t width,
                       uint32_t height);
void l3dMergeAlpha4444(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src, uint32_t width,
                       uint32_t height);
void l3dMergeAlphaNone24(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src, uint32_t width,
                         uint32_t height);
void l3dMergeAlphaNone565(uint8_t* dstTop, DImage& dst, uint8_t* srcTop, DImage& src,
                          uint32_t width, uint32_t height);

}  // namespace mirel
