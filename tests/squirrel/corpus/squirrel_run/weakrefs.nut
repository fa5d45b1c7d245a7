local o = { v = 1 }, t = { w = o.weakref() }, a = [o.weakref()], k = "w";
local r = typeof t.w + typeof t[k] + typeof t.rawget("w") + typeof a[0] + t.w.v + a[0].v;
foreach (key, v in t) r += typeof v;
foreach (v in a) r += typeof v;
local c = clone t;
o = null;
r += typeof t.w + ("w" in t) + typeof c.w + typeof a[0];
t.w = 5; a[0] = 6; delete t.w;
print(r);
