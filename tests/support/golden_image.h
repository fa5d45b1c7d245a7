#pragma once
// Golden images: frames compared with reviewed PNG files under tests/<suite>/golden/ within a
// small tolerance. TESSERA_UPDATE_GOLDEN=1 rewrites the goldens instead (review them by eye
// before committing); a failed comparison writes a diff image and names it.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessera::test {

// Pixels 0xAARRGGBB, rows top-down.
struct Frame {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;
};

// A PNG file, or a 24-bit BMP as the engine's screen capture writes it (chosen by content);
// nothing for anything else or a damaged file.
std::optional<Frame> readFrame(const std::string& path);

// Each 4 x 4 block averaged into one pixel (rounded); the size is cut to a multiple of 4.
Frame boxScale4(const Frame& frame);

// tests/<suite>/golden/<name>.png of the source tree.
std::string goldenPath(const std::string& suite, const std::string& name);

// How far a frame may stray from its golden, per colour channel (alpha is not compared).
struct GoldenTolerance {
    int close = 2;            // a pixel this close always passes
    int far = 16;             // no pixel may differ by more
    double farShare = 0.005;  // share of the pixels that may lie between the two

    // Every channel of every pixel within `channel`, no exceptions.
    static GoldenTolerance within(int channel) { return {channel, channel, 0.0}; }
};

// Passes when the sizes match and the frame lies within the tolerance: by default no colour
// channel differs by more than 16 and at most 0.5 % of the pixels differ by more than 2.
testing::AssertionResult matchesGolden(const Frame& frame, const std::string& suite,
                                       const std::string& name,
                                       const GoldenTolerance& tolerance = {});

}  // namespace tessera::test
