#pragma once
#include <cstdint>

#include "framework/core/status.h"
#include "framework/file/file.h"

// The image module: PNG images (with an optional "pib" info file and per-channel layer images)
// and raw "CPIB" containers, decoded into the caller's memory in one of the pixel kinds below.
// The caller reads the header with pelImageGetInfo, sizes its memory with
// pelImageGetPixelKindSize and decodes with pelImageLoad.

// Pixel kinds, the destination layouts (channel values are 8-bit).
enum : uint32_t {
    PEL_IMAGE_KIND_RGBA = 0,      // bytes R, G, B, A
    PEL_IMAGE_KIND_ARGB8888 = 1,  // 32-bit word A << 24 | R << 16 | G << 8 | B
    PEL_IMAGE_KIND_ARGB4444 = 2,  // 16-bit words, each channel's top bits
    PEL_IMAGE_KIND_ARGB1555 = 3,
    PEL_IMAGE_KIND_RGB565 = 4,
    PEL_IMAGE_KIND_DXT1 = 5,  // rows of 4 x 4 blocks of 8 bytes
    PEL_IMAGE_KIND_DXT2 = 6,  // kinds 6 to 9: rows of 4 x 4 blocks of 16 bytes
    PEL_IMAGE_KIND_DXT3 = 7,
    PEL_IMAGE_KIND_DXT4 = 8,
    PEL_IMAGE_KIND_DXT5 = 9,
};

// Flags of the info record.
enum : uint32_t {
    PEL_IMAGE_FLAG_DEFAULT = 0x1,
    PEL_IMAGE_FLAG_WIDTH_POWER_OF_TWO = 0x2,
    PEL_IMAGE_FLAG_HEIGHT_POWER_OF_TWO = 0x4,
    PEL_IMAGE_FLAG_SQUARE = 0x8,
    PEL_IMAGE_FLAG_INFO_FILE = 0x10000,  // the info file's bit; in a container: base only
};

// Decoders named by the info record.
enum : uint32_t {
    PEL_IMAGE_DECODER_PNG = 0,
    PEL_IMAGE_DECODER_CONTAINER = 1,
};

// The largest width or height accepted from a header.
inline constexpr uint32_t kPelImageMaxSide = 16384;
// The most levels a container may declare.
inline constexpr uint32_t kPelImageMaxLevels = 16;

// One format stored in a container: the base (kind 0) or compressed data of kinds 5 to 9.
struct PEL_IMAGE_STORED_FORMAT {
    uint32_t kind;
    uint32_t levelCount;
    uint32_t offsets[kPelImageMaxLevels];  // file offset of each level
};

struct PEL_IMAGE_INFO {
    uint32_t width;
    uint32_t height;
    uint32_t flags;
    uint32_t levelsMinusOne;  // containers
    int32_t firstValue;       // kept for the caller; -1 by default
    int32_t secondValue;
    uint32_t gammaMode;
    float gamma;
    uint32_t alphaMode;  // 0 opaque, 1 alpha 0 or 255 by its top bit, otherwise kept
    uint32_t decoder;
    // Containers: a table from malloc, which the caller frees (std::free) after loading.
    uint32_t storedFormatCount;
    PEL_IMAGE_STORED_FORMAT* storedFormats;
};

// Registers the PNG decoder and pelImageFinalize with atexit. Call after pelInitialize.
void pelImageInitialize();
void pelImageFinalize();

// Reads the header of the open file from its start: PEL_OK, or PEL_E_NOTFOUND when it is
// neither a valid container nor a readable PNG of a non-zero size.
PEL_STATUS pelImageGetInfo(PEL_IMAGE_INFO* info, PEL_FILE* file);
// Decodes into the destination, row i at destination + i * pitch; `rows` is the number of
// rows the destination holds. Containers: PEL_E_CREATE when the pitch or the rows are too
// small for the kind, PEL_E_NOTFOUND when the kind is not stored or cannot be read. PNG
// images: every failure is PEL_E_NOTFOUND.
PEL_STATUS pelImageLoad(const PEL_IMAGE_INFO* info, PEL_FILE* file, uint32_t pitch, uint32_t kind,
                        void* destination, uint32_t rows);
// Applies the info file beside the image (its name with the extension "pib") to the record,
// after setting the defaults. PEL_OK when there is none or it was read; PEL_E_NOTFOUND when it
// cannot be opened or is not a valid info file.
PEL_STATUS pelImageLoadPIB(PEL_IMAGE_INFO* info, PEL_FILE* file);

// The bytes per row and the rows an image of the size needs in the kind (0 and 0 for an
// unknown kind).
void pelImageGetPixelKindSize(uint32_t kind, uint32_t width, uint32_t height, uint32_t* rowBytes,
                              uint32_t* rowCount);

// The identity for a gamma within 0.0001 of 2.2, otherwise the curve that maps a value through
// (v / 255) ^ (gamma / 2.2).
void pelImageBuildGammaTable(uint8_t table[256], float gamma);
