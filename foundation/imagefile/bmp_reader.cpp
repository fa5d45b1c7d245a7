#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/DExceptFile.h"
#include "foundation/imagefile/bmp_headers.h"
#include "foundation/imagefile/image_file.h"

namespace mirel {
namespace {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

// The palette of an 8-bit file: as many entries as the colours-used field says (256 for 0 or
// above 256), B, G, R, reserved each. Indices past those entries read black.
void ReadPalette(DFile& file, const DimgInfoHeader& info, Rgb (&palette)[256]) {
    const uint32_t entries =
        (info.colorsUsed == 0 || info.colorsUsed > 256) ? 256 : info.colorsUsed;
    uint8_t bytes[256 * 4];
    if (file.Read(bytes, entries * 4) != static_cast<int32_t>(entries * 4)) throw DExceptFile();
    for (uint32_t i = 0; i < entries; ++i)
        palette[i] = {bytes[i * 4 + 2], bytes[i * 4 + 1], bytes[i * 4]};
}

void ConvertRow(const uint8_t* in, uint8_t* out, int32_t width, int32_t bitCount,
                const Rgb (&palette)[256]) {
    for (int32_t x = 0; x < width; ++x, out += 4) {
        switch (bitCount) {
        case 8: {
            const Rgb& c = palette[in[x]];
            out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = 255;
            break;
        }
        case 24:
            out[0] = in[x * 3 + 2], out[1] = in[x * 3 + 1], out[2] = in[x * 3], out[3] = 255;
            break;
        default:  // 32
            out[0] = in[x * 4 + 2], out[1] = in[x * 4 + 1], out[2] = in[x * 4],
            out[3] = in[x * 4 + 3];
            break;
        }
    }
}

// Reads the pixel rows into the created image; a short read throws.
void ReadRows(DFile& file, const DimgInfoHeader& info, DImage& image, const Rgb (&palette)[256]) {
    const int32_t width = info.width;
    const int32_t rows = image.Height();
    const size_t rowBytes = (static_cast<size_t>(width) * (info.bitCount / 8) + 3) & ~size_t{3};
    std::vector<uint8_t> row(rowBytes);
    image.FirstRow();
    for (int32_t y = 0; y < rows; ++y) {
        if (file.Read(row.data(), static_cast<uint32_t>(rowBytes)) !=
            static_cast<int32_t>(rowBytes))
            throw DExceptFile();
        const int32_t target = info.height > 0 ? rows - 1 - y : y;
        ConvertRow(row.data(), image.PixelAddress(0, target), width, info.bitCount, palette);
    }
}

}  // namespace

bool DimgLoadBitmap(DFile& file, DImage& image) {
    bool created = false;
    try {
        file.Seek(0, DDataOverride::SeekBegin);
        DimgFileHeader header;
        DimgInfoHeader info;
        DimgReadFileHeader(header, file);
        DimgReadInfoHeader(info, file);
        if (header.type != DimgBitmapType) return false;
        if (info.compression != DimgBiRgb && info.compression != DimgBiBitfields) return false;
        // Shorter headers (the OS/2 core header) have another layout.
        if (info.size < static_cast<uint32_t>(DimgInfoHeaderSize)) return false;
        if (info.bitCount != 8 && info.bitCount != 24 && info.bitCount != 32) return false;
        if (info.size > static_cast<uint32_t>(INT32_MAX - DimgFileHeaderSize)) return false;
        // The pixel data is taken to follow the header, palette and masks directly.
        if (!file.Seek(DimgFileHeaderSize + static_cast<int32_t>(info.size),
                       DDataOverride::SeekBegin))
            return false;

        const int64_t rows = std::llabs(static_cast<int64_t>(info.height));
        if (rows > DImage::kMaxSide ||
            !image.CreateAutoPitch(info.width, static_cast<int32_t>(rows), DImageKind::RGBA32))
            return false;
        created = true;

        Rgb palette[256];
        if (info.bitCount == 8) ReadPalette(file, info, palette);
        // The three masks follow a 40-byte header; larger headers hold them inside.
        if (info.bitCount == 32 && info.compression == DimgBiBitfields &&
            info.size == static_cast<uint32_t>(DimgInfoHeaderSize)) {
            uint8_t masks[12];
            if (file.Read(masks, sizeof masks) != static_cast<int32_t>(sizeof masks))
                throw DExceptFile();
        }
        ReadRows(file, info, image, palette);
        image.EndAccess();
        return true;
    } catch (const DExceptFile&) {
        if (created) {
            image.EndAccess();
            image.ReleasePixels();
        }
        return false;
    }
}

}  // namespace mirel
