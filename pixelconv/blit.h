#pragma once
#include <cstdint>

#include "foundation/DImage.h"

namespace mirel {

// The four blits between images of any two of the eight kinds. Both rectangles start at the
// images' top-left pixels; they are clipped to the images keeping their scale, converted pixel
// for pixel when their sizes agree and by nearest-neighbour stepping otherwise. Nothing happens
// when either image's kind is not one of the eight; otherwise EndAccess is called on the
// source and then the destination. The spare byte is read by no policy.

// Copy: colour converted, alpha copied (255 from a source without alpha).
void DimgBlit(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight, uint32_t srcWidth,
              uint32_t srcHeight, uint8_t alpha, uint8_t spare);

// Colour only: the destination's alpha is kept.
void DimgBlitColor(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                   uint32_t srcWidth, uint32_t srcHeight, uint8_t alpha, uint8_t spare);

// Colour converted, alpha set to the given byte wherever the destination kind has alpha.
void DimgBlitColorFixedAlpha(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                             uint32_t srcWidth, uint32_t srcHeight, uint8_t alpha, uint8_t spare);

// Alpha only, taken from the source's green channel; colour is kept.
void DimgBlitAlpha(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                   uint32_t srcWidth, uint32_t srcHeight, uint8_t alpha, uint8_t spare);

}  // namespace mirel
