#include "effects/effect_blend.h"

#include "platform/d3d9/d3d9_enums.h"

namespace {

using namespace platform::d3d9;

constexpr uint32_t kNoTest = 0;

constexpr L3DEffectBlendStates kModes[L3DEffectBlendModes] = {
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_INVSRCALPHA, D3DCMP_GREATER,
     0, false},
    {D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ONE, D3DCMP_GREATER, 0, false},
    {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_ONE, kNoTest, 0, false},
    {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLEND_ONE, kNoTest, 0, false},
    {D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_ONE, kNoTest, 0, false},
    {D3DBLEND_DESTCOLOR, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ONE, kNoTest, 0, false},
    // Opaque cut-outs: only fully opaque texels pass, and they write depth.
    {D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLEND_ZERO, D3DCMP_GREATEREQUAL, 255, true},
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_INVSRCALPHA, D3DCMP_GREATER,
     0, true},
    {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ONE, kNoTest, 0, false},
    {D3DBLEND_DESTCOLOR, D3DBLEND_SRCALPHA, D3DBLEND_ZERO, D3DBLEND_ONE, kNoTest, 0, false},
    {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLEND_ONE, kNoTest, 0, false},
    {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLEND_ONE, D3DBLEND_ONE, kNoTest, 0, false},
};

}  // namespace

const L3DEffectBlendStates& l3dEffectBlendStates(uint32_t mode) { return kModes[mode]; }

bool l3dEffectBlendOrderDependent(uint32_t mode) {
    constexpr uint32_t kOrderDependent = 1u << 0 | 1u << 2 | 1u << 3 | 1u << 4 | 1u << 5 |
                                         1u << 9 | 1u << 10;
    return mode < 32 && (kOrderDependent >> mode & 1u) != 0;
}
