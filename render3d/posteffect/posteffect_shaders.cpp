#include "render3d/posteffect/posteffect_shaders.h"

#include <cstdio>

#include "render3d/L3DDevice.h"

namespace {

bool loadVertex(L3DDevice& device, const char* name, mirel::rcptr<L3DVShader>& out) {
    char path[64];
    std::snprintf(path, sizeof path, "sys/posteffect/%s.vsh", name);
    out = device.CreateVShaderFromPack(path);
    return static_cast<bool>(out);
}

bool loadPixel(L3DDevice& device, const char* name, mirel::rcptr<L3DPShader>& out) {
    char path[64];
    std::snprintf(path, sizeof path, "sys/posteffect/%s.psh", name);
    out = device.CreatePShaderFromPack(path);
    return static_cast<bool>(out);
}

}  // namespace

bool POSTEFFECT_SHADERS::load(L3DDevice& target) {
    device = &target;
    if (!loadVertex(target, "through1", through1Vs) ||
        !loadVertex(target, "through2", through2Vs) || !loadVertex(target, "down4", down4Vs) ||
        !loadPixel(target, "down4", down4Ps) || !loadPixel(target, "mulDown4", mulDown4Ps) ||
        !loadPixel(target, "brightDown4", brightDown4Ps) ||
        !loadVertex(target, "gaussX", gaussXVs) || !loadVertex(target, "gaussY", gaussYVs))
        return false;
    for (uint32_t level = 0; level < GaussLevels; ++level) {
        char name[16];
        std::snprintf(name, sizeof name, "gauss%u", level);
        if (!loadPixel(target, name, gaussPs[level])) return false;
    }
    return loadPixel(target, "overlayColor", overlayColorPs) &&
           loadPixel(target, "softlightColor", softlightColorPs) &&
           loadPixel(target, "hardlightColor", hardlightColorPs) &&
           loadPixel(target, "diffuse", diffusePs) && loadPixel(target, "zoomblur", zoomblurPs) &&
           loadPixel(target, "shimmer", shimmerPs) && loadVertex(target, "water", waterVs) &&
           loadPixel(target, "water", waterPs) && loadPixel(target, "alphaDown4", alphaDown4Ps);
}

void POSTEFFECT_SHADERS::release() { *this = POSTEFFECT_SHADERS{}; }
