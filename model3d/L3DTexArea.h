#pragma once
#include "model3d/model_pool.h"

// A rectangle of a part's texture that texture-set events address by name.
struct L3D_OBJDATA_TEXAREA {
    L3D_NAMEREF areaName;
    L3D_NAMEREF partName;
    L3D_NAMEREF materialName;
    L3D_NAMEREF textureName;
    float u = 0.0f;
    float v = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};
