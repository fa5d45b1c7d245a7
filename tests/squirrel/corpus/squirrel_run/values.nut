local t = { a = 1, [2] = "two", [3.5] = null };
local u = delegate t : { b = [1, 2.5, "x", null, true] };
local s = "h\x00e9llo" + 1 + 2.5 + true + null;
print(s.len() + " " + s.slice(1, -1) + " " + s.find("l") + " " + s.toupper());
print(u.a + u.b.len() + ("a" in u) + u.rawin("a") + typeof u + (clone u.b).top());
try { t.missing; } catch (e) { print(e); }
try { 1 / 0; } catch (e) { print(e); }
u.b.sort(); u.b.reverse(); delete t.a; t.rawdelete(2);
local x = 5; x += 3; x <<= 2; x = x % 7 - -x;
foreach (k, v in t) print(k + "=" + v);
foreach (i, c in "abc") print(i + c);
print((-2147483647 - 1) / -1 + " " + (1 << 33) + " " + (0.0 / 0.0 == 0.0 / 0.0));
