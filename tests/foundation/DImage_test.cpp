#include "foundation/DImage.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/DImageHolder.h"
#include "foundation/DImageReverse.h"

namespace mirel {
namespace {

uintptr_t Address(const uint8_t* p) { return reinterpret_cast<uintptr_t>(p); }

TEST(DImage, CreateSetsSizesAndAlignsTheFirstRow) {
    struct Case {
        int32_t width, height, pitch;
        DImageKind kind;
        int32_t wantPitch, wantBits, wantBytes;
    };
    const Case cases[] = {
        {3, 2, 0, DImageKind::BGR24, 12, 24, 3},
        {5, 3, 0, DImageKind::R5G6B5, 12, 16, 2},
        {1, 1, 0, DImageKind::RGBA32, 4, 32, 4},
        {2, 2, 64, DImageKind::YCbCr24, 64, 24, 3},
        {16384, 1, 0, DImageKind::A4R4G4B4, 32768, 16, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        DImage image;
        ASSERT_TRUE(image.Create(c.width, c.height, c.pitch, c.kind));
        EXPECT_EQ(image.Width(), c.width);
        EXPECT_EQ(image.Height(), c.height);
        EXPECT_EQ(image.Pitch(), c.wantPitch);
        EXPECT_EQ(image.BitsPerPixel(), c.wantBits);
        EXPECT_EQ(image.BytesPerPixel(), c.wantBytes);
        EXPECT_EQ(image.Kind(), c.kind);
        EXPECT_EQ(Address(image.Pixels()) % 16, 0u);
        EXPECT_EQ(image.FirstRow(), image.Pixels());
        // The whole picture is writable (ASan checks the allocation's end is not passed).
        std::memset(image.Pixels(), 0xAB, size_t(c.height) * size_t(image.Pitch()));
    }
}

TEST(DImage, CreateRefusesBadSizesAndChangesNothing) {
    struct Case {
        int32_t width, height, pitch;
        uint32_t kind;
    };
    const Case cases[] = {
        {0, 2, 0, 0},
        {2, 0, 0, 0},
        {-1, 2, 0, 0},
        {2, -4, 0, 0},
        {INT_MIN, 1, 0, 0},
        {1, INT_MIN, 0, 0},
        {16385, 1, 0, 0},
        {1, 16385, 0, 0},
        {2, 2, 0, 8},
        {3, 2, 8, 3},
        {3, 2, -12, 3},
        {1, 16384, 65536 + 4, 0},
        {16384, 16384, INT32_MAX, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " pitch " << c.pitch);
        DImage image;
        EXPECT_FALSE(image.Create(c.width, c.height, c.pitch, DImageKind(c.kind)));
        EXPECT_EQ(image.Pixels(), nullptr);
        EXPECT_EQ(image.Width(), 0);
        EXPECT_EQ(image.Height(), 0);
        EXPECT_EQ(image.BytesPerPixel(), 0);
    }
}

TEST(DImage, FailedCreateOnAnImageWithPixelsKeepsItsFormat) {
    DImage image;
    ASSERT_TRUE(image.Create(4, 4, 0, DImageKind::RGBA32));
    uint8_t* pixels = image.Pixels();
    EXPECT_FALSE(image.Create(4, 5, 0, DImageKind::RGB24));    // another height
    EXPECT_FALSE(image.Create(4, 4, 0, DImageKind(8)));        // not a kind
    EXPECT_FALSE(image.Create(5, 4, 16, DImageKind::RGBA32));  // pitch below the row
    EXPECT_EQ(image.Pixels(), pixels);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.BitsPerPixel(), 32);
    EXPECT_EQ(image.BytesPerPixel(), 4);
    EXPECT_EQ(image.Kind(), DImageKind::RGBA32);
}

TEST(DImage, SameHeightAndPitchRelabelsInPlace) {
    DImage image;
    ASSERT_TRUE(image.Create(4, 2, 16, DImageKind::RGBA32));
    uint8_t* pixels = image.Pixels();
    pixels[0] = 42;
    ASSERT_TRUE(image.Create(5, 2, 16, DImageKind::BGR24));
    EXPECT_EQ(image.Pixels(), pixels);
    EXPECT_EQ(pixels[0], 42);
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Kind(), DImageKind::BGR24);
    EXPECT_EQ(image.BytesPerPixel(), 3);
}

TEST(DImage, ReleasePixelsKeepsTheKind) {
    DImage image;
    ASSERT_TRUE(image.CreateAutoPitch(8, 8, DImageKind::A1R5G5B5));
    EXPECT_TRUE(image.ReleasePixels());
    EXPECT_EQ(image.Kind(), DImageKind::A1R5G5B5);
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.Pitch(), 0);
    EXPECT_EQ(image.BitsPerPixel(), 0);
    EXPECT_FALSE(image.ReleasePixels());
    EXPECT_TRUE(image.Create(2, 9, 0, DImageKind::RGB24));
}

