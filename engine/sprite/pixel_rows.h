#pragma once
// The backend's pixel work on locked rows, by the texture's pixel kind (DImageKind): fills,
// glyph coverage, the channel exchange after decoding, and wipe masks. Each function works on
// `width` x `height` pixels from `rows`, rows `pitch` bytes apart.
#include <cstdint>

// The image module's kind to decode into for a texture kind, or -1 when there is none: RGBA32
// and BGRA32 take the 32-bit word A R G B, A4R4G4B4 the 16-bit one.
int32_t sprite2DecodeKind(uint32_t textureKind);

// After decoding the 32-bit word into an RGBA32 texture: bytes 0 and 2 of every pixel change
// places.
void sprite2SwapRedBlue(uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height);

// Sets every pixel to the colour (R, G, B, A bytes) in the kind's layout; false (rows
// unchanged) for a kind other than RGBA32, BGRA32 and A4R4G4B4.
bool sprite2FillRows(uint32_t kind, uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height,
                     const uint8_t rgba[4]);

// Writes a glyph: every pixel takes the colour (R, G, B bytes) and the alpha gamma[coverage],
// the coverage read from `coverage` rows `coveragePitch` bytes apart. A4R4G4B4 keeps the top
// four bits of each. False (rows unchanged) for other kinds.
bool sprite2DrawCoverage(uint32_t kind, uint8_t* rows, int32_t pitch, uint32_t width,
                         uint32_t height, const uint8_t* coverage, int32_t coveragePitch,
                         const uint8_t rgb[3], const uint8_t gamma[256]);

// The grey level a wipe source keeps of a decoded 32-bit A R G B word.
uint8_t sprite2Luma(uint32_t argb);

// Builds a wipe mask from grey levels (width x height, no padding) and a threshold: every byte
// of a texel (texelBytes wide) becomes 255 or 0. Mode 0: 255 where threshold < level; 1: where
// level < threshold; 2: where they are equal; 3: where they differ. False for another mode.
bool sprite2BuildWipeMask(uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height,
                          uint32_t texelBytes, const uint8_t* levels, int32_t mode,
                          uint8_t threshold);
