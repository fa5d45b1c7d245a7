#pragma once
#include <cstdint>

#include "foundation/DImage.h"

namespace mirel {

// The converters reach rows only through the image's own row operations (FirstRow, NextRow,
// AddRows, Offset), so top-down and bottom-up images and any pitch are handled alike. These
// take the converters' unsigned sizes.

inline uint32_t DimgWidthOf(const DImage& image) { return static_cast<uint32_t>(image.Width()); }
inline uint32_t DimgHeightOf(const DImage& image) { return static_cast<uint32_t>(image.Height()); }

// The address n picture rows below `row`.
inline uint8_t* DimgRowsDown(const DImage& image, uint8_t* row, uint32_t n) {
    return image.AddRows(row, static_cast<int32_t>(n));
}

// Picture row number `row`, counted from the top row.
inline uint8_t* DimgRowAt(const DImage& image, uint8_t* top, uint32_t row) {
    return image.Offset(top, 0, static_cast<int32_t>(row));
}

}  // namespace mirel
