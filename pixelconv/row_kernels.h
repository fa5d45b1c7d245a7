#pragma once
#include <cstdint>

namespace mirel {

// Row kernels of the hot conversions. Each writes exactly the bytes that the per-pixel rule
// gives for its pairs; the policies and the mip reducer pick them per pair.

// 32-bit pixels with bytes 0 and 2 exchanged (RGBA32 <-> BGRA32); alpha copied.
void DimgSwapRedBlueRow(uint8_t* d, const uint8_t* s, uint32_t n);
// 32-bit pixels with bytes 0 and 2 exchanged or not, every alpha byte replaced.
void DimgSwapRedBlueRowWithAlpha(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha);
void DimgCopyRowWithAlpha(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha);

// 24-bit pixels into 32-bit pixels with the given alpha byte, bytes 0 and 2 exchanged or not.
// Needs SSSE3 (DimgHasSsse3) and converts only a leading part of the row: returns the number
// of pixels done, the caller converts the rest.
bool DimgHasSsse3();
uint32_t DimgExpandRowSsse3(uint8_t* d, const uint8_t* s, uint32_t n, uint8_t alpha,
                            bool swapRedBlue);

// The 2:1 box of 32-bit pixels of one kind: pixel x of d is the truncated mean of pixels 2x
// and 2x + 1 of the rows upper and lower, byte by byte.
void DimgBoxRow32(uint8_t* d, const uint8_t* upper, const uint8_t* lower, uint32_t n);

}  // namespace mirel
