#pragma once
#include <cstdint>

#include "framework/input/input_settings.h"

// The chosen video mode, as the video settings page stores it.
struct SystemVideoSettings {
    static constexpr uint32_t FlagValid = 1;
    static constexpr uint32_t FlagCompressTextures = 2;
    static constexpr uint32_t FlagNoFlip = 4;  // immediate presentation in full screen
    static constexpr uint32_t FlagCompatible = 8;

    uint32_t flags = 0;
    uint32_t adapter = 0;
    uint32_t displayKind = 0;  // 0 full screen 32-bit, 1 full screen 16-bit, 2 window
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t modeFlag = 0;
    uint32_t multisample = 0;  // 0 none, n = n + 1 samples
};

// What System starts the device and the input from: the video and controller settings that
// the settings dialog chose.
struct SystemSettings {
    SystemVideoSettings video;
    PEL_INPUT_SETTINGS input{};
};
