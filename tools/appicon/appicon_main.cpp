// appicon OUTPUT.cpp: draws the 32 x 32 window icon (a mosaic of 4 x 4 tiles with grout lines)
// and writes its PNG bytes as the array kWindowIconPng of app/window_icon.h. The PNG itself is
// left beside the source as OUTPUT.cpp.png.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/writers/png_writer.h"

namespace {

constexpr uint32_t kSize = 32;
constexpr uint32_t kTile = kSize / 4;

// Tile colours, row by row: warm terracotta, ochre and slate tones.
constexpr uint32_t kTiles[4][4] = {
    {0xFFB5533C, 0xFFD9A441, 0xFF3E6A8A, 0xFFB5533C},
    {0xFF3E6A8A, 0xFFE8DCC2, 0xFFB5533C, 0xFFD9A441},
    {0xFFD9A441, 0xFFB5533C, 0xFFE8DCC2, 0xFF3E6A8A},
    {0xFFB5533C, 0xFF3E6A8A, 0xFFD9A441, 0xFFB5533C},
};
constexpr uint32_t kGrout = 0xFF2B2622;

std::vector<uint32_t> drawIcon() {
    std::vector<uint32_t> pixels(kSize * kSize);
    for (uint32_t y = 0; y < kSize; ++y)
        for (uint32_t x = 0; x < kSize; ++x) {
            const bool grout = x % kTile == 0 || y % kTile == 0 || x == kSize - 1 || y == kSize - 1;
            pixels[y * kSize + x] = grout ? kGrout : kTiles[y / kTile][x / kTile];
        }
    return pixels;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: appicon OUTPUT.cpp\n");
        return 2;
    }
    const std::string source = argv[1];
    const std::string png = source + ".png";
    if (!tools::writers::writePng(png, kSize, kSize, drawIcon())) {
        std::fprintf(stderr, "appicon: cannot write %s\n", png.c_str());
        return 1;
    }
    std::ifstream in(png, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::string text =
        "// Written by tools/appicon: the window icon as PNG bytes.\n"
        "#include \"app/window_icon.h\"\n\n"
        "const unsigned char kWindowIconPng[] = {";
    for (size_t i = 0; i < bytes.size(); ++i) {
        text += i % 16 == 0 ? "\n    " : " ";
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X,", static_cast<unsigned char>(bytes[i]));
        text += hex;
    }
    text += "\n};\nconst std::size_t kWindowIconPngSize = sizeof kWindowIconPng;\n";
    std::ofstream out(source, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out || bytes.empty()) {
        std::fprintf(stderr, "appicon: cannot write %s\n", source.c_str());
        return 1;
    }
    return 0;
}
