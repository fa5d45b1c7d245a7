#pragma once
// The material of one draw record: the shader option it is drawn with and its three textures
// (the part's own, then the two the option names).
#include <cstdint>
#include <functional>

#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "render3d/L3DShaderOption.h"
#include "render3d/L3DTexture.h"

// The texture callback of a part's loading context: the texture of a name, with flag 1 for
// the part's own texture and 0 for those an option names. Empty: the part loads no textures.
using L3DTextureCallback = std::function<mirel::rcptr<L3DTexture>(const char* name, uint32_t flag)>;

struct L3D_ANIMINST_MAT {
    mirel::rcptr<L3D_RENDERER_SHADEROPT> option;
    mirel::rcptr<L3DTexture> texture1;
    mirel::rcptr<L3DTexture> texture2;
    mirel::rcptr<L3DTexture> texture3;

    // Takes the first option whose material name equals `name`, or whose alternative name (when
    // it has one) equals `alternativeName` (ASCII letters without case), and loads the part's
    // texture and the option's through the callback. False when no option matches; an option
    // of a shader type without a pass is fatal.
    static bool Create(L3D_ANIMINST_MAT& material, mirel::DList<L3D_RENDERER_SHADEROPT>& options,
                       const char* name, const char* alternativeName,
                       const L3DTextureCallback& textures, const char* partTexture);
};
