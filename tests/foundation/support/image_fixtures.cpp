#include "tests/foundation/support/image_fixtures.h"

#include <jpeglib.h>
#include <png.h>
#include <cstdio>

#include <cstdlib>

#include "tools/writers/little_endian.h"

namespace tessera::test {

using tools::writers::putU16;
using tools::writers::putU32;

Pixels patternPixels(int width, int height, int channels, uint8_t seed) {
    Pixels p{width, height, channels, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                p.bytes.push_back(
                    static_cast<uint8_t>(seed + x * 37 + y * 71 + c * 101 + (x * y) % 13));
    return p;
}

std::string bmpFile(const BmpSpec& spec) {
    std::string info;
    putU32(info, spec.headerSize);
    putU32(info, static_cast<uint32_t>(spec.width));
    putU32(info, static_cast<uint32_t>(spec.height));
    putU16(info, 1);
    putU16(info, spec.bitCount);
    putU32(info, spec.compression);
    putU32(info, static_cast<uint32_t>(spec.rows.size()));
    putU32(info, 2835);
    putU32(info, 2835);
    putU32(info, spec.colorsUsed);
    putU32(info, 0);
    if (spec.headerSize > 40) {
        for (uint32_t mask : spec.masks) putU32(info, mask);
        info.resize(spec.headerSize, '\0');
    } else {
        info.resize(spec.headerSize, '\0');
    }
    const uint32_t offset = 14 + static_cast<uint32_t>(info.size() + spec.extra.size());
    std::string out(spec.type, 2);
    putU32(out, offset + static_cast<uint32_t>(spec.rows.size()));
    putU32(out, 0);
    putU32(out, offset);
    return out + info + spec.extra + spec.rows;
}

namespace {

void AppendToString(png_structp png, png_bytep data, size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), length);
}

// The fixtures are valid by construction; a writer error is a broken test.
void FailPngWrite(png_structp, png_const_charp message) {
    std::fprintf(stderr, "pngFile: %s\n", message);
    std::abort();
}

int Channels(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;  // palette
    }
}

// Packs one row of samples at the bit depth, big-endian as PNG stores them.
std::vector<uint8_t> PackRow(const PngSpec& spec, int y) {
    const int perRow = spec.width * Channels(spec.colorType);
    std::vector<uint8_t> row((static_cast<size_t>(perRow) * spec.bitDepth + 7) / 8, 0);
    for (int i = 0; i < perRow; ++i) {
        const uint32_t v = spec.samples[static_cast<size_t>(y) * perRow + i];
        if (spec.bitDepth == 16) {
            row[i * 2] = static_cast<uint8_t>(v >> 8);
            row[i * 2 + 1] = static_cast<uint8_t>(v);
        } else if (spec.bitDepth == 8) {
            row[i] = static_cast<uint8_t>(v);
        } else {
            const int bit = i * spec.bitDepth;
            row[bit / 8] |= static_cast<uint8_t>(v << (8 - spec.bitDepth - bit % 8));
        }
    }
    return row;
}

}  // namespace

std::string pngFile(const PngSpec& spec) {
    std::string out;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &FailPngWrite, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, &AppendToString, nullptr);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < spec.palette.size(); i += 3)
        palette.push_back({spec.palette[i], spec.palette[i + 1], spec.palette[i + 2]});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_color_16 trnsColor{};
    if (!spec.trns.empty()) {
        if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
            png_set_tRNS(png, info, spec.trns.data(), static_cast<int>(spec.trns.size()), nullptr);
        } else {
            trnsColor.gray = spec.trns[0];
            trnsColor.red = spec.trns[0];
            trnsColor.green = spec.trns.size() > 1 ? spec.trns[1] : 0;
            trnsColor.blue = spec.trns.size() > 2 ? spec.trns[2] : 0;
            png_set_tRNS(png, info, nullptr, 0, &trnsColor);
        }
    }
    png_write_info(png, info);
    std::vector<std::vector<uint8_t>> rows;
    std::vector<png_bytep> pointers;
    for (int y = 0; y < spec.height; ++y) rows.push_back(PackRow(spec, y));
    for (auto& row : rows) pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string jpegFile(const Pixels& pixels, size_t commentBytes) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(pixels.width);
    cinfo.image_height = static_cast<JDIMENSION>(pixels.height);
    cinfo.input_components = pixels.channels;
    cinfo.in_color_space = pixels.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (commentBytes > 0) {
        const std::string comment(commentBytes, 'c');
        // A marker segment holds at most 65533 bytes of data.
        jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                          static_cast<unsigned>(comment.size()));
    }
    const size_t stride = static_cast<size_t>(pixels.width) * pixels.channels;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.bytes.data() + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

}  // namespace tessera::test
