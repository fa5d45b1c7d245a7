#include <gtest/gtest.h>

#include "framework/image/image.h"

namespace {

TEST(PixelKinds, SizesFollowTheKind) {
    struct Case {
        uint32_t kind;
        uint32_t rowBytes;
        uint32_t rows;
    };
    // A 10 x 6 image: 3 x 2 blocks in the compressed kinds.
    const Case cases[] = {
        {0, 40, 6}, {1, 40, 6}, {2, 20, 6}, {3, 20, 6}, {4, 20, 6}, {5, 24, 2},
        {6, 48, 2}, {7, 48, 2}, {8, 48, 2}, {9, 48, 2}, {10, 0, 0}, {0xFFFFFFFF, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        uint32_t rowBytes = 1;
        uint32_t rows = 1;
        pelImageGetPixelKindSize(c.kind, 10, 6, &rowBytes, &rows);
        EXPECT_EQ(rowBytes, c.rowBytes);
        EXPECT_EQ(rows, c.rows);
    }
    uint32_t rowBytes = 0;
    uint32_t rows = 0;
    pelImageGetPixelKindSize(PEL_IMAGE_KIND_DXT5, 0xFFFFFFFF, 0xFFFFFFFF, &rowBytes, &rows);
    EXPECT_EQ(rowBytes, 0xFFFFFFFFu) << "too large a row saturates instead of wrapping";
    EXPECT_EQ(rows, 0x40000000u);
}

TEST(PixelKinds, GammaTablesCurveAwayFromTwoPointTwo) {
    struct Case {
        float gamma;
        uint8_t at0;
        uint8_t at64;
        uint8_t at128;
        uint8_t at255;
    };
    const Case cases[] = {
        {2.2f, 0, 64, 128, 255},
        {2.20009f, 0, 64, 128, 255},
        {1.0f, 0, 136, 186, 255},  // 255 x (v / 255) ^ 0.4545, rounded
        {4.4f, 0, 16, 64, 255},    // the square
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gamma);
        uint8_t table[256];
        pelImageBuildGammaTable(table, c.gamma);
        EXPECT_EQ(table[0], c.at0);
        EXPECT_EQ(table[64], c.at64);
        EXPECT_EQ(table[128], c.at128);
        EXPECT_EQ(table[255], c.at255);
    }
}

}  // namespace
