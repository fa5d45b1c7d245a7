; Quarter-size sampling: c0.xy = source size in texels. Each destination pixel lands between
; the first two texels of its 4 x 4 block, so four bilinear taps 2 texels apart cover it.
vs_2_0
def c90, 0, 0, 0, 1
def c91, 2, 0, 0, 0
dcl_position v0
dcl_color v1
dcl_texcoord0 v2
mov oPos.xyz, v0
mov oPos.w, c90.w
mov oD0, v1
rcp r0.x, c0.x
rcp r0.y, c0.y
mul r0.xy, r0, c91.x
mov r1.xy, v2
mov oT0.xy, r1
add oT1.x, r1.x, r0.x
mov oT1.y, r1.y
mov oT2.x, r1.x
add oT2.y, r1.y, r0.y
add oT3.xy, r1, r0
