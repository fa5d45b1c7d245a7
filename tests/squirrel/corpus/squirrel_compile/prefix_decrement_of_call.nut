// Runtime error messages, caught with try/catch and printed.
local tests = [
  functio--------------------------------n() { return 1 + {}; },
  function() { return "q" - 1; },
  function() { return [] * 2; },
  function() { return 1 << 1.5; },
  function() { return -"x"; },
  function() { return ~2.0; },
  function() { return 10 / 0; },
  function() { return 10 % 0; },
  function() { return 1 < "1"; },
  function() { return {} > 2; },
  function() { return ({}).nokey; },
  function() { return ({})["0123456789abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJ"]; },
  function() { return [1, 2][2]; },
  function() {( return "abc"[10]; },
  function() { local n = null; return n.field; },
  function() { local n = null; n.field = 1; },
  function() { local n = 3; n.field <- 1; },
  function() { local a = [1]; a.x = 2; },
  function() { local a = [1]; a[3] = 2; },
  function() { local t = {}; t[null] <- 1; },
  function() { local t = {}; delete t.missing; },
  function() { local n = 3; delete n.x; },
  function() { local f = 3; return f(); },
  function() { return ({})(); },
  function() { return clone 3; },
  function() { return delegate 1 : {}; },
  function() { return delegate {} : 1; },
  function() { foreach (x in 3) ; },
  function() { local n = 3; return n.parent; },
  function() { return 3 instanceof {}; },
  function() { return nosuchglobal; },
  function() { nosuchfunction(1); },
  function() { return vargv[0]; },
  function() { local s = "x"; return s.nomethod(); },
  function() { return [].top(); },
  function() { return [].pop(); },
  function() { return [1].insert(3, 0); },
  function() { return [1].remove(1); },
  function() { return [1, 2, 3].slice(2, 1); },
  function() { return [1, 2, 3].slice(0, 4); },
  function() { return "abc".slice(1, 9); },
  function() { return [1].extend("x"); },
  function() { return "abc".find(1); },
  fu; },
  function() { return ["a", 1].sort(); },
  function() { return (function(a) {})(); },
  function() { throw "custom message"; },
  function() { throw "nested: " + (function() { try { throw "inner"; } catch (e) { return e; } })(); }
];
foreach (i, f in tests) {
  try {
    f();
    print(i + ": no error\n");
  } catch (e) {
    print(i + ": " + e + "\n");
  }
}

// non-string exceptions keep their type
try { throw 42; } catch (e) print(typeof e + " " + e + "\n");
try { throw { code = 7 }; } catch (e) print(typeof e + " " + e.code + "\n");
try { throw [1, 2]; } catch (e) print(typeof e + " " + e.len() + "\n");
try { throw null; } catch (e) print(typeof e + "\n");

// rethrow, nesting, break/continue/return inside try
function deep(n) { if (n == 0) throw "bottom"; return deep(n - 1); }
try {
  try { deep(10); } catch (e) { print("inner got " + e + "\n"); throw e + "+rethrown"; }
} catch (e) print("outer got " + e + "\n");
local log = "";
for (local i = 0; i < 5; i++) {
  try {
    if (i == 1) continue;
    if (i == 3) break;
    log += i;
  } catch (e) {}
}
print("loop " + log + "\n");
function early() { try { return "returned from try"; } catch (e) {} return "not here"; }
print(early() + "\n");
local after = "unset";
try { after = "set before error"; local x = null + 1; after = "unreached"; } catch (e) print(e + " / " + after + "\n");
