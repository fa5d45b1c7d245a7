; The vertical blur pass: c0.x = source height, c0.y = source width, in texels. The
; rectangle puts each pixel on a texel corner; half a texel on both axes centres the taps on
; the texel (along the blur and across it, where the other pass would otherwise mix rows).
vs_2_0
def c90, 0, 0, 0, 1
def c91, 0.5, 0, 0, 0
dcl_position v0
dcl_color v1
dcl_texcoord0 v2
mov oPos.xyz, v0
mov oPos.w, c90.w
mov oD0, v1
rcp r0.x, c0.x
rcp r0.y, c0.y
mov r1.x, r0.y
mov r1.y, r0.x
mad oT0.xy, r1, c91.x, v2
