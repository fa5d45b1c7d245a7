#pragma once
#include <cstdint>

// Layer images: PNGs beside an image, named after it plus "_r", "_g", "_b" or "_a", whose
// values replace one channel of the decoded image.

namespace pelimage {

struct DecodedImage {
    uint8_t* destination;
    uint32_t pitch;
    uint32_t kind;  // 0 to 4
    uint32_t width;
    uint32_t height;
};

// Applies every layer that exists beside the image ("_a" for kinds 0 to 3 only): colour
// layers through the gamma table, the alpha layer through the alpha mode. False, after a
// report, when a layer exists but cannot be used.
bool applyLayers(const char16_t* imageName, const DecodedImage& image, const uint8_t gamma[256],
                 uint32_t alphaMode);

}  // namespace pelimage
