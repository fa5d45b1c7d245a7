#include "tests/support/golden_image.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/writers/png_writer.h"

namespace tessera::test {
namespace {

std::optional<std::string> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
    return value;
}

std::optional<Frame> decodePng(const std::string& bytes) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
    image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    Frame frame{image.width, image.height, {}};
    frame.argb.resize(static_cast<size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, frame.argb.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return frame;
}

// Uncompressed 24-bit BMP: rows bottom-up (top-down for a negative height), padded to 4 bytes.
std::optional<Frame> decodeBmp24(const std::string& bytes) {
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return std::nullopt;
    const uint32_t offset = le32(bytes, 10);
    const int32_t width = static_cast<int32_t>(le32(bytes, 18));
    const int32_t rawHeight = static_cast<int32_t>(le32(bytes, 22));
    const uint32_t bitsAndPlanes = le32(bytes, 26);
    if ((bitsAndPlanes >> 16) != 24 || le32(bytes, 30) != 0) return std::nullopt;
    if (width <= 0 || rawHeight == 0 || width > 16384 || std::abs(rawHeight) > 16384)
        return std::nullopt;
    const uint32_t height = static_cast<uint32_t>(std::abs(rawHeight));
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    if (offset > bytes.size() || (bytes.size() - offset) / stride < height) return std::nullopt;
    Frame frame{static_cast<uint32_t>(width), height, {}};
    frame.argb.resize(static_cast<size_t>(width) * height);
    for (uint32_t row = 0; row < height; ++row) {
        const uint32_t y = rawHeight > 0 ? height - 1 - row : row;
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + offset + row * stride);
        for (int32_t x = 0; x < width; ++x, p += 3)
            frame.argb[static_cast<size_t>(y) * width + x] =
                0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
    return frame;
}

int channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

int colourDistance(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(channel(a, shift) - channel(b, shift)));
    return most;
}

// The expected image dimmed to grey, with pixels beyond `close` in red (brighter for larger).
Frame diffImage(const Frame& actual, const Frame& expected, int close) {
    Frame diff{expected.width, expected.height, expected.argb};
    for (size_t i = 0; i < diff.argb.size(); ++i) {
        const int d = colourDistance(actual.argb[i], expected.argb[i]);
        const uint32_t p = expected.argb[i];
        const int grey = (channel(p, 16) + channel(p, 8) + channel(p, 0)) / 12;
        if (d > close)
            diff.argb[i] = 0xFF000000u | (static_cast<uint32_t>(std::min(255, 96 + 8 * d)) << 16);
        else
            diff.argb[i] = 0xFF000000u | static_cast<uint32_t>(grey * 0x010101);
    }
    return diff;
}

}  // namespace

std::string goldenPath(const std::string& suite, const std::string& name) {
    return std::string(TESSERA_SOURCE_DIR) + "/tests/" + suite + "/golden/" + name + ".png";
}

std::optional<Frame> readFrame(const std::string& path) {
    const std::optional<std::string> bytes = readBytes(path);
    if (!bytes) return std::nullopt;
    if (bytes->size() >= 2 && bytes->compare(0, 2, "BM") == 0) return decodeBmp24(*bytes);
    return decodePng(*bytes);
}

Frame boxScale4(const Frame& frame) {
    Frame out{frame.width / 4, frame.height / 4, {}};
    out.argb.resize(static_cast<size_t>(out.width) * out.height);
    for (uint32_t y = 0; y < out.height; ++y)
        for (uint32_t x = 0; x < out.width; ++x) {
            uint32_t pixel = 0;
            for (int shift : {0, 8, 16, 24}) {
                uint32_t sum = 0;
                for (uint32_t dy = 0; dy < 4; ++dy)
                    for (uint32_t dx = 0; dx < 4; ++dx)
                        sum += static_cast<uint32_t>(channel(
                            frame.argb[static_cast<size_t>(4 * y + dy) * frame.width + 4 * x + dx],
                            shift));
                pixel |= ((sum + 8) / 16) << shift;
            }
            out.argb[static_cast<size_t>(y) * out.width + x] = pixel;
        }
    return out;
}

testing::AssertionResult matchesGolden(const Frame& frame, const std::string& suite,
                                       const std::string& name, const GoldenTolerance& tolerance) {
    if (frame.argb.size() != static_cast<size_t>(frame.width) * frame.height)
        return testing::AssertionFailure() << name << ": " << frame.argb.size() << " pixels for "
                                           << frame.width << "x" << frame.height;
    const std::string path = goldenPath(suite, name);
    const char* update = std::getenv("TESSERA_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (!tools::writers::writePng(path, frame.width, frame.height, frame.argb))
            return testing::AssertionFailure() << "cannot write " << path;
        return testing::AssertionSuccess() << "rewrote " << path;
    }
    const std::optional<Frame> expected = readFrame(path);
    if (!expected)
        return testing::AssertionFailure()
               << "no golden " << path << " (TESSERA_UPDATE_GOLDEN=1 writes it)";
    if (expected->width != frame.width || expected->height != frame.height)
        return testing::AssertionFailure()
               << name << ": size " << frame.width << "x" << frame.height << ", golden "
               << expected->width << "x" << expected->height;
    size_t beyondClose = 0;
    int worst = 0;
    for (size_t i = 0; i < frame.argb.size(); ++i) {
        const int d = colourDistance(frame.argb[i], expected->argb[i]);
        worst = std::max(worst, d);
        if (d > tolerance.close) ++beyondClose;
    }
    const double share = static_cast<double>(beyondClose) / static_cast<double>(frame.argb.size());
    if (worst <= tolerance.far && share <= tolerance.farShare) return testing::AssertionSuccess();
    // One flat folder: a nested suite ("render3d/posteffect") becomes part of the file name.
    std::string stem = suite + "_" + name;
    std::replace(stem.begin(), stem.end(), '/', '_');
    const std::filesystem::path diffDir = std::filesystem::current_path() / "golden-diff";
    std::filesystem::create_directories(diffDir);
    const std::string diffPath = (diffDir / (stem + ".diff.png")).string();
    const std::string actualPath = (diffDir / (stem + ".png")).string();
    tools::writers::writePng(diffPath, frame.width, frame.height,
                             diffImage(frame, *expected, tolerance.close).argb);
    tools::writers::writePng(actualPath, frame.width, frame.height, frame.argb);
    return testing::AssertionFailure()
           << name << ": " << beyondClose << " pixels differ by more than " << tolerance.close
           << ", the worst by " << worst << "; diff " << diffPath << ", frame " << actualPath;
}

}  // namespace tessera::test
