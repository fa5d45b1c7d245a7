#pragma once
// Which pass draws a shader option on this device: an option whose own pass needs more texture
// stages (or pixel shaders, or three UV sets) than there are falls back to a simpler pass.
#include <cstdint>

#include "render3d/L3DShaderOption.h"

struct L3DPassChoice {
    L3DShaderKind pass;  // the pass, named by its vertex-shader kind
    bool whiteColours;   // the NORMAL fall-back of a textured-light type draws with (1, 1, 1, 1)
};

struct L3DPassCaps {
    uint32_t maxSimultaneousTextures;
    bool pixelShaders;  // pixel shaders 1.1 or higher
};

// Fatal for a shader type without a pass.
L3DPassChoice l3dSelectShaderPass(uint32_t shaderType, const L3DPassCaps& caps,
                                  bool threeTextureSets);
