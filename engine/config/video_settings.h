#pragma once
#include <cstddef>
#include <cstdint>

// One display mode the video page may offer: kind (0 full screen 32-bit, 1 full screen 16-bit,
// 2 window), size, and the mode-table flag the page passes through untouched.
struct ConfigVideoMode {
    uint32_t kind;
    uint32_t width;
    uint32_t height;
    uint32_t tableFlag;
};

// The video settings the video page chooses: seven words, zeroed before the page loads them.
struct ConfigVideoSettings {
    enum Flag : uint32_t {
        kValid = 1,               // a usable adapter and mode were found
        kCompressTextures = 2,    // leaves the device creation unchanged
        kNoFlip = 4,              // immediate presentation in full screen
        kCompatibleRendering = 8  // post effects off
    };

    uint32_t flags;
    uint32_t adapter;
    ConfigVideoMode mode;
    uint32_t multisample;  // 0 none, n (1 to 15) = n + 1 samples
};
static_assert(sizeof(ConfigVideoSettings) == 7 * 4);

// The modes the game runs in, in the order the page lists them: both full-screen kinds at
// 1280 x 960, 1280 x 1024, 1024 x 768, 800 x 600 and 640 x 480, the window at the same sizes
// without 1280 x 1024.
extern const ConfigVideoMode kConfigVideoModes[14];
constexpr size_t kConfigVideoModeCount = 14;
// The smallest texture size an adapter must support.
constexpr uint32_t kConfigMinTextureSize = 1024;
