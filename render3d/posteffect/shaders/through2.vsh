; A screen rectangle with two texture-coordinate pairs (two textures).
vs_2_0
def c90, 0, 0, 0, 1
dcl_position v0
dcl_color v1
dcl_texcoord0 v2
dcl_texcoord1 v3
mov oPos.xyz, v0
mov oPos.w, c90.w
mov oD0, v1
mov oT0.xy, v2
mov oT1.xy, v3
