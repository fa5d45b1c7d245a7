// Small programs with their expected output, each run from source and from a compiled stream.
#include "tests/squirrel/script_runner.h"

#include <gtest/gtest.h>

namespace {

using sqtest::ScriptCase;

const ScriptCase kScripts[] = {
    {"integer_wrap_and_division",
     R"(print((2147483647 + 1) + " " + (7 / -2) + " " + (-7 % 3) + " " + (1 << 33) + " " + (-8 >> 1) + " " + (-8 >>> 28));)",
     "-2147483648 -3 -1 2 -4 15", ""},
    {"mended_integer_edges",
     R"(local m = -2147483647 - 1; print((m / -1) + " " + (m % -1) + " " + (2147483647 > -1) + " " + (-2147483647 - 1 < 2147483647));)",
     "-2147483648 0 true true", ""},
    {"mended_float_compare",
     R"(local nan = 0.0 / 0.0; print((0.0 == -0.0) + " " + (nan == nan) + " " + (nan < 1) + " " + (nan >= 1) + " " + (16777217 == 16777216.0));)",
     "true false false false false", ""},
    {"float_text",
     R"(print(1.5 * 2 + " " + 0.1 + " " + 1.0e6 + " " + (1.0 / 3) + " " + 123456789.0 + " " + -0.0);)",
     "3 0.1 1e+06 0.333333 1.23457e+08 -0", ""},
    {"string_ops",
     R"(local s = "h\x00e9llo"; local t = "abc"; t++; print(s.len() + " " + t + " " + "abcdef".slice(1, -1) + " " + "banana".find("na", 3) + " " + "MiXeD".tolower());)",
     "5 abc1 bcde 4 mixed", ""},
    {"negative_string_index_raises",
     R"(try { local c = "abc"[-1]; print(c); } catch (e) { print(e); })",
     "the index '-1' does not exist", ""},
    {"slice_start_before_string_raises", R"(try { "abc".slice(-5); } catch (e) { print(e); })",
     "slice out of range", ""},
    {"negative_array_size_raises",
     R"(try { array(-1); } catch (e) { print(e); } try { [1].resize(-2); } catch (e) { print(" " + e); })",
     "negative size negative size", ""},
    {"free_variables_are_copies",
     R"(local x = 1; local f = function() : (x) { x++; return x; }; x = 10; print(f() + " " + f() + " " + x);)",
     "1 1 10", ""},
    {"default_params_and_varargs",
     R"(function f(a, b = 5) { return a + b; } function g(...) { local s = 0; for (local i = 0; i < vargc; i++) s += vargv[i]; return vargc + ":" + s; }
print(f(1) + " " + f(1, 2) + " " + g() + " " + g(1, 2, 3));)",
     "6 3 0:0 3:6", ""},
    {"wrong_parameter_count", R"(function f(a) { return a; } try { f(); } catch (e) { print(e); })",
     "wrong number of parameters", ""},
    {"this_binding_of_calls",
     R"(::n <- "root"; local t = { n = "t", f = function() { return n; } }; function g() { return this.n; }
print(t.f() + " " + g() + " " + ::g() + " " + g.call(t));)",
     "t root root t", ""},
    {"foreach_sees_appends",
     R"(local a = [1, 2]; local s = ""; foreach (v in a) { s += v; if (v < 4) a.append(v + 2); } print(s);)",
     "12345", ""},
    {"table_order_worked_example",
     R"(local t = {}; foreach (k in ["a","b","c","d","e","f","g","h","i","j"]) t[k] <- 1; local s = ""; foreach (k, v in t) s += k; print(s);)",
     "acbedgfihj", ""},
    {"delete_grows_table",
     R"(local u = {}; foreach (k in [8,1,2,3,4,5,6]) u[k] <- k; delete u[6]; local s = ""; foreach (k, v in u) s += k; print(s);)",
     "123458", ""},
    {"delegate_chain_and_in",
     R"(local base = { x = 1 }; local t = delegate base : { y = 2 }; t.x = 5; print(t.x + " " + base.x + " " + ("x" in t) + " " + t.rawin("x") + " " + (t.parent == base));)",
     "5 5 true false true", ""},
    {"switch_and_loops",
     R"(local s = ""; for (local i = 0; i < 5; i++) { switch (i) { case 1: s += "a"; break; case 3: s += "b"; default: s += "."; } } local j = 0; do j++ while (j < 3); local w = 0; while (w < 10) { w += 4; if (w > 6) break; } print(s + " " + j + " " + w);)",
     ".a.b.. 3 8", ""},
    {"try_catch_rethrow_non_string",
     R"(try { try { throw { code = 7 }; } catch (e) { throw e; } } catch (e2) { print(e2.code + " " + typeof e2); })",
     "7 table", ""},
    {"const_and_enum",
     R"(const K = -7; enum E { A, B = 10, C } print(K + " " + E.A + " " + E.B + " " + E.C);)",
     "-7 0 10 1", ""},
    {"prefix_increment_of_fields_and_locals",
     R"(local t = { a = 1 }; local l = 5; print(++t.a + " " + t.a++ + " " + --t["a"] + " " + ++l + " " + l-- + " " + l + " " + ++ ++t.a + " " + t.a);)",
     "2 2 2 6 6 5 4 3", ""},
    {"increment_of_a_call_result_is_a_value", "function n() { return 1; } print(++n());", "2", ""},
    {"call_result_is_not_assignable", "function n() { return {}; } n() = 1;", "",
     "compile error call_result_is_not_assignable.nut:1:33: can't assign expression\ncompile "
     "failed: can't assign expression\n"},
    {"postfix_result_is_a_value", "local t = { x = 1 }; print(-t.x-- + \" \" + t.x); t.x++ = 3;",
     "",
     "compile error postfix_result_is_a_value.nut:1:55: can't assign expression\ncompile failed: "
     "can't assign expression\n"},
    {"operator_result_is_not_a_field", "local t = {}; t & [1] <- 2;", "",
     "compile error operator_result_is_not_a_field.nut:1:24: can't assign expression\ncompile "
     "failed: can't assign expression\n"},
    {"native_nesting_is_bounded",
     "function f(n) { return f.call(this, n + 1); } try { f(0); } catch (e) { print(e); }",
     "Native stack overflow", ""},
    {"non_number_comparator_result_counts_as_equal",
     "local a = [3, 1, 2, 0]; a.sort(function(x, y) { return x > y; }); foreach (v in a) print(v);",
     "1203", ""},
    {"cycles_are_freed_at_close",
     "local t = {}; t.self <- t; local a = [t]; a.append(a); t.f <- function() : (t) { return t; "
     "};",
     "", ""},
    {"contradicting_or_shrinking_comparator_ends_the_sort",
     R"(try { [3, 1, 2].sort(function(a, b) { return 1; }); } catch (e) { print(e); }
::b <- [5, 4, 3, 2, 1]; try { ::b.sort(function(x, y) { ::b.clear(); return -1; }); } catch (e) { print(" / " + e); })",
     "Invalid qsort, probably compare function defect / Invalid qsort, probably compare function "
     "defect",
     ""},
    {"uncaught_error", R"(print("before"); local t = {}; t.missing;)", "before",
     "call failed: the index 'missing' does not exist\n"},
    {"compile_error", "local x = ;", "",
     "compile error compile_error.nut:1:11: expression expected\ncompile failed: expression "
     "expected\n"},
    {"weak_references_read_as_their_object",
     R"(::fn <- function() { return "called"; };
::t <- { f = fn.weakref() }; ::a <- [];
class C { w = null; static s = null; constructor(o) { w = o.weakref(); }
  function _nexti(p) { return p == null ? "w" : null; } }
// Reads happen inside functions, whose registers are cleared when they return.
function fill() {
  local obj = { v = 1 }; ::keep <- obj;
  t.w <- obj.weakref(); a.append(obj.weakref()); C.s <- obj.weakref(); ::c <- C(obj);
}
function show() {
  local k = "w";
  print(typeof t.w + " " + typeof t[k] + " " + typeof t.rawget("w") + " " + typeof a[0] + " " +
    typeof c.w + " " + typeof C.s + " " + t.w.v + " " + t.f() + " " + a[0].v + " " + c.w.v);
  foreach (key, v in t) print(" " + typeof v);
  foreach (v in a) print(" " + typeof v);
  foreach (key, v in c) print(" " + typeof v);
}
function gone() {
  print(" | " + typeof t.w + " " + ("w" in t) + " " + typeof a[0] + " " + typeof c.w + " " +
    typeof copy.w + " " + typeof C.s);
  t.w = 5; a[0] = 6; print(" " + t.w + " " + a[0] + " " + (delete t.w) + " " + ("w" in t));
}
fill(); show(); ::copy <- clone t; ::keep = null; gone();)",
     "table table table table table table 1 called 1 1 table function table table | null true "
     "null null null null 5 6 5 false",
     ""},
    {"calling_without_a_working_call_names_the_type",
     R"(class C {} class D { function _call(self, x) { throw "inner"; } }
local t = delegate { _call = function(self) { throw "x"; } } : {};
try { C()(); } catch (e) print(e);
try { D()(1); } catch (e) print(" / " + e);
try { ({})(); } catch (e) print(" / " + e);
try { t(); } catch (e) print(" / " + e);
class U { function _unm() { throw "u"; } }
try { -U(); } catch (e) print(" / " + e);)",
     "attempt to call 'instance' / attempt to call 'instance' / attempt to call 'table' / "
     "attempt to call 'table' / attempt to negate a instance",
     ""},
    {"do_body_is_one_statement_without_semicolon",
     R"(local n = 0; do n++ while (n < 3); print(n);
try { compilestring("local m = 0; do m++; while (m < 3);"); } catch (e) print(" " + e);)",
     "3 expected 'while'", ""},
    {"do_body_with_semicolon_does_not_compile", "local n = 0;\ndo n++; while (n < 3);", "",
     "compile error do_body_with_semicolon_does_not_compile.nut:2:8: expected 'while'\ncompile "
     "failed: expected 'while'\n"},
    {"postfix_on_a_free_variable_in_the_new_local",
     R"(local count = 0, big = 1.5;
function inc() : (count) { local r = count++; return r; }
function dec() : (count) { local r = count--; return r; }
function finc() : (big) { local r = big++; return r; }
function fdec() : (big) { local r = big--; return r; }
local x = 4; local y = x++;
print(inc() + " " + dec() + " " + finc() + " " + fdec() + " " + x + " " + y);)",
     "1 -1 2.5 0.5 5 4", ""},
    {"print_stops_at_nul_and_combines_surrogates", "print(\"\\xD83D\\xDE00!\\x0000hidden\");",
     "\xF0\x9F\x98\x80!", ""},
};

