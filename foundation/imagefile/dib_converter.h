#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/DImage.h"

namespace mirel {

// Turns a device-independent bitmap (a BITMAPINFO: 40-byte or larger header, then masks or
// palette; and its rows) into a BGR24 image, top row first. Reads 1, 4 and 8 bits per pixel
// through the palette (colours-used entries, or 2^bits; missing entries are black), 16 bits as
// X1R5G5B5 or by bit fields, 24 bits, and 32 bits as B, G, R, x or by bit fields; rows stored
// bottom-up (positive height) or top-down. Rows missing from `bits` are black. Compressed
// bitmaps, other bit counts and sizes the image cannot have give false.
bool DimgDibToBgr24(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize,
                    DImage& image);

}  // namespace mirel
