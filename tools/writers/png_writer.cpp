#include "tools/writers/png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace tools::writers {

bool writePng(const std::string& path, std::uint32_t width, std::uint32_t height,
              const std::vector<std::uint32_t>& argb, bool alpha) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const std::size_t channels = alpha ? 4 : 3;
    std::vector<png_byte> row(static_cast<std::size_t>(width) * channels);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t p = argb[static_cast<std::size_t>(y) * width + x];
            png_byte* out = &row[channels * x];
            out[0] = static_cast<png_byte>(p >> 16);
            out[1] = static_cast<png_byte>(p >> 8);
            out[2] = static_cast<png_byte>(p);
            if (alpha) out[3] = static_cast<png_byte>(p >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace tools::writers
