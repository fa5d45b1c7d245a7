#pragma once
#include <cstdint>
#include <string>

namespace tools::writers {

// A texture pack: a "DMF " archive with the members "spec" (the four magic bytes "DTCC" for a
// colour-only texture or "DTCA" for one with alpha, then the edge size as a little-endian
// u32), "compress" (the DXT1 or DXT3 levels, largest first) and "raw" (an image file whose
// alpha is stored inverted). An empty member is left out.
struct TexturePack {
    bool alpha = false;
    uint32_t size = 0;
    std::string compress;
    std::string raw;
};

std::string writeTexturePack(const TexturePack& pack);

// One DXT1 block of a single colour (R5G6B5 in both end points, every index 0).
std::string dxt1Block(uint16_t colour565);
// One DXT3 block: every explicit alpha nibble `alpha4`, then a DXT1 colour block.
std::string dxt3Block(uint8_t alpha4, uint16_t colour565);

}  // namespace tools::writers
