#pragma once
#include <cstdint>

// Packing decoded R, G, B, A bytes into the pixel kinds 0 to 4, and replacing one channel of a
// packed pixel.

namespace pelimage {

// How a decoded row is treated on its way into the destination.
struct RowTreatment {
    const uint8_t* gamma;  // a 256-entry table for R, G and B; NULL passes them unchanged
    bool treatAlpha;       // apply the alpha mode (kinds 1 to 4 only)
    uint32_t alphaMode;
};

// Bytes per pixel of kinds 0 to 4; 0 for any other kind.
uint32_t packedPixelBytes(uint32_t kind);
// 0: 255; 1: 0 or 255 by the top bit; otherwise unchanged.
uint8_t applyAlphaMode(uint8_t alpha, uint32_t alphaMode);
// Packs `width` R, G, B, A pixels into a destination row of kind 0 to 4.
void packRow(const uint8_t* rgba, uint8_t* destination, uint32_t width, uint32_t kind,
             const RowTreatment& treatment);
// Replaces channel 0 (R), 1 (G), 2 (B) or 3 (A) of one packed pixel with the top bits of the
// value that its field holds; a kind without that channel is left alone.
void replaceChannel(uint8_t* pixel, uint32_t kind, int channel, uint8_t value);

}  // namespace pelimage
