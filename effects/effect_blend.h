#pragma once
// The twelve blend modes effects draw with: their own table of render states, apart from the
// model blend types. Modes past 11 do not exist.
#include <cstdint>

// The render states of one blend mode over the device's reset defaults.
struct L3DEffectBlendStates {
    uint32_t srcBlend;
    uint32_t destBlend;
    uint32_t srcBlendAlpha;
    uint32_t destBlendAlpha;
    uint32_t alphaFunc;  // 0: no alpha test
    uint32_t alphaRef;
    bool depthWrite;  // false switches depth writes off; true leaves the default
};

// The states of a mode below L3DEffectBlendCount.
const L3DEffectBlendStates& l3dEffectBlendStates(uint32_t mode);
