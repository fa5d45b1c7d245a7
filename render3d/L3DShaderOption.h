#pragma once
// The shader-option records a model's parts carry: which of the renderer's shader kinds draws
// the part and with what parameters. The model loader makes one through the handle's Create
// for the kind it reads and fills every field; name references point into the model data's
// string block, so the records own nothing.
#include <cstdint>

#include "render3d/text/text_token.h"

// A name inside the model data's string block, or {null, 0}.
using L3DNameRef = L3D_NAMEREF;

// The shader kinds; 6 to 9 are the renderer's own shaders and have no option class.
enum L3DShaderKind : uint32_t {
    L3DShaderNormal = 0,
    L3DShaderHighlight = 1,
    L3DShaderFurlight = 2,
    L3DShaderTexlight = 3,
    L3DShaderTexhighlight = 4,
    L3DShaderTexfurlight = 5,
    L3DShaderEdge = 6,
    L3DShaderLine = 7,
    L3DShaderLinecolor = 8,
    L3DShaderNolight = 9,
    L3DShaderMap3 = 10,
};

struct L3D_RENDERER_SHADEROPT {
    L3DNameRef materialName;     // the name the option is chosen by
    L3DNameRef alternativeName;  // the alternative material name
    uint32_t shaderType = 0;
    uint32_t blendType = 0;  // 0..13
    float edgeWidth = 0.0f;  // 0: no outline
    float edgeColor[4] = {};
    uint32_t addressFlag = 0;  // 1: wrap texture addressing

    virtual ~L3D_RENDERER_SHADEROPT() = default;
};

struct L3D_RENDERER_SHADEROPT_NORMAL : L3D_RENDERER_SHADEROPT {
    float color1[4] = {};
    float color2[4] = {};
};

struct L3D_RENDERER_SHADEROPT_HIGHLIGHT : L3D_RENDERER_SHADEROPT {
    float color1[4] = {};
    float color2[4] = {};
    L3DNameRef textureName;
    float power = 0.0f;
};

struct L3D_RENDERER_SHADEROPT_FURLIGHT : L3D_RENDERER_SHADEROPT {
    float color1[4] = {};
    float color2[4] = {};
    L3DNameRef textureName;
    float power = 0.0f;
    float furVector[3] = {};
};

struct L3D_RENDERER_SHADEROPT_TEXLIGHT : L3D_RENDERER_SHADEROPT {
    L3DNameRef textureName1;
    float factor1 = 0.0f;
};

struct L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT : L3D_RENDERER_SHADEROPT {
    L3DNameRef textureName1;
    float factor1 = 0.0f;
    L3DNameRef textureName2;
    float factor2 = 0.0f;
};

struct L3D_RENDERER_SHADEROPT_TEXFURLIGHT : L3D_RENDERER_SHADEROPT {
    L3DNameRef textureName1;
    float factor1 = 0.0f;
    L3DNameRef textureName2;
    float factor2 = 0.0f;
    float furVector[3] = {};
};

struct L3D_RENDERER_SHADEROPT_MAP3 : L3D_RENDERER_SHADEROPT {
    float color1[4] = {};
    float color2[4] = {};
    L3DNameRef textureName1;
    L3DNameRef textureName2;
};
