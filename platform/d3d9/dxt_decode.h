#pragma once
// Decoding of DXT1 and DXT3 blocks into 32-bit ARGB texels.
//
// Colours are expanded from 5:6:5 by repeating their top bits; the two interpolated colours
// are (2a + b) / 3 and (a + 2b) / 3 per 8-bit channel, truncated; a DXT1 block whose first
// colour is not above its second has the midpoint (a + b) / 2 and transparent black as
// colours 2 and 3. DXT3 alpha is 4 bits per texel, expanded by times 17, and its colour block
// always uses the four-colour mode.
#include <cstddef>
#include <cstdint>

#include "platform/d3d9/d3d9_enums.h"

namespace platform::d3d9 {

// Decodes one 4x4 block into texels[16] (row-major).
void decodeDxt1Block(const std::uint8_t* block, std::uint32_t texels[16]);
void decodeDxt3Block(const std::uint8_t* block, std::uint32_t texels[16]);

// Decodes a whole level of `width` x `height` texels from `blocks` (rows of blocks, `pitch`
// bytes apart) into `out` (width x height ARGB, row-major). Texels of partial edge blocks are
// dropped.
void decodeDxtLevel(D3DFORMAT format, const std::uint8_t* blocks, std::size_t pitch,
                    std::uint32_t width, std::uint32_t height, std::uint32_t* out);

}  // namespace platform::d3d9
