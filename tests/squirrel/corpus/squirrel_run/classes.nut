class A </ tag = 1 /> { x = 1; list = []; static s = 2; constructor(v = 3) { x = v; } }
class B extends A { y = null; }
local a = A(), b = B(5);
a.x = 4; b.list.append(a);
local c = clone b;
print(a.x + " " + b.x + " " + (b instanceof A) + " " + typeof c + " " + A.getattributes(null).tag);
foreach (k, v in B) print(k);
try { a.z <- 1; } catch (e) print(e);
try { A.z <- 1; } catch (e) print(e);
try { delete a.x; } catch (e) print(e);
try { a < b; } catch (e) print(e);
try { a + b; } catch (e) print(e);
local t = delegate { _add = 1, _get = null, _cmp = "x" } : {};
try { t + 1; } catch (e) print(e);
try { t.q; } catch (e) print(e);
try { t < t; t < clone t; } catch (e) print(e);
