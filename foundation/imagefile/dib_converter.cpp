#include "foundation/imagefile/dib_converter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/imagefile/bmp_headers.h"

namespace mirel {
namespace {

// One colour channel given by a bit mask, widened to 8 bits with rounding.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1) == 0) ++shift;
        max = mask >> shift;
    }
    uint8_t Of(uint32_t pixel) const {
        if (max == 0) return 0;
        const uint64_t v = (pixel & mask) >> shift;
        return static_cast<uint8_t>((v * 255 + max / 2) / max);
    }
};

uint32_t U32At(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct Layout {
    int32_t width;
    int32_t rows;
    bool bottomUp;
    int bitCount;
    size_t stride;
    uint8_t palette[256][3];  // B, G, R
    Channel red{0}, green{0}, blue{0};
};

// Reads the header, palette and masks; false for what cannot be converted.
bool ReadLayout(const uint8_t* info, size_t infoSize, Layout& layout) {
    DimgInfoHeader header;
    if (!DimgParseInfoHeader(header, info, infoSize)) return false;
    if (header.size < static_cast<uint32_t>(DimgInfoHeaderSize) || header.size > infoSize)
        return false;
    const int bitCount = header.bitCount;
    const bool bitfields =
        header.compression == DimgBiBitfields && (bitCount == 16 || bitCount == 32);
    if (header.compression != DimgBiRgb && !bitfields) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    const int64_t rows = std::llabs(static_cast<int64_t>(header.height));
    if (header.width < 1 || header.width > DImage::kMaxSide || rows < 1 || rows > DImage::kMaxSide)
        return false;

    layout.width = header.width;
    layout.rows = static_cast<int32_t>(rows);
    layout.bottomUp = header.height > 0;
    layout.bitCount = bitCount;
    layout.stride = (static_cast<size_t>(bitCount) * header.width + 31) / 32 * 4;

    std::memset(layout.palette, 0, sizeof layout.palette);
    if (bitCount <= 8) {
        const size_t possible = size_t{1} << bitCount;
        const size_t entries =
            header.colorsUsed == 0 ? possible : std::min<size_t>(header.colorsUsed, possible);
        const size_t available = (infoSize - header.size) / 4;
        const uint8_t* p = info + header.size;
        for (size_t i = 0; i < std::min(entries, available); ++i, p += 4)
            std::memcpy(layout.palette[i], p, 3);
    } else if (bitfields) {
        // The masks follow a 40-byte header, or are its next fields in larger ones.
        if (infoSize < DimgInfoHeaderSize + 12) return false;
        layout.red = Channel(U32At(info + 40));
        layout.green = Channel(U32At(info + 44));
        layout.blue = Channel(U32At(info + 48));
    } else if (bitCount == 16) {
        layout.red = Channel(0x7C00), layout.green = Channel(0x03E0), layout.blue = Channel(0x001F);
    } else if (bitCount == 32) {
        layout.red = Channel(0xFF0000), layout.green = Channel(0xFF00), layout.blue = Channel(0xFF);
    }
    return true;
}

void ConvertRow(const Layout& layout, const uint8_t* in, uint8_t* out) {
    for (int32_t x = 0; x < layout.width; ++x, out += 3) {
        switch (layout.bitCount) {
        case 1:
        case 4:
        case 8: {
            const int bits = layout.bitCount;
            const size_t bit = static_cast<size_t>(x) * bits;
            const int index = (in[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
            std::memcpy(out, layout.palette[index], 3);
            break;
        }
        case 24:
            std::memcpy(out, in + x * 3, 3);
            break;
        default: {
            const uint32_t pixel =
                layout.bitCount == 16 ? (in[x * 2] | in[x * 2 + 1] << 8) : U32At(in + x * 4);
            out[0] = layout.blue.Of(pixel);
            out[1] = layout.green.Of(pixel);
            out[2] = layout.red.Of(pixel);
            break;
        }
        }
    }
}

}  // namespace

bool DimgDibToBgr24(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize,
                    DImage& image) {
    Layout layout;
    if (info == nullptr || !ReadLayout(info, infoSize, layout)) return false;
    // The rows as a zero-filled bitmap would hold them: what `bits` lacks stays black.
    std::vector<uint8_t> rows(layout.stride * static_cast<size_t>(layout.rows), 0);
    if (bits != nullptr) std::memcpy(rows.data(), bits, std::min(rows.size(), bitsSize));

    const int32_t pitch = (layout.width * 3 + 3) & ~3;
    if (!image.Create(layout.width, layout.rows, pitch, DImageKind::BGR24)) return false;
    image.FirstRow();
    for (int32_t y = 0; y < layout.rows; ++y) {
        const int32_t stored = layout.bottomUp ? layout.rows - 1 - y : y;
        ConvertRow(layout, rows.data() + layout.stride * static_cast<size_t>(stored),
                   image.PixelAddress(0, y));
    }
    image.EndAccess();
    return true;
}

}  // namespace mirel
