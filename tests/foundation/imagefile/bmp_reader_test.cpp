#include <gtest/gtest.h>

#include <string>

#include "foundation/imagefile/image_file.h"
#include "tests/foundation/imagefile/image_test_support.h"
#include "tests/foundation/support/image_fixtures.h"

namespace mirel {
namespace {

using tessera::test::bmpFile;
using tessera::test::BmpSpec;

// B, G, R of a 24-bit pixel numbered n.
std::string Bgr(int n) { return Bytes({n * 10 + 1, n * 10 + 2, n * 10 + 3}); }
// The RGBA32 the reader gives for it.
std::string Rgba(int n) { return Bytes({n * 10 + 3, n * 10 + 2, n * 10 + 1, 255}); }

// Three pixels a row, two rows: 9 bytes padded to 12.
std::string Rows24(int first, int second) {
    std::string out;
    for (int row : {first, second})
        out += Bgr(row) + Bgr(row + 1) + Bgr(row + 2) + std::string(3, '\0');
    return out;
}

TEST(BmpReader, TwentyFourBitRowsFollowTheSignOfTheHeight) {
    DImage image;
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.rows = Rows24(0, 3);  // file row 0 holds pixels 0..2
    ASSERT_TRUE(LoadBytes(DimgLoadBitmap, bmpFile(spec), image));
    EXPECT_EQ(image.Kind(), DImageKind::RGBA32);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(PixelAt(image, 0, 0), Rgba(3));  // bottom-up: the file's last row comes first
    EXPECT_EQ(PixelAt(image, 2, 1), Rgba(2));

    DImage topDown;
    spec.height = -2;
    ASSERT_TRUE(LoadBytes(DimgLoadBitmap, bmpFile(spec), topDown));
    EXPECT_EQ(topDown.Height(), 2);
    EXPECT_EQ(PixelAt(topDown, 0, 0), Rgba(0));
    EXPECT_EQ(PixelAt(topDown, 2, 1), Rgba(5));
}

// An 8-bit file reads as many palette entries as colours-used says (256 for 0 or above 256);
// an index past them is black, not whatever follows the palette.
TEST(BmpReader, EightBitPalettes) {
    for (uint32_t colorsUsed : {0u, 16u, 300u}) {
        SCOPED_TRACE(colorsUsed);
        const uint32_t entries = (colorsUsed == 0 || colorsUsed > 256) ? 256 : colorsUsed;
        BmpSpec spec;
        spec.width = 3;
        spec.bitCount = 8;
        spec.colorsUsed = colorsUsed;
        for (uint32_t i = 0; i < entries; ++i)
            spec.extra += Bytes({static_cast<int>(i), 7, 200, 0});
        spec.rows = Bytes({5, 15, 200, 0});  // 200 is past a 16-entry palette
        DImage image;
        ASSERT_TRUE(LoadBytes(DimgLoadBitmap, bmpFile(spec), image));
        EXPECT_EQ(PixelAt(image, 0, 0), Bytes({200, 7, 5, 255}));
        EXPECT_EQ(PixelAt(image, 1, 0), Bytes({200, 7, 15, 255}));
        EXPECT_EQ(PixelAt(image, 2, 0),
                  entries == 16 ? Bytes({0, 0, 0, 255}) : Bytes({200, 7, 200, 255}));
    }
}

TEST(BmpReader, ThirtyTwoBitFilesKeepAlphaAndSkipOnlyMasksAfterAFortyByteHeader) {
    const std::string rows = Bytes({1, 2, 3, 4, 5, 6, 7, 8});  // two pixels B, G, R, A
    const struct {
        const char* what;
        uint32_t compression;
        uint32_t headerSize;
        std::string extra;
    } cases[] = {
        {"BI_RGB", 0, 40, ""},
        {"BI_BITFIELDS after a 40-byte header", 3, 40,
         Bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0})},
        {"BI_BITFIELDS in a V4 header", 3, 108, ""},
        {"BI_BITFIELDS in a V5 header", 3, 124, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BmpSpec spec;
        spec.width = 2;
        spec.bitCount = 32;
        spec.compression = c.compression;
        spec.headerSize = c.headerSize;
        spec.masks[0] = 0xFF0000, spec.masks[1] = 0xFF00, spec.masks[2] = 0xFF;
        spec.extra = c.extra;
        spec.rows = rows;
        DImage image;
        ASSERT_TRUE(LoadBytes(DimgLoadBitmap, bmpFile(spec), image));
        EXPECT_EQ(PixelAt(image, 0, 0), Bytes({3, 2, 1, 4}));
        EXPECT_EQ(PixelAt(image, 1, 0), Bytes({7, 6, 5, 8}));
    }
}

TEST(BmpReader, OtherFilesFallThrough) {
    const struct {
        const char* what;
        BmpSpec spec;
    } cases[] = {
        {"16 bits",
         [] {
             BmpSpec s;
             s.bitCount = 16;
             s.rows = std::string(4, '\1');
             return s;
         }()},
        {"4 bits",
         [] {
             BmpSpec s;
             s.bitCount = 4;
             s.extra = std::string(64, '\0');
             s.rows = std::string(4, '\1');
             return s;
         }()},
        {"RLE8",
         [] {
             BmpSpec s;
             s.bitCount = 8;
             s.compression = 1;
             s.extra = std::string(1024, '\0');
             s.rows = Bytes({1, 0, 0, 1});
             return s;
         }()},
        {"not BM",
         [] {
             BmpSpec s;
             s.type[1] = 'A';
             s.rows = std::string(4, '\1');
             return s;
         }()},
        {"12-byte core header",
         [] {
             BmpSpec s;
             s.headerSize = 12;
             s.rows = std::string(40, '\1');
             return s;
         }()},
        {"zero width",
         [] {
             BmpSpec s;
             s.width = 0;
             return s;
         }()},
        {"height beyond any image",
         [] {
             BmpSpec s;
             s.height = INT32_MIN;
             s.rows = std::string(64, '\0');
             return s;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DImage image;
        EXPECT_FALSE(LoadBytes(DimgLoadBitmap, bmpFile(c.spec), image));
        EXPECT_EQ(image.Pixels(), nullptr);
    }
}

TEST(BmpReader, ShortFilesFailWithThePixelsReleased) {
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.rows = Rows24(0, 3);
    const std::string whole = bmpFile(spec);
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        DImage image;
        EXPECT_FALSE(LoadBytes(DimgLoadBitmap, whole.substr(0, length), image));
        EXPECT_EQ(image.Pixels(), nullptr);
    }
}

}  // namespace
}  // namespace mirel
