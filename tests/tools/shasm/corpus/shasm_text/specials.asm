vs_2_0
def c0, nan, -inf, 1e-45, 3.4e38
mov oT0, c[a0.y + 3].wzyx
