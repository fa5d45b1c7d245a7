#include "render3d/blend_types.h"

#include <array>

#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DDevice.h"

namespace {

using namespace platform::d3d9;

constexpr uint32_t kFalse = 0;
constexpr uint32_t kTrue = 1;

using Rows = std::span<const L3DRenderStateRow>;

// Blended types write no depth, blend colour and keep the target's alpha by a separate pair.
#define BLENDED(src, dest, srcAlpha, destAlpha)                                           \
    {D3DRS_ZWRITEENABLE, kFalse}, {D3DRS_ALPHABLENDENABLE, kTrue}, {D3DRS_SRCBLEND, src}, \
        {D3DRS_DESTBLEND, dest}, {D3DRS_SEPARATEALPHABLENDENABLE, kTrue},                 \
        {D3DRS_SRCBLENDALPHA, srcAlpha}, {                                                \
        D3DRS_DESTBLENDALPHA, destAlpha                                                   \
    }
#define ALPHA_TEST(func, ref) \
    {D3DRS_ALPHATESTENABLE, kTrue}, {D3DRS_ALPHAFUNC, func}, { D3DRS_ALPHAREF, ref }

constexpr L3DRenderStateRow kType1[] = {
    BLENDED(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_INVSRCALPHA),
    ALPHA_TEST(D3DCMP_GREATER, 0)};
constexpr L3DRenderStateRow kType2[] = {
    BLENDED(D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ONE),
    ALPHA_TEST(D3DCMP_GREATER, 0)};
constexpr L3DRenderStateRow kType3[] = {
    BLENDED(D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_ONE)};
constexpr L3DRenderStateRow kType4[] = {
    BLENDED(D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLEND_ONE)};
constexpr L3DRenderStateRow kType5[] = {
    BLENDED(D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_ONE)};
constexpr L3DRenderStateRow kType6[] = {
    BLENDED(D3DBLEND_DESTCOLOR, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ONE)};
// Opaque cut-outs: depth writes stay on and only fully opaque texels pass.
constexpr L3DRenderStateRow kType7[] = {
    {D3DRS_ALPHABLENDENABLE, kTrue},      {D3DRS_SRCBLEND, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO},     {D3DRS_SEPARATEALPHABLENDENABLE, kTrue},
    {D3DRS_SRCBLENDALPHA, D3DBLEND_ZERO}, {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO},
    ALPHA_TEST(D3DCMP_GREATEREQUAL, 255)};
constexpr L3DRenderStateRow kType8[] = {{D3DRS_ALPHABLENDENABLE, kTrue},
                                        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                                        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                                        {D3DRS_SEPARATEALPHABLENDENABLE, kTrue},
                                        {D3DRS_SRCBLENDALPHA, D3DBLEND_ZERO},
                                        {D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA},
                                        ALPHA_TEST(D3DCMP_GREATER, 0)};
constexpr L3DRenderStateRow kType9[] = {
    BLENDED(D3DBLEND_ONE, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ONE)};
constexpr L3DRenderStateRow kType10[] = {
    BLENDED(D3DBLEND_DESTCOLOR, D3DBLEND_SRCALPHA, D3DBLEND_ZERO, D3DBLEND_ONE)};
constexpr L3DRenderStateRow kType11[] = {
    BLENDED(D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLEND_ONE)};
constexpr L3DRenderStateRow kType13[] = {{D3DRS_ZWRITEENABLE, kFalse},
                                         {D3DRS_ALPHABLENDENABLE, kTrue},
                                         {D3DRS_SRCBLEND, D3DBLEND_ONE},
                                         {D3DRS_DESTBLEND, D3DBLEND_ONE},
                                         ALPHA_TEST(D3DCMP_GREATER, 0)};

#undef BLENDED
#undef ALPHA_TEST

const std::array<Rows, 14> kTypes = {Rows{},       Rows{kType1}, Rows{kType2},  Rows{kType3},
                                     Rows{kType4}, Rows{kType5}, Rows{kType6},  Rows{kType7},
                                     Rows{kType8}, Rows{kType9}, Rows{kType10}, Rows{kType11},
                                     Rows{},       Rows{kType13}};

}  // namespace

std::span<const L3DRenderStateRow> l3dBlendTypeStates(uint32_t blendType) {
    return blendType < kTypes.size() ? kTypes[blendType] : Rows{};
}

bool l3dBlendTypeReadsFrameBuffer(uint32_t blendType) {
    switch (blendType) {
    case 1:
    case 3:
    case 4:
    case 5:
    case 6:
    case 10:
    case 11:
        return true;
    default:
        return false;
    }
}

bool l3dBlendTypeZeroesAlpha(uint32_t blendType) {
    switch (blendType) {
    case 0:
    case 4:
    case 6:
    case 9:
    case 11:
        return true;
    default:
        return false;
    }
}

void l3dApplyBlendType(L3DDevice& device, uint32_t blendType) {
    for (const L3DRenderStateRow& row : l3dBlendTypeStates(blendType))
        device.SetStateRender(row.state, row.value);
}
