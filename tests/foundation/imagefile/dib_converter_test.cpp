#include "foundation/imagefile/dib_converter.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/foundation/imagefile/image_test_support.h"
#include "tools/writers/little_endian.h"

namespace mirel {
namespace {

using tools::writers::putU16;
using tools::writers::putU32;

std::string InfoHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression,
                       uint32_t colorsUsed = 0) {
    std::string out;
    putU32(out, 40);
    putU32(out, static_cast<uint32_t>(width));
    putU32(out, static_cast<uint32_t>(height));
    putU16(out, 1);
    putU16(out, bitCount);
    putU32(out, compression);
    out += std::string(12, '\0');
    putU32(out, colorsUsed);
    putU32(out, 0);
    return out;
}

bool Convert(const std::string& info, const std::string& bits, DImage& image) {
    return DimgDibToBgr24(reinterpret_cast<const uint8_t*>(info.data()), info.size(),
                          reinterpret_cast<const uint8_t*>(bits.data()), bits.size(), image);
}

TEST(DibConverter, BitCountsAndLayouts) {
    const std::string palette = Bytes({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0});
    std::string masks565;
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) putU32(masks565, m);
    const struct {
        const char* what;
        std::string info;
        std::string bits;
        std::vector<std::string> row0;  // top row, BGR
    } cases[] = {
        {"1 bit, top-down",
         InfoHeader(3, -1, 1, 0, 2) + palette,
         Bytes({0xA0, 0, 0, 0}),
         {Bytes({4, 5, 6}), Bytes({1, 2, 3}), Bytes({4, 5, 6})}},
        {"4 bits, bottom-up: the second stored row is the top",
         InfoHeader(2, 2, 4, 0, 3) + palette,
         Bytes({0x00, 0, 0, 0, 0x21, 0, 0, 0}),
         {Bytes({7, 8, 9}), Bytes({4, 5, 6})}},
        {"8 bits, index past the palette",
         InfoHeader(2, -1, 8, 0, 2) + palette,
         Bytes({1, 200, 0, 0}),
         {Bytes({4, 5, 6}), Bytes({0, 0, 0})}},
        {"16 bits X1R5G5B5",
         InfoHeader(1, -1, 16, 0),
         Bytes({0x1F, 0x7C, 0, 0}),
         {Bytes({255, 0, 255})}},
        {"16 bits R5G6B5 by bit fields",
         InfoHeader(1, -1, 16, 3) + masks565,
         Bytes({0xE0, 0x07, 0, 0}),
         {Bytes({0, 255, 0})}},
        {"24 bits", InfoHeader(1, -1, 24, 0), Bytes({9, 8, 7, 0}), {Bytes({9, 8, 7})}},
        {"32 bits BGRX", InfoHeader(1, -1, 32, 0), Bytes({9, 8, 7, 6}), {Bytes({9, 8, 7})}},
        {"rows missing from the bits are black",
         InfoHeader(1, -2, 24, 0),
         Bytes({9, 8}),
         {Bytes({9, 8, 0})}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DImage image;
        ASSERT_TRUE(Convert(c.info, c.bits, image));
        EXPECT_EQ(image.Kind(), DImageKind::BGR24);
        for (size_t x = 0; x < c.row0.size(); ++x)
            EXPECT_EQ(PixelAt(image, static_cast<int>(x), 0), c.row0[x]) << x;
    }
}

TEST(DibConverter, RefusesWhatItCannotConvert) {
    const struct {
        const char* what;
        std::string info;
    } cases[] = {
        {"RLE8", InfoHeader(1, 1, 8, 1) + std::string(1024, '\0')},
        {"2 bits", InfoHeader(1, 1, 2, 0)},
        {"bit fields without masks", InfoHeader(1, 1, 32, 3)},
        {"short header", InfoHeader(1, 1, 24, 0).substr(0, 39)},
        {"zero width", InfoHeader(0, 1, 24, 0)},
        {"huge height", InfoHeader(1, INT32_MIN, 24, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DImage image;
        EXPECT_FALSE(Convert(c.info, std::string(16, '\0'), image));
    }
}

}  // namespace
}  // namespace mirel