TEST(DImage, TopDownAddressing) {
    DImage image;
    ASSERT_TRUE(image.Create(4, 3, 20, DImageKind::BGR24));
    uint8_t* base = image.Pixels();
    EXPECT_EQ(image.PixelAddress(2, 1), base + 6 + 20);
    EXPECT_EQ(image.Offset(base, 1, 2), base + 3 + 40);
    EXPECT_EQ(image.AddRows(base, 2), base + 40);
    EXPECT_EQ(image.NextRow(base), base + 20);
}

TEST(DImageReverse, RowsRunBottomUpInMemory) {
    DImageReverse image;
    ASSERT_TRUE(image.Create(2, 4, 0, DImageKind::RGBA32));
    uint8_t* base = image.Pixels();
    const int32_t pitch = image.Pitch();
    EXPECT_EQ(image.PixelAddress(0, 0), base + 3 * pitch);
    EXPECT_EQ(image.FirstRow(), base + 3 * pitch);
    EXPECT_EQ(image.NextRow(image.FirstRow()), base + 2 * pitch);
    EXPECT_EQ(image.PixelAddress(1, 3), base + 4);
    EXPECT_EQ(image.AddRows(image.FirstRow(), 3), base);
    EXPECT_EQ(image.Offset(image.FirstRow(), 1, 2), base + 4 + pitch);

    // A row walk from FirstRow with NextRow visits picture rows 0..3 and stays in the buffer.
    uint8_t* row = image.FirstRow();
    for (int y = 0; y < 4; ++y, row = image.NextRow(row)) std::memset(row, y, size_t(pitch));
    for (int y = 0; y < 4; ++y) EXPECT_EQ(*image.PixelAddress(1, y), y);
}

TEST(DImageHolder, AttachRawNeverFreesForeignMemory) {
    auto memory = std::make_unique<uint8_t[]>(64);
    memory[5] = 9;
    {
        DImageHolder holder;
        ASSERT_TRUE(DImage::AttachRaw(holder, memory.get(), 3, 4, 0, DImageKind::RGBA32));
        EXPECT_EQ(holder.Pitch(), 12);
        EXPECT_EQ(holder.Pixels(), memory.get());
        EXPECT_EQ(holder.PixelAddress(1, 1), memory.get() + 16);
        EXPECT_TRUE(holder.ReleasePixels());
        ASSERT_TRUE(DImage::AttachRaw(holder, memory.get(), 3, 4, 16, DImageKind::RGBA32));
    }
    EXPECT_EQ(memory[5], 9);  // still ours (ASan reports a free of it)
}

TEST(DImageHolder, AttachKeepsACountedCopyAndRefusesBadInput) {
    rcptr<uint8_t> block;
    block.Allocate(32);
    DImageHolder holder;
    EXPECT_FALSE(holder.Attach(rcptr<uint8_t>(), 2, 2, 0, DImageKind::RGBA32));
    EXPECT_FALSE(holder.Attach(block, 0, 2, 0, DImageKind::RGBA32));
    EXPECT_FALSE(holder.Attach(block, 2, -2, 0, DImageKind::RGBA32));
    EXPECT_FALSE(holder.Attach(block, 2, 2, 7, DImageKind::RGBA32));
    EXPECT_FALSE(holder.Attach(block, 2, 2, 0, DImageKind(9)));
    EXPECT_EQ(holder.Pixels(), nullptr);

    ASSERT_TRUE(holder.Attach(block, 2, 2, 0, DImageKind::R5G6B5));
    EXPECT_EQ(holder.Pitch(), 4);
    uint8_t* pixels = block.Get();
    block.Reset();
    EXPECT_EQ(holder.Pixels(), pixels);
    std::memset(holder.Pixels(), 1, 8);  // still alive through the image's handle
}

}  // namespace
}  // namespace mirel
