#pragma once
// Four-bone skinning in vs_2_0, the way the renderer skins its meshes: bone indices in a
// D3DCOLOR, matrices reached through a0, lit by one directional light and fogged.

#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/d3d9_types.h"

namespace d3d9shot {

// FVF 0x815E, the vertex the shader reads: position, four blend weights, bone indices as a
// D3DCOLOR (the bone of the first weight in its lowest byte, blue, then green, red and alpha:
// the shader reads the colour as .zyxw), normal, diffuse, uv.
struct SkinnedVertex {
    float x, y, z;
    float weights[4];
    platform::d3d9::D3DCOLOR indices;
    float nx, ny, nz;
    platform::d3d9::D3DCOLOR diffuse;
    float u, v;
};
static_assert(sizeof(SkinnedVertex) == 56);
inline constexpr platform::d3d9::DWORD kSkinnedFvf =
    platform::d3d9::D3DFVF_XYZB5 | platform::d3d9::D3DFVF_LASTBETA_D3DCOLOR |
    platform::d3d9::D3DFVF_NORMAL | platform::d3d9::D3DFVF_DIFFUSE | platform::d3d9::D3DFVF_TEX1;

// c0 (1, 0, 0, 765.01): the index scale; c1 light direction; c2 ambient; c3 (fog1, fog2);
// c4..c7 the transposed view-projection; bone n in c8 + 3n as three rows.
inline constexpr const char* kSkinningShader = R"(vs_2_0
dcl_position v0
dcl_blendweight v1
dcl_blendindices v2
dcl_normal v3
dcl_texcoord v4
def c0, 1, 0, 0, 765.01
mul r0, v2.zyxw, c0.w
mova a0.x, r0.x
m4x3 r1.xyz, v0, c[a0.x + 8]
m3x3 r2.xyz, v3, c[a0.x + 8]
mul r1.xyz, r1, v1.x
mul r2.xyz, r2, v1.x
mova a0.x, r0.y
m4x3 r3.xyz, v0, c[a0.x + 8]
m3x3 r4.xyz, v3, c[a0.x + 8]
mad r1.xyz, r3, v1.y, r1
mad r2.xyz, r4, v1.y, r2
mova a0.x, r0.z
m4x3 r3.xyz, v0, c[a0.x + 8]
m3x3 r4.xyz, v3, c[a0.x + 8]
mad r1.xyz, r3, v1.z, r1
mad r2.xyz, r4, v1.z, r2
mova a0.x, r0.w
m4x3 r3.xyz, v0, c[a0.x + 8]
m3x3 r4.xyz, v3, c[a0.x + 8]
mad r1.xyz, r3, v1.w, r1
mad r2.xyz, r4, v1.w, r2
mov r1.w, c0.x
m4x4 r5, r1, c4
mov oPos, r5
mad oFog, r5.w, c3.x, c3.y
nrm r6.xyz, r2
dp3 r7.x, r6, c1
max r7.x, r7.x, c0.y
add oD0, r7.x, c2
mov oT0.xy, v4
)";

}  // namespace d3d9shot
