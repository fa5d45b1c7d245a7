; A screen rectangle: clip-space position, the vertex colour and one texture-coordinate pair.
vs_2_0
def c90, 0, 0, 0, 1
dcl_position v0
dcl_color v1
dcl_texcoord0 v2
mov oPos.xyz, v0
mov oPos.w, c90.w
mov oD0, v1
mov oT0.xy, v2
