#include "effects/effect_blend.h"

#include "effects/L3DEffectData.h"
#include "platform/d3d9/d3d9_enums.h"

namespace {

using namespace platform::d3d9;

constexpr uint32_t kNoTest = 0;

constexpr L3DEffectBlendStates kModes[L3DEffectBlendCount] = {
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
