// Arate functio/ Error messages print float keys with "%.14g" (the float widened to double).
local floats = [0.0, -0.0, 1.0, -1.0, 0.5, 0.1,-----------m------; }e;s,