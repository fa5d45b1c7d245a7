#pragma once
// The shader set of a post effect: the 25 programs of "sys/posteffect/".
#include "foundation/rcptr.h"
#include "render3d/L3DShaders.h"

class L3DDevice;

struct POSTEFFECT_SHADERS {
    static constexpr uint32_t GaussLevels = 8;

    L3DDevice* device = nullptr;
    mirel::rcptr<L3DVShader> through1Vs;
    mirel::rcptr<L3DVShader> through2Vs;
    mirel::rcptr<L3DVShader> down4Vs;
    mirel::rcptr<L3DPShader> down4Ps;
    mirel::rcptr<L3DPShader> mulDown4Ps;
    mirel::rcptr<L3DPShader> brightDown4Ps;
    mirel::rcptr<L3DVShader> gaussXVs;
    mirel::rcptr<L3DVShader> gaussYVs;
    mirel::rcptr<L3DPShader> gaussPs[GaussLevels];
    mirel::rcptr<L3DPShader> overlayColorPs;
    mirel::rcptr<L3DPShader> softlightColorPs;
    mirel::rcptr<L3DPShader> hardlightColorPs;
    mirel::rcptr<L3DPShader> diffusePs;
    mirel::rcptr<L3DPShader> zoomblurPs;
    mirel::rcptr<L3DPShader> shimmerPs;
    mirel::rcptr<L3DVShader> waterVs;
    mirel::rcptr<L3DPShader> waterPs;
    mirel::rcptr<L3DPShader> alphaDown4Ps;

    // Loads every program from the default pack in the listed order; false at the first one
    // the device refuses (the handles loaded so far stay until release).
    bool load(L3DDevice& device);
    void release();
};
