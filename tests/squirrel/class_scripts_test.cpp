// Classes, instances and metamethods as scripts see them, each run from source and from a
// compiled stream.
#include "tests/squirrel/script_runner.h"

#include <gtest/gtest.h>

namespace {

using sqtest::ScriptCase;

const ScriptCase kClassScripts[] = {
    {"field_defaults_are_shared_objects",
     R"(class A { list = []; n = 0; } local a = A(), b = A(); a.list.append(1); a.n = 5; print(b.list.len() + " " + b.n);)",
     "1 0", ""},
    {"statics_cannot_be_set_through_an_instance",
     R"(class S { static k = 1; } local s = S(); try { s.k = 2; } catch (e) print(e); print(" " + S.k + " " + s.k);)",
     "the index 'k' does not exist 1 1", ""},
    {"instances_reject_new_slots", R"(class E {} try { E().x <- 1; } catch (e) print(e);)",
     "class instances do not support the new slot operator", ""},
    {"first_instance_locks_the_class_and_its_bases",
     R"(class B {} class D extends B {} B.before <- 1; D(); try { B.x <- 1; } catch (e) print(e); try { D.y <- 1; } catch (e) print(" / " + e);)",
     "trying to modify a class that has already been instantiated / trying to modify a class that "
     "has already been instantiated",
     ""},
    {"later_base_members_are_not_inherited",
     R"(class B { a = 1; } class D extends B {} B.late <- 1; print(("late" in B) + " " + ("late" in D) + " " + ("a" in D) + " " + (D.parent == B));)",
     "true false true true", ""},
    {"class_without_constructor_ignores_arguments",
     R"(class E {} local e = E(1, 2, 3); print(typeof e + " " + (e instanceof E));)",
     "instance true", ""},
    {"constructor_arguments_are_checked",
     R"(class C { constructor(a) {} } try { C(); } catch (e) print(e);)",
     "wrong number of parameters", ""},
    {"throwing_get_reports_the_index",
     R"(class G { function _get(k) { throw "boom"; } } try { G().x; } catch (e) print(e);)",
     "the index 'x' does not exist", ""},
    {"arith_metamethod_error_gives_the_generic_text",
     R"(class M { function _add(o) { throw "inner"; } } try { M() + 1; } catch (e) print(e); try { ({}) * 2; } catch (e) print(" / " + e);)",
     "arith op + on between 'instance' and 'integer' / arith op * on between 'table' and 'integer'",
     ""},
    {"in_does_not_call_get",
     R"(class G { function _get(k) { return 1; } } local g = G(); print(("x" in g) + " " + g.x + " " + ("x" in (delegate { _get = function(k) { return 2; } } : {}))); )",
     "false 1 false", ""},
    {"cmp_only_for_same_types_and_never_for_equality",
     R"(class C { v = 0; constructor(x) { v = x; } function _cmp(o) { return v - o.v; } }
local a = C(1), b = C(1), c = C(3);
print((a <= b) + " " + (a == b) + " " + (c > a) + " " + (a < c) + " ");
try { a < 1; } catch (e) print(e);
class F { function _cmp(o) { return 0.5; } }
try { F() < F(); } catch (e) print(" / " + e);)",
     "true false true true comparsion between 'instance' and '1' / comparsion between 'instance' "
     "and 'instance'",
     ""},
    {"typeof_may_return_a_non_string",
     R"(class T { function _typeof() { return 42; } } local r = typeof T(); print(type(r) + " " + r + " " + type(T()));)",
     "integer 42 instance", ""},
    {"newmember_sees_declarations_only",
     R"(::nm <- "";
class N { function _newmember(k, v, a) { ::nm += k + (a == null ? "" : a.tag) + " "; } }
class P extends N { x = 1; </ tag = 7 /> function f() {} }
N.later <- 2;
print(::nm + ("x" in P) + " " + ("later" in N));)",
     "x f7 false true", ""},
    {"inherited_gets_the_new_class_and_attributes",
     R"(class H { function _inherited(attrs) { ::inh <- typeof this + ":" + attrs.k; } }
class I extends H </ k = 5 /> {}
print(::inh);)",
     "class:5", ""},
    {"inherited_errors_and_results_are_ignored",
     R"(class H { function _inherited(a) { ::log <- "inh " + (a == null ? "null" : a.k); throw "no"; } }
class I extends H </ k = 5 /> { y = 2; }
print(::log + " " + I.y);
class J extends H {}
print(" " + ::log);)",
     "inh 5 2 inh null", ""},
    {"newmember_that_fails_adds_the_member_as_declared",
     R"(::seen <- "";
class N { function _newmember(i, v, a) { ::seen += i + " "; rawset(i, v); } }
class P extends N { </ t = 1 /> x = 1; function f() { return 3; } static s = 4; }
print(::seen + P.x + " " + P().f() + " " + P.s + " " + P.getattributes("x").t);)",
     "x f s 1 3 4 1", ""},
    {"newmember_declared_in_the_body_sees_later_members",
     R"(class Q { a = 1; function _newmember(i, v, at) { ::q <- i; } b = 2; }
print(("a" in Q) + " " + ("b" in Q) + " " + ::q);)",
     "true false b", ""},
    {"parent_is_a_keyword",
     R"(class Q {} class R extends Q {} print((R.parent == Q) + " " + (Q.parent == null));)",
     "true true", ""},
    {"instance_operator_metamethods",
     R"(class V {
  a = null;
  constructor(x) { a = x; }
  function _sub(o) { return V(a - o.a); }
  function _mul(o) { return V(a * o); }
  function _div(o) { return V(a / o); }
  function _modulo(o) { return V(a % o); }
  function _unm() { return V(-a); }
  function _call(self, x) { return a + x; }
  function _nexti(prev) { return prev == null ? "a" : null; }
  function _cloned(orig) { a = orig.a * 100; }
}
local p = V(7), q = V(2);
print((p - q).a + " " + (p * 3).a + " " + (p / 2).a + " " + (p % 4).a + " " + (-p).a + " " + p(5));
foreach (k, v in p) print(" " + k + "=" + v);
print(" " + (clone p).a + " " + p.a);)",
     "5 21 3 3 -7 12 a=7 700 7", ""},
    {"instance_slot_metamethods",
     R"(class W {
  function _set(k, v) { ::w <- "set " + k + "=" + v; }
  function _newslot(k, v) { ::w += "; newslot " + k; }
  function _delslot(k) { ::w += "; del " + k; }
}
local w = W(); w.x = 1; w.y <- 2; delete w.z; print(::w);
try { delete W.instance().q; } catch (e) print(e);
class Z {} try { delete Z().q; } catch (e) print(" / " + e);)",
     "set x=1; newslot y; del z / cannot delete a slot from instance", ""},
    {"tostring_that_is_not_a_string_falls_back",
     R"(class X { function _tostring() { return 5; } } class Y { function _tostring() { throw "no"; } }
print(("" + X()).slice(0, 11) + " " + Y().tostring().slice(0, 11));)",
     "(instance : (instance :", ""},
    {"nexti_errors",
     R"(class A {} class B { function _nexti(p) { return p == null ? "nokey" : null; } }
try { foreach (k in A()) {} } catch (e) print(e);
try { foreach (k in B()) {} } catch (e) print(" / " + e);)",
     "_nexti failed / _nexti returned an invalid idx", ""},
    {"class_statement_errors",
     R"(::nc <- 1; class C {}
try { class Z extends nc {} } catch (e) print(e);
try { 5 instanceof C; } catch (e) print(" / " + e);
try { C.getattributes("nope"); } catch (e) print(" / " + e);)",
     "trying to inherit from a integer / cannot apply instanceof between a class and a integer / "
     "wrong index",
     ""},
    {"unqualified_names_in_methods",
     R"(delegate { fromdelegate = "D" } : getroottable();
::g <- "G";
class K { function m() { local r = g; try { r += fromdelegate; } catch (e) { r += " miss"; } return r + " " + ::fromdelegate; } }
print(K().m() + " " + fromdelegate);)",
     "G miss D D", ""},
    {"base_methods_run_on_the_current_instance",
     R"(class B { n = "b"; function who() { return "B:" + n; } }
class D extends B { n = "d"; function who() { return "D+" + B.who(); } }
print(D().who() + " " + D.instance().getclass().who.call(B()));)",
     "D+B:d D+B:b", ""},
    {"attributes_and_member_iteration",
     R"(class T </ a = 1 /> { </ b = 2 /> x = 3; function f() {} static s = 4; }
local old = T.setattributes("x", { b = 9 });
print(T.getattributes(null).a + " " + old.b + " " + T.getattributes("x").b + " " + T.rawin("s") + " " + T().rawin("f"));
local n = 0; foreach (k, v in T) n++; print(" " + n);)",
     "1 2 9 true true 3", ""},
    {"metamethod_recursion_is_bounded",
     R"(class A { function _get(k) { return this[k]; } function _tostring() { return "" + this; } }
local a = A(); try { a.x; } catch (e) print(e); print(" " + ("" + a).slice(0, 11));)",
     "the index 'x' does not exist (instance :", ""},
    {"class_and_instance_cycles_are_freed_at_close",
     R"(class A { me = null; static all = []; function f() { return A; } } local a = A(); a.me = a; A.all.append(a);
local b = A.instance(); b.me = A; ::keep <- b;)",
     "", ""},
    {"table_delegate_metamethods",
     R"(local m = { _unm = function() { return "neg"; }, _cmp = function(o) { return 1; }, _nexti = function(p) { return null; },
  _cloned = function(orig) { ::cl <- orig.v; }, _modulo = function(o) { return "mod" + o; } };
local t = delegate m : { v = 3 };
local u = delegate m : { v = 4 };
local c = clone t;
print((-t) + " " + (t > u) + " " + (u > t) + " " + (t % 2) + " " + ::cl + " " + (c.parent == m));)",
     "neg true true mod2 3 true", ""},
};

class ClassScripts : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ClassScripts, SourceAndStreamGiveTheExpectedOutput) {
    sqtest::ExpectRunsFromSourceAndStream(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Squirrel, ClassScripts, ::testing::ValuesIn(kClassScripts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
