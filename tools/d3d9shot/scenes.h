#pragma once
// Test scenes drawn through the software device the way the runtime draws: sprite-style
// pretransformed quads, the blend pairs, and fog over clip-space geometry.
#include "platform/d3d9/device.h"

namespace d3d9shot {

constexpr unsigned kSceneWidth = 256;
constexpr unsigned kSceneHeight = 192;

struct Scene {
    const char* name;
    void (*draw)(platform::d3d9::IDirect3DDevice9& device);
};

extern const Scene kScenes[3];

}  // namespace d3d9shot
