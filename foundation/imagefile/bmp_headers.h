#pragma once
#include <cstdint>

#include "foundation/DFile.h"

namespace mirel {

// The 14-byte BMP file header.
struct DimgFileHeader {
    uint16_t type = 0;  // "BM" = 0x4D42
    uint32_t fileSize = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint32_t pixelOffset = 0;
};

// The 40-byte BMP info header.
struct DimgInfoHeader {
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;  // negative: rows stored top-down
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
};

inline constexpr uint16_t DimgBitmapType = 0x4D42;
inline constexpr uint32_t DimgBiRgb = 0;
inline constexpr uint32_t DimgBiBitfields = 3;
inline constexpr int32_t DimgFileHeaderSize = 14;
inline constexpr int32_t DimgInfoHeaderSize = 40;

// Field by field, little-endian, at the file's position; a short read or write throws
// DExceptFile.
void DimgWriteFileHeader(const DimgFileHeader& header, DFile& file);
void DimgReadFileHeader(DimgFileHeader& header, DFile& file);
void DimgWriteInfoHeader(const DimgInfoHeader& header, DFile& file);
void DimgReadInfoHeader(DimgInfoHeader& header, DFile& file);
// The info header from memory (a plug-in's BITMAPINFO); false when fewer than 40 bytes.
bool DimgParseInfoHeader(DimgInfoHeader& header, const uint8_t* bytes, size_t size);

}  // namespace mirel
