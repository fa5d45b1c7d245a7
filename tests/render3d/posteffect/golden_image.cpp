#include "tests/render3d/posteffect/golden_image.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

#include "tools/writers/png_writer.h"

namespace tessera::test {

std::string compareWithGolden(const std::string& path, uint32_t width, uint32_t height,
                              const std::vector<uint32_t>& argb, int tolerance) {
    if (argb.size() != size_t{width} * height) return "frame size differs from its dimensions";
    const char* update = std::getenv("TESSERA_UPDATE_GOLDENS");
    if (update && std::strcmp(update, "1") == 0)
        return tools::writers::writePng(path, width, height, argb) ? "" : "cannot write " + path;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return "cannot read " + path;
    image.format = PNG_FORMAT_RGB;
    if (image.width != width || image.height != height) {
        png_image_free(&image);
        return path + " has another size";
    }
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return "cannot decode " + path;
    uint32_t differing = 0;
    std::string first;
    for (size_t i = 0; i < argb.size(); ++i) {
        const int got[3] = {static_cast<int>(argb[i] >> 16 & 0xFF),
                            static_cast<int>(argb[i] >> 8 & 0xFF),
                            static_cast<int>(argb[i] & 0xFF)};
        for (int c = 0; c < 3; ++c)
            if (std::abs(got[c] - rgb[3 * i + c]) > tolerance) {
                if (differing++ == 0)
                    first = "first at (" + std::to_string(i % width) + ", " +
                            std::to_string(i / width) + ")";
                break;
            }
    }
    return differing ? std::to_string(differing) + " pixels differ from " + path + ", " + first
                     : "";
}

}  // namespace tessera::test
