ps_2_0
dcl v0
dcl t0.xy
dcl_2d s0
dcl_2d s1
def c1, 0.5, 0.25, 0, 1
texld r0, t0, s0
add r1, t0, c1
texld r1, r1, s1
lrp r2, c0.x, r0, r1
cmp r2, -r2, c1, r2
pow r3, r2.x, c1.y
mul_sat oC0, r3, v0
