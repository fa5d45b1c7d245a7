#pragma once
// The twelve blend modes effects draw with: their own table of render states, apart from the
// model blend types. Modes past 11 do not exist.
#include <cstdint>

inline constexpr uint32_t L3DEffectBlendModes = 12;

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

const L3DEffectBlendStates& l3dEffectBlendStates(uint32_t mode);

// Modes whose result depends on the drawing order (0, 2, 3, 4, 5, 9, 10): their sorted
// elements have their triangles ordered by depth, and a part drawn with one sets the
// manager's blend-seen bit.
bool l3dEffectBlendOrderDependent(uint32_t mode);
