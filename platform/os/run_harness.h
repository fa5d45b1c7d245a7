#pragma once
// The run harness of tests and CI, outside the game, read from the environment:
// TESSERA_RUN_FRAMES=N ends the run normally after N frames in all; TESSERA_CAPTURE_DIR writes
// frame captures of every engine run into that folder, every (TESSERA_CAPTURE_SPAN + 1)-th
// frame.
#include <cstdint>
#include <string>

namespace platform::os {

struct RunHarnessSettings {
    uint32_t frames = 0;           // 0: the run is not cut short
    std::string captureDirectory;  // UTF-8; empty: no captures
    uint32_t captureSpan = 0;

    bool active() const { return frames > 0 || !captureDirectory.empty(); }
};

// Unset, empty or malformed numbers read as 0.
RunHarnessSettings runHarnessSettings();

}  // namespace platform::os
