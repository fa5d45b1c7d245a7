#include "engine/sprite/pixel_rows.h"

#include <cstring>
#include <utility>

#include "foundation/DImageKind.h"
#include "framework/image/image.h"

using mirel::DImageKind;

namespace {

uint16_t pack4444(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint16_t>((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4));
}

void store16(uint8_t* pixel, uint16_t value) {
    pixel[0] = static_cast<uint8_t>(value);
    pixel[1] = static_cast<uint8_t>(value >> 8);
}

// The four bytes of a 32-bit pixel of the kind, from R, G, B, A.
void order32(DImageKind kind, uint8_t r, uint8_t g, uint8_t b, uint8_t a, uint8_t out[4]) {
    if (kind == DImageKind::RGBA32) {
        out[0] = r, out[1] = g, out[2] = b;
    } else {
        out[0] = b, out[1] = g, out[2] = r;
    }
    out[3] = a;
}

}  // namespace

int32_t sprite2DecodeKind(uint32_t textureKind) {
    switch (static_cast<DImageKind>(textureKind)) {
    case DImageKind::RGBA32:
    case DImageKind::BGRA32:
        return PEL_IMAGE_KIND_ARGB8888;
    case DImageKind::A4R4G4B4:
        return PEL_IMAGE_KIND_ARGB4444;
    default:
        return -1;
    }
}

void sprite2SwapRedBlue(uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height) {
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* pixel = rows + static_cast<intptr_t>(y) * pitch;
        for (uint32_t x = 0; x < width; ++x, pixel += 4) std::swap(pixel[0], pixel[2]);
    }
}

bool sprite2FillRows(uint32_t kind, uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height,
                     const uint8_t rgba[4]) {
    const auto pixelKind = static_cast<DImageKind>(kind);
    if (pixelKind == DImageKind::A4R4G4B4) {
        const uint16_t value = pack4444(rgba[3], rgba[0], rgba[1], rgba[2]);
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* pixel = rows + static_cast<intptr_t>(y) * pitch;
            for (uint32_t x = 0; x < width; ++x, pixel += 2) store16(pixel, value);
        }
        return true;
    }
    if (pixelKind != DImageKind::RGBA32 && pixelKind != DImageKind::BGRA32) return false;
    uint8_t bytes[4];
    order32(pixelKind, rgba[0], rgba[1], rgba[2], rgba[3], bytes);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* pixel = rows + static_cast<intptr_t>(y) * pitch;
        for (uint32_t x = 0; x < width; ++x, pixel += 4) std::memcpy(pixel, bytes, 4);
    }
    return true;
}

bool sprite2DrawCoverage(uint32_t kind, uint8_t* rows, int32_t pitch, uint32_t width,
                         uint32_t height, const uint8_t* coverage, int32_t coveragePitch,
                         const uint8_t rgb[3], const uint8_t gamma[256]) {
    const auto pixelKind = static_cast<DImageKind>(kind);
    const bool wide = pixelKind == DImageKind::RGBA32 || pixelKind == DImageKind::BGRA32;
    if (!wide && pixelKind != DImageKind::A4R4G4B4) return false;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* pixel = rows + static_cast<intptr_t>(y) * pitch;
        const uint8_t* source = coverage + static_cast<intptr_t>(y) * coveragePitch;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t alpha = gamma[source[x]];
            if (wide) {
                order32(pixelKind, rgb[0], rgb[1], rgb[2], alpha, pixel);
                pixel += 4;
            } else {
                store16(pixel, pack4444(alpha, rgb[0], rgb[1], rgb[2]));
                pixel += 2;
            }
        }
    }
    return true;
}

uint8_t sprite2Luma(uint32_t argb) {
    const uint32_t r = (argb >> 16) & 0xFF;
    const uint32_t g = (argb >> 8) & 0xFF;
    const uint32_t b = argb & 0xFF;
    return static_cast<uint8_t>((77 * r + 150 * g + 29 * b + 128) >> 8);
}

bool sprite2BuildWipeMask(uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height,
                          uint32_t texelBytes, const uint8_t* levels, int32_t mode,
                          uint8_t threshold) {
    if (mode < 0 || mode > 3) return false;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* texel = rows + static_cast<intptr_t>(y) * pitch;
        const uint8_t* level = levels + static_cast<size_t>(y) * width;
        for (uint32_t x = 0; x < width; ++x, texel += texelBytes) {
            const uint8_t l = level[x];
            bool on = false;
            switch (mode) {
            case 0:
                on = threshold < l;
                break;
            case 1:
                on = l < threshold;
                break;
            case 2:
                on = l == threshold;
                break;
            default:
                on = l != threshold;
                break;
            }
            std::memset(texel, on ? 255 : 0, texelBytes);
        }
    }
    return true;
}
