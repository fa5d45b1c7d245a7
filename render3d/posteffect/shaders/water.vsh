; A water surface: c0..c3 the view-projection (transposed), c4..c7 the same followed by the
; mapping of projected positions to back-buffer texture coordinates. The scene copy is read at
; oT0 (divided by w in the pixel shader); oT1 and oT2 are the two noise coordinates.
vs_2_0
dcl_position v0
dcl_color v1
dcl_texcoord0 v2
dcl_texcoord1 v3
m4x4 oPos, v0, c0
m4x4 oT0, v0, c4
mov oD0, v1
mov oT1.xy, v2
mov oT2.xy, v3