class ScriptCorpus : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptCorpus, SourceAndStreamGiveTheExpectedOutput) {
    sqtest::ExpectRunsFromSourceAndStream(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Squirrel, ScriptCorpus, ::testing::ValuesIn(kScripts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

TEST(ScriptLimits, DeepNestingIsACompileErrorNotACrash) {
    const std::string deep =
        "local x = " + std::string(5000, '(') + "1" + std::string(5000, ')') + ";";
    const sqtest::RunResult r = sqtest::Run("deep.nut", deep);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("compile failed: expression too deeply nested"), std::string::npos);
    // ordinary nesting still compiles
    const std::string fine = "print(" + std::string(100, '(') + "1" + std::string(100, ')') + ");";
    EXPECT_EQ(sqtest::Run("fine.nut", fine).out, "1");
}

TEST(ScriptLimits, EndlessRecursionRaisesStackOverflow) {
    const sqtest::RunResult r =
        sqtest::Run("rec.nut",
                    "function f(n) { return 1 + f(n + 1); }\n"
                    "try { f(0); } catch (e) { print(e); }\n"
                    "function g(n) { if (n == 0) return 0; return g(n - 1); }\n"
                    "print(\" \" + g(200000));");
    EXPECT_EQ(r.out, "stack overflow 0");  // tail calls do not count
    EXPECT_EQ(r.status, 0);
}

}  // namespace
