// The interpreter's shortcuts (direct table, instance and array access, integer arithmetic,
// compares fused with their jump, one-look-up compound assignment) beside the general paths they
// fall back to: delegates, metamethods, class members, errors. Each script runs from source and
// from a compiled stream.
#include "tests/squirrel/script_runner.h"

#include <gtest/gtest.h>

namespace {

using sqtest::ScriptCase;

const ScriptCase kShortcutScripts[] = {
    {"table_reads_own_delegated_get_and_default_delegate",
     R"(local base = { d = "deleg" };
local t = delegate base : { own = 1 };
local m = delegate { _get = function(k) { return "got " + k; } } : {};
print(t.own + " " + t.d + " " + t.len() + " " + m.zzz + " " + t["own"] + " " + t.parent.d);
try { t.nope; } catch (e) print(" / " + e);
try { local k = "nope"; t[k]; } catch (e) print(" / " + e);)",
     "1 deleg 1 got zzz 1 deleg / the index 'nope' does not exist / the index 'nope' does not "
     "exist",
     ""},
    {"table_stores_own_delegated_and_set",
     R"(::log <- "";
local base = { shared = 1 };
local t = delegate base : { own = 1 };
t.own = 2; t.shared = 5;
local s = delegate { _set = function(k, v) { ::log += k + "=" + v; } } : {};
s.x = 3;
print(t.own + " " + base.shared + " " + t.rawin("shared") + " " + ::log + " " + s.rawin("x"));
try { t.nope = 1; } catch (e) print(" / " + e);)",
     "2 5 false x=3 false / the index 'nope' does not exist", ""},
    {"instance_fields_methods_statics_and_metamethods",
     R"(class A {
  f = 1; static s = 10;
  function m() { return "m" + f; }
  function _get(k) { return "get:" + k; }
  function _set(k, v) { ::seen <- k + v; }
}
class B { g = 1; static s = 2; function m() { return g; } }
local a = A(), b = B();
a.f = 2; a.q = 7; a.s = 3;
print(a.f + " " + a.s + " " + a.m() + " " + a.zz + " " + A.s + " " + A.f + " " + ::seen + " " + b.m());
try { b.s = 5; } catch (e) print(" / " + e);
try { b.m = 5; } catch (e) print(" / " + e);
try { b.zz; } catch (e) print(" / " + e);
try { b.zz(); } catch (e) print(" / " + e);)",
     "2 10 m2 get:zz 10 1 s3 1 / the index 's' does not exist / the index 'm' does not exist / the "
     "index 'zz' does not exist / the index 'zz' does not exist",
     ""},
    {"array_elements_in_and_out_of_range",
     R"(local a = [10, 20, 30];
a[1] = 21; a[2.0] = 32;
print(a[0] + " " + a[1] + " " + a[2] + " " + a[1.9] + " " + a.len() + " " + a.top());
try { a[3]; } catch (e) print(" / " + e);
try { a[-1] = 0; } catch (e) print(" / " + e);
try { a["x"] = 0; } catch (e) print(" / " + e);
try { a[-1]; } catch (e) print(" / " + e);)",
     "10 21 32 21 3 32 / the index '3' does not exist / the index '-1' does not exist / the index "
     "'x' does not exist / the index '-1' does not exist",
     ""},
    {"compound_assignment_on_tables_delegates_arrays_and_errors",
     R"(local t = { n = 1, s = "a" };
local base = { d = 10 };
local u = delegate base : {};
t.n += 2; t.n *= 3; t.s += "b"; u.d += 1; t.n -= 0.5;
local a = [1, 2]; a[0]++; ++a[1]; a[1] += 1.5;
print(t.n + " " + t.s + " " + u.d + " " + base.d + " " + u.rawin("d") + " " + a[0] + " " + a[1] + " " + (t.n++) + " " + (++t.n));
local z = { i = 4 };
try { z.i /= 0; } catch (e) print(" / " + e + " " + z.i);
try { z.i %= 0; } catch (e) print(" / " + e + " " + z.i);
try { z.nope += 1; } catch (e) print(" / " + e);
try { z.i += null; } catch (e) print(" / " + e);)",
     "8.5 ab 11 11 false 2 4.5 8.5 10.5 / division by zero 4 / modulo by zero 4 / the index 'nope' "
     "does not exist / arith op + on between 'integer' and 'null'",
     ""},
    {"compound_assignment_through_metamethods",
     R"(class V { x = 0; constructor(n) { x = n; } function _add(o) { return V(x + o); } function _tostring() { return "V" + x; } }
class P { function _get(k) { return 5; } function _set(k, v) { ::got <- k + "=" + v; } }
class H { v = null; }
local h = H(); h.v = V(1); h.v += 2;
local p = P(); p.w += 1;
local t = { v = V(10) }; t.v += 5;
print(h.v.x + " " + ::got + " " + t.v.x);)",
     "3 w=6 15", ""},
    {"integer_overflow_wraps_on_every_path",
     R"(local i = 2147483647; i += 1;
local j = 2147483647; j++;
local t = { n = 2147483647 }; t.n++;
local u = { n = 2147483647 }; u.n += 1;
class C { n = -2147483647 - 1; }
local c = C(); c.n -= 1;
local a = 2147483647, b = -2147483647 - 1;
print(i + " " + j + " " + t.n + " " + u.n + " " + c.n + " " + (a + 1) + " " + (b - 1) + " " + (a * 2) + " " + (-b));)",
     "-2147483648 -2147483648 -2147483648 -2147483648 2147483647 -2147483648 2147483647 -2 "
     "-2147483648",
     ""},
    {"float_and_integer_mixing_in_arithmetic_and_jumps",
     R"(local s = "";
for (local f = 0; f < 2.5; f += 1) s += f + ",";
for (local k = 0.5; k <= 2; k++) s += k + ",";
local n = 0; while (n < 3.5) n += 1.25;
print(s + " " + n + " " + (1 + 0.5) + " " + (3 - 1.5) + " " + (2 < 2.5) + " " + (3 >= 3.0) + " " + (null < 1) + " " + ("b" > "a") + " " + (1 == 1.0));
if (2 > 1.5) print(" if");
try { if (1 < "a") print("no"); } catch (e) print(" / " + e);
try { local x = {}; if (x < 1) print("no"); } catch (e) print(" / " + e);)",
     "0,1,2,0.5,1.5, 3.75 1.5 1.5 true true true true true if / comparsion between '1' and 'a' / "
     "comparsion between 'table' and '1'",
     ""},
    {"error_in_a_shortcut_reports_its_line",
     R"(seterrorhandler(function(e) { local i = getstackinfos(2); print(e + " @" + i.func + ":" + i.line); });
function f(t) {
  local x = 1;
  return t.missing;
}
f({});)",
     "the index 'missing' does not exist @f:4",
     "call failed: the index 'missing' does not exist\n"},
    {"calls_through_own_delegated_class_and_call_members",
     R"(class K { static function s() { return "static"; } function m() { return "m"; } }
class D extends K { function m() { return "D" + K.m(); } }
local base = { dm = function() { return "deleg " + (this == ::tt); } };
::tt <- delegate base : { om = function() { return "own"; } };
local callable = delegate { _call = function(self, a) { return "call " + a; } } : {};
print(::tt.om() + " " + ::tt.dm() + " " + K.s() + " " + D().m() + " " + callable(4) + " " + [1, 2].len() + " " + "ab".len());
try { ::tt.nothing(); } catch (e) print(" / " + e);)",
     "own deleg true static Dm call 4 2 2 / the index 'nothing' does not exist", ""},
};

class ShortcutScripts : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ShortcutScripts, SourceAndStreamGiveTheExpectedOutput) {
    sqtest::ExpectRunsFromSourceAndStream(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Squirrel, ShortcutScripts, ::testing::ValuesIn(kShortcutScripts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
