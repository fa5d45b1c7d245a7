#include "framework/image/pixel_kinds.h"

#include <cmath>
#include <cstring>

#include "framework/image/image.h"

namespace pelimage {
namespace {

// A channel's place in a packed word: its lowest bit and how many top bits of the 8-bit value
// it keeps (0: the kind has no such channel).
struct Field {
    uint8_t shift;
    uint8_t bits;
};

// Fields of R, G, B, A for kinds 1 to 4.
constexpr Field kFields[4][4] = {
    {{16, 8}, {8, 8}, {0, 8}, {24, 8}},  // A8R8G8B8
    {{8, 4}, {4, 4}, {0, 4}, {12, 4}},   // A4R4G4B4
    {{10, 5}, {5, 5}, {0, 5}, {15, 1}},  // A1R5G5B5
    {{11, 5}, {5, 6}, {0, 5}, {0, 0}},   // R5G6B5
};

constexpr uint32_t fieldValue(const Field& field, uint8_t value) {
    if (field.bits == 0) return 0;
    return static_cast<uint32_t>(value >> (8 - field.bits)) << field.shift;
}

uint32_t fieldMask(const Field& field) { return ((1u << field.bits) - 1u) << field.shift; }

uint32_t loadWord(const uint8_t* pixel, uint32_t bytes) {
    if (bytes == 4) {
        uint32_t word;
        std::memcpy(&word, pixel, 4);
        return word;
    }
    uint16_t word;
    std::memcpy(&word, pixel, 2);
    return word;
}

void storeWord(uint8_t* pixel, uint32_t bytes, uint32_t word) {
    if (bytes == 4) {
        std::memcpy(pixel, &word, 4);
        return;
    }
    const uint16_t half = static_cast<uint16_t>(word);
    std::memcpy(pixel, &half, 2);
}

// One pixel of kinds 1 to 4; the fields are constants, so each kind compiles to its shifts.
template <uint32_t Kind>
uint32_t packFields(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    constexpr const Field* fields = kFields[Kind - 1];
    return fieldValue(fields[0], r) | fieldValue(fields[1], g) | fieldValue(fields[2], b) |
           fieldValue(fields[3], a);
}

uint32_t packBytes(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    const uint8_t bytes[4] = {r, g, b, a};
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

// Packs every pixel, its channels looked up in the colour and alpha tables, into Word-sized
// pixels.
template <typename Word, uint32_t (*Pack)(uint8_t, uint8_t, uint8_t, uint8_t)>
void packPixels(const uint8_t* rgba, uint8_t* destination, uint32_t width,
                const uint8_t* colourTable, const uint8_t* alphaTable) {
    for (uint32_t x = 0; x < width; ++x, rgba += 4, destination += sizeof(Word)) {
        const Word word = static_cast<Word>(Pack(colourTable[rgba[0]], colourTable[rgba[1]],
                                                 colourTable[rgba[2]], alphaTable[rgba[3]]));
        std::memcpy(destination, &word, sizeof(Word));
    }
}

}  // namespace

uint32_t packedPixelBytes(uint32_t kind) {
    if (kind <= PEL_IMAGE_KIND_ARGB8888) return 4;
    if (kind <= PEL_IMAGE_KIND_RGB565) return 2;
    return 0;
}

uint8_t applyAlphaMode(uint8_t alpha, uint32_t alphaMode) {
    if (alphaMode == 0) return 255;
    if (alphaMode == 1) return (alpha & 0x80) ? 255 : 0;
    return alpha;
}

void packRow(const uint8_t* rgba, uint8_t* destination, uint32_t width, uint32_t kind,
             const RowTreatment& treatment) {
    uint8_t identity[256];
    uint8_t alpha[256];
    const bool treatAlpha = treatment.treatAlpha && kind != PEL_IMAGE_KIND_RGBA;
    for (int i = 0; i < 256; ++i) {
        identity[i] = static_cast<uint8_t>(i);
        alpha[i] = treatAlpha ? applyAlphaMode(identity[i], treatment.alphaMode) : identity[i];
    }
    const uint8_t* colour = treatment.gamma ? treatment.gamma : identity;
    switch (kind) {
    case PEL_IMAGE_KIND_RGBA:
        return packPixels<uint32_t, packBytes>(rgba, destination, width, colour, alpha);
    case PEL_IMAGE_KIND_ARGB8888:
        return packPixels<uint32_t, packFields<1>>(rgba, destination, width, colour, alpha);
    case PEL_IMAGE_KIND_ARGB4444:
        return packPixels<uint16_t, packFields<2>>(rgba, destination, width, colour, alpha);
    case PEL_IMAGE_KIND_ARGB1555:
        return packPixels<uint16_t, packFields<3>>(rgba, destination, width, colour, alpha);
    case PEL_IMAGE_KIND_RGB565:
        return packPixels<uint16_t, packFields<4>>(rgba, destination, width, colour, alpha);
    default:
        return;
    }
}

void replaceChannel(uint8_t* pixel, uint32_t kind, int channel, uint8_t value) {
    if (kind == PEL_IMAGE_KIND_RGBA) {
        pixel[channel] = value;
        return;
    }
    const Field& field = kFields[kind - 1][channel];
    if (field.bits == 0) return;
    const uint32_t bytes = packedPixelBytes(kind);
    const uint32_t word = loadWord(pixel, bytes);
    storeWord(pixel, bytes, (word & ~fieldMask(field)) | fieldValue(field, value));
}

}  // namespace pelimage

void pelImageGetPixelKindSize(uint32_t kind, uint32_t width, uint32_t height, uint32_t* rowBytes,
                              uint32_t* rowCount) {
    uint64_t bytes = 0;
    uint64_t count = 0;
    if (kind <= PEL_IMAGE_KIND_RGB565) {
        bytes = uint64_t{width} * pelimage::packedPixelBytes(kind);
        count = height;
    } else if (kind <= PEL_IMAGE_KIND_DXT5) {
        const uint64_t blockBytes = kind == PEL_IMAGE_KIND_DXT1 ? 8 : 16;
        bytes = blockBytes * ((uint64_t{width} + 3) / 4);
        count = (uint64_t{height} + 3) / 4;
    }
    // Sizes beyond 32 bits saturate, so that no destination ever passes as large enough.
    *rowBytes = static_cast<uint32_t>(bytes < UINT32_MAX ? bytes : UINT32_MAX);
    *rowCount = static_cast<uint32_t>(count);
}

void pelImageBuildGammaTable(uint8_t table[256], float gamma) {
    const bool identity = std::fabs(gamma - 2.2f) < 0.0001f;
    const float exponent = gamma * 0.45454544f;
    for (int i = 0; i < 256; ++i) {
        if (identity) {
            table[i] = static_cast<uint8_t>(i);
            continue;
        }
        const float value = std::round(std::pow(static_cast<float>(i) / 255.0f, exponent) * 255.0f);
        table[i] = static_cast<uint8_t>(value >= 255.0f ? 255.0f : (value > 0.0f ? value : 0.0f));
    }
}
