vs_2_0
dcl_position v0
dcl_blendweight v1
dcl_blendindices v2
def c0, 1, 0, 0, 765.01
mul r0, v2.zyxw, c0.w
mova a0.x, r0.x
m4x3 r1.xyz, v0, c[a0.x + 8]
mad r1.xyz, r1, v1.x, -c0.y
mov r1.w, c0.x
m4x4 oPos, r1, c4
dp4 r2.x, r1, c3
mov oFog, r2.x
nrm r3, v0
mov_sat oD0, r3
mov oT0.xy, v0
