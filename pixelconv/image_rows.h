#pragma once
#include <cstdint>
#include <utility>

#include "foundation/DImage.h"

namespace mirel {

// The converters walk images as bytes, and only through the image's own row operations, so
// top-down and bottom-up images and any pitch are handled alike.
using DimgRowAddress = decltype(std::declval<DImage&>().FirstRow());

inline uint8_t* DimgBytes(DimgRowAddress a) { return reinterpret_cast<uint8_t*>(a); }
inline DimgRowAddress DimgAddress(uint8_t* a) { return reinterpret_cast<DimgRowAddress>(a); }

inline uint32_t DimgWidthOf(DImage& image) { return static_cast<uint32_t>(image.Width()); }
inline uint32_t DimgHeightOf(DImage& image) { return static_cast<uint32_t>(image.Height()); }

// The top row of the picture (the last row of a bottom-up image's buffer).
inline uint8_t* DimgTopRow(DImage& image) { return DimgBytes(image.FirstRow()); }

inline uint8_t* DimgNextRow(DImage& image, uint8_t* row) {
    return DimgBytes(image.NextRow(DimgAddress(row)));
}

inline uint8_t* DimgRowsDown(DImage& image, uint8_t* row, uint32_t n) {
    return DimgBytes(image.AddRows(DimgAddress(row), static_cast<int>(n)));
}

// Row number `row` of the picture, counted from the top row.
inline uint8_t* DimgRowAt(DImage& image, uint8_t* top, uint32_t row) {
    return DimgBytes(image.Offset(DimgAddress(top), 0, static_cast<int>(row)));
}

}  // namespace mirel
