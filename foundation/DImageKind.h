#pragma once
#include <cstdint>

namespace mirel {

// The eight pixel layouts of an image. 16-bit kinds are little-endian words laid out as the
// Direct3D formats of the same name; YCbCr24 holds bytes Y, Cr, Cb (full-range BT.601).
enum class DImageKind : uint32_t {
    RGBA32 = 0,  // bytes R, G, B, A
    RGB24 = 1,   // bytes R, G, B
    BGRA32 = 2,  // bytes B, G, R, A
    BGR24 = 3,   // bytes B, G, R
    A1R5G5B5 = 4,
    A4R4G4B4 = 5,
    R5G6B5 = 6,
    YCbCr24 = 7,
};

// Bits per pixel of a kind, or 0 for a value that is not a kind.
constexpr int32_t DImageKindBits(DImageKind kind) {
    switch (kind) {
    case DImageKind::RGBA32:
    case DImageKind::BGRA32:
        return 32;
    case DImageKind::RGB24:
    case DImageKind::BGR24:
    case DImageKind::YCbCr24:
        return 24;
    case DImageKind::A1R5G5B5:
    case DImageKind::A4R4G4B4:
    case DImageKind::R5G6B5:
        return 16;
    }
    return 0;
}

}  // namespace mirel
