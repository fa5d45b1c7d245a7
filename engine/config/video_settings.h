#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/config/d3d9_settings.h"

// The modes the game runs in, in the order the video page lists them: both full-screen kinds
// at 1280 x 960, 1280 x 1024, 1024 x 768, 800 x 600 and 640 x 480, the window at the same sizes
// without 1280 x 1024.
extern const PEL_D3D9_MODE kConfigVideoModes[14];
constexpr size_t kConfigVideoModeCount = 14;
// The smallest texture size an adapter must support.
constexpr uint32_t kConfigMinTextureSize = 1024;
