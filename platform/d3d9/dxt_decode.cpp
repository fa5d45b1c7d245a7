#include "platform/d3d9/dxt_decode.h"

namespace platform::d3d9 {
namespace {

struct Rgb {
    std::uint32_t r, g, b;
};

Rgb expand565(std::uint16_t c) {
    const std::uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

std::uint32_t argb(std::uint32_t a, const Rgb& c) {
    return (a << 24) | (c.r << 16) | (c.g << 8) | c.b;
}

Rgb mix(const Rgb& a, const Rgb& b, std::uint32_t weightA, std::uint32_t weightB) {
    const std::uint32_t sum = weightA + weightB;
    return {(weightA * a.r + weightB * b.r) / sum, (weightA * a.g + weightB * b.g) / sum,
            (weightA * a.b + weightB * b.b) / sum};
}

std::uint16_t read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// The colour half of a block; `fourColour` forces the four-colour mode (DXT3).
void decodeColourBlock(const std::uint8_t* block, bool fourColour, std::uint32_t texels[16]) {
    const std::uint16_t c0 = read16(block), c1 = read16(block + 2);
    const Rgb a = expand565(c0), b = expand565(c1);
    std::uint32_t palette[4];
    palette[0] = argb(255, a);
    palette[1] = argb(255, b);
    if (fourColour || c0 > c1) {
        palette[2] = argb(255, mix(a, b, 2, 1));
        palette[3] = argb(255, mix(a, b, 1, 2));
    } else {
        palette[2] = argb(255, mix(a, b, 1, 1));
        palette[3] = 0;
    }
    for (int row = 0; row < 4; ++row) {
        const std::uint8_t bits = block[4 + row];
        for (int column = 0; column < 4; ++column)
            texels[row * 4 + column] = palette[(bits >> (2 * column)) & 3];
    }
}

}  // namespace

void decodeDxt1Block(const std::uint8_t* block, std::uint32_t texels[16]) {
    decodeColourBlock(block, false, texels);
}

void decodeDxt3Block(const std::uint8_t* block, std::uint32_t texels[16]) {
    decodeColourBlock(block + 8, true, texels);
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t alpha = (block[i / 2] >> ((i % 2) * 4)) & 15;
        texels[i] = (texels[i] & 0x00FFFFFFu) | ((alpha * 17) << 24);
    }
}

void decodeDxtLevel(D3DFORMAT format, const std::uint8_t* blocks, std::size_t pitch,
                    std::uint32_t width, std::uint32_t height, std::uint32_t* out) {
    const std::size_t blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
    std::uint32_t texels[16];
    for (std::uint32_t by = 0; by < height; by += 4) {
        const std::uint8_t* row = blocks + (by / 4) * pitch;
        for (std::uint32_t bx = 0; bx < width; bx += 4) {
            const std::uint8_t* block = row + (bx / 4) * blockBytes;
            if (format == D3DFMT_DXT1)
                decodeDxt1Block(block, texels);
            else
                decodeDxt3Block(block, texels);
            for (std::uint32_t y = 0; y < 4 && by + y < height; ++y)
                for (std::uint32_t x = 0; x < 4 && bx + x < width; ++x)
                    out[(by + y) * static_cast<std::size_t>(width) + bx + x] = texels[y * 4 + x];
        }
    }
}

}  // namespace platform::d3d9
