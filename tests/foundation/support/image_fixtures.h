#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tessera::test {

// Test images as plain pixel arrays, and files made from them with the system libraries or by
// hand, written from the file formats' descriptions independently of the readers.

struct Pixels {
    int width = 0;
    int height = 0;
    int channels = 0;            // bytes per pixel, in the order of the format's colour type
    std::vector<uint8_t> bytes;  // rows top-down, no padding
};

// A deterministic pattern with `channels` channels.
Pixels patternPixels(int width, int height, int channels, uint8_t seed = 0);

// A BMP file: 14-byte file header, an info header of `headerSize` bytes (40, 108, 124; the
// fields past 40 are zero except the masks at 40..51 when given), then `extra` (palette or
// masks), then the rows as given (the caller pads them).
struct BmpSpec {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    uint32_t headerSize = 40;
    uint32_t masks[3] = {0, 0, 0};  // written inside headers larger than 40 bytes
    std::string extra;
    std::string rows;
    char type[2] = {'B', 'M'};
};
std::string bmpFile(const BmpSpec& spec);

// PNG through libpng's writer. colorType and bitDepth as PNG defines them; `samples` holds one
// value per channel sample (16-bit samples as values up to 65535), rows top-down. `palette`
// and `trns` are written when not empty.
struct PngSpec {
    int width = 1;
    int height = 1;
    int colorType = 2;  // PNG_COLOR_TYPE_RGB
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint32_t> samples;
    std::vector<uint8_t> palette;  // R, G, B triples
    std::vector<uint8_t> trns;
};
std::string pngFile(const PngSpec& spec);

// JPEG through libjpeg's compressor at quality 95 with 3 (RGB) or 1 (grey) channels; an
// optional comment segment of `commentBytes` bytes.
std::string jpegFile(const Pixels& pixels, size_t commentBytes = 0);

}  // namespace tessera::test
