#pragma once
// What a post effect takes from the system it serves: the device, the display mode of the
// video settings, the renderer's textures and its camera, and models by name for the water
// surfaces. The system implements it (model3d/object); tests bring their own.
#include <cstdint>

#include "foundation/rcptr.h"
#include "model3d/L3DObjectData.h"
#include "render3d/L3DTexture.h"

class L3DDevice;
class L3DRenderer;

struct PostEffectMode {
    uint32_t width = 0;  // of the display mode of the video settings
    uint32_t height = 0;
    bool compatibleRendering = false;  // the video settings turn the post effects off
};

class PostEffectHost {
public:
    virtual ~PostEffectHost() = default;
    virtual L3DDevice& device() = 0;
    virtual PostEffectMode mode() const = 0;
    // The texture of this name (UTF-16, from the default pack) through the renderer, loaded on
    // first use; empty when it cannot be had.
    virtual mirel::rcptr<L3DTexture> loadTexture(const char16_t* name) = 0;
    // The renderer whose camera the water surfaces are drawn with; null when there is none.
    virtual const L3DRenderer* renderer() const = 0;
    // The model "<name resolved against the directory>.dgo" of the default pack; empty when
    // there is none.
    virtual mirel::rcptr<L3DObjectData> loadModel(const char16_t* directory,
                                                  const char16_t* name) = 0;
};
