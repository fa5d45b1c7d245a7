#pragma once
// The material of one draw record: the shader option it is drawn with and its three textures
// (the part's own, then the two the option names).
#include "foundation/rcptr.h"
#include "render3d/L3DShaderOption.h"
#include "render3d/L3DTexture.h"

struct L3D_ANIMINST_MAT {
    mirel::rcptr<L3D_RENDERER_SHADEROPT> option;
    mirel::rcptr<L3DTexture> texture1;
    mirel::rcptr<L3DTexture> texture2;
    mirel::rcptr<L3DTexture> texture3;
};
