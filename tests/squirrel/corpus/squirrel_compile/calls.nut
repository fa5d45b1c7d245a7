function add(a, b = 2) { return a + b; }
local t = { x = 1, [2] = "two" };
foreach (k, v in t) print(k + "=" + v + "\n");
print(add(1) + add(1, 1) + "\n");
