// The golden-image helper's tolerance, readers and reduction, against a committed golden.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/little_endian.h"

namespace tessera::test {
namespace {

Frame golden() {
    const std::optional<Frame> frame = readFrame(goldenPath("render3d", "normal"));
    EXPECT_TRUE(frame);
    return frame.value_or(Frame{});
}

// Comparisons only while it lives, also when the suite runs with TESSERA_UPDATE_GOLDEN=1.
class NoGoldenUpdates {
public:
    NoGoldenUpdates() {
        if (const char* value = std::getenv("TESSERA_UPDATE_GOLDEN")) saved_ = value;
        unsetenv("TESSERA_UPDATE_GOLDEN");
    }
    ~NoGoldenUpdates() {
        if (saved_) setenv("TESSERA_UPDATE_GOLDEN", saved_->c_str(), 1);
    }

private:
    std::optional<std::string> saved_;
};

// Adds `delta` to the green channel of every n-th pixel.
Frame shifted(Frame frame, int delta, size_t every) {
    for (size_t i = 0; i < frame.argb.size(); i += every) {
        const int g = static_cast<int>((frame.argb[i] >> 8) & 0xFF);
        const int moved = g + delta <= 255 ? g + delta : g - delta;
        frame.argb[i] = (frame.argb[i] & ~0xFF00u) | static_cast<uint32_t>(moved) << 8;
    }
    return frame;
}

TEST(GoldenImage, ToleratesSmallAndRareDifferencesOnly) {
    const NoGoldenUpdates comparing;
    const Frame base = golden();
    ASSERT_EQ(base.width, 128u);
    const GoldenTolerance exact = GoldenTolerance::within(2);
    struct Case {
        int delta;
        size_t every;
        GoldenTolerance tolerance;
        bool passes;
    };
    const Case cases[] = {
        {2, 1, {}, true},          // every pixel within 2
        {16, 250, {}, true},       // 0.4 % of the pixels up to 16
        {16, 100, {}, false},      // 1 %
        {17, 16384, {}, false},    // one pixel beyond 16
        {2, 1, exact, true},       // the strict form: every pixel within 2 ...
        {3, 16384, exact, false},  // ... and not one beyond
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            bool(matchesGolden(shifted(base, c.delta, c.every), "render3d", "normal", c.tolerance)),
            c.passes)
            << c.delta << " every " << c.every << " within " << c.tolerance.close;
    Frame smaller = base;
    smaller.height = 64;
    smaller.argb.resize(128 * 64);
    EXPECT_FALSE(matchesGolden(smaller, "render3d", "normal"));
    EXPECT_TRUE(std::filesystem::exists("golden-diff/render3d_normal.diff.png"));
    EXPECT_FALSE(matchesGolden(base, "render3d", "absent"));
}

// A 24-bit capture (bottom-up rows, padded) reads as the PNG does; 4:1 averages blocks.
TEST(GoldenImage, ReadsBmpCapturesAndReducesThem) {
    const uint32_t width = 6, height = 4;  // rows of 18 bytes, padded to 20
    std::string bmp = "BM";
    const uint32_t stride = 20;
    tools::writers::putU32(bmp, 54 + stride * height);
    tools::writers::putU32(bmp, 0);
    tools::writers::putU32(bmp, 54);
    tools::writers::putU32(bmp, 40);
    tools::writers::putU32(bmp, width);
    tools::writers::putU32(bmp, height);
    tools::writers::putU16(bmp, 1);
    tools::writers::putU16(bmp, 24);
    for (int i = 0; i < 6; ++i) tools::writers::putU32(bmp, 0);
    for (uint32_t row = 0; row < height; ++row) {
        for (uint32_t x = 0; x < width; ++x) bmp += {char(x), char(row), char(0x80)};  // B, G, R
        bmp += std::string(2, '\0');
    }
    TempDir dir;
    const std::optional<Frame> frame = readFrame(dir.write("shot.bmp", bmp));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, width);
    EXPECT_EQ(frame->argb[0], 0xFF800300u);  // top row = last stored row
    EXPECT_EQ(frame->argb[5 + 3 * width], 0xFF800005u);
    EXPECT_FALSE(readFrame(dir.write("short.bmp", bmp.substr(0, 80))));

    const Frame reduced = boxScale4(*frame);
    ASSERT_EQ(reduced.width, 1u);
    ASSERT_EQ(reduced.height, 1u);
    // Blue 0..3 and green 0..3 average to 1.5, rounded to 2.
    EXPECT_EQ(reduced.argb[0], 0xFF800202u);
}

}  // namespace
}  // namespace tessera::test
