// Generators, threads and weak references driven from scripts, each run from source and from a
// compiled stream.
#include "tests/squirrel/script_runner.h"

#include <gtest/gtest.h>

namespace {

struct CoroutineCase {
    const char* name;
    const char* source;
    const char* out;
};

const CoroutineCase kCases[] = {
    {"try_spanning_yield_under_foreach",
     R"(function g() { try { yield 1; throw "boom"; } catch (e) { yield "caught " + e; } yield 3; }
local s = ""; foreach (i, v in g()) s += i + "=" + v + " "; print(s);)",
     "0=1 1=caught boom 2=3 "},
    {"error_escaping_generator_kills_it",
     R"(function g() { yield 1; throw "out"; } local x = g(); resume x;
try { resume x; } catch (e) { print(e + " " + x.getstatus()); })",
     "out dead"},
    {"generator_resumed_inside_itself",
     R"(::me <- null; function g() { yield resume ::me; } ::me = g();
try { resume ::me; } catch (e) { print(e + " " + ::me.getstatus()); })",
     "resuming active generator dead"},
    {"nested_generators_under_foreach",
     R"(function inner(n) { for (local i = 0; i < n; i++) yield i; }
function outer() { foreach (a in inner(3)) foreach (b in inner(a)) yield a * 10 + b; }
local s = ""; foreach (v in outer()) s += v + " "; print(s);)",
     "10 20 21 "},
    {"weak_reference_follows_the_object",
     R"(local t = {}; local w = t.weakref(); print(typeof w + " " + (w.ref() == t) + " " + (w == t.weakref()));
t = null; print(" " + (w.ref() == null) + " " + (5).weakref() + " " + typeof [].weakref().ref());)",
     "weakref true true true 5 null"},
    {"suspended_generator_in_a_cycle",
     R"(function g(t) { local keep = t; yield 1; yield 2; }
local t = {}; local w = t.weakref(); t.gen <- g(t); resume t.gen; t = null;
print(collectgarbage() + " " + (w.ref() == null));)",
     "2 true"},
    {"suspended_thread_in_a_cycle",
     R"(function make() { local t = {}; t.th <- newthread(function(x) { suspend(x); }); t.th.call(t); }
make(); print(collectgarbage() + " " + collectgarbage());)",
     "3 0"},
    {"instances_in_a_cycle",
     R"(class Node { next = null; }
function make() { local a = Node(), b = Node(); a.next = b; b.next = a; return a.weakref(); }
local w = make(); print(collectgarbage() + " " + (w.ref() == null) + " " + typeof Node.weakref().ref());)",
     "2 true class"},
    {"bound_environment_is_held_weakly",
     R"(local t = {}; local f = function() { return this; }.bindenv(t); local w = t.weakref();
print((f() == t) + " "); t = null; print((w.ref() == null) + " " + (f() == null));)",
     "true true true"},
    {"method_bound_to_its_owner_makes_no_cycle",
     R"(class Button { handler = null; constructor() { handler = click.bindenv(this); } function click() { return this; } }
local b = Button(), t = {}; t.f <- function() {}.bindenv(t); print((b.handler() == b) + " ");
local wb = b.weakref(), wt = t.weakref(); b = null; t = null;
print((wb.ref() == null) + " " + (wt.ref() == null) + " " + collectgarbage());)",
     "true true true 0"},
    {"bound_native_checks_the_environment_it_runs_with",
     R"(class C {} local t = { k = 1 }; t.f <- t.len.bindenv(C); try { t.f(); } catch (e) print(e);
local g = t.len.bindenv(t); print(" " + g()); t = null; try { g(); } catch (e) print(" / " + e);)",
     "parameter 0 has an invalid type 'class' ; expected: 'table' 2 / parameter 0 has an invalid "
     "type 'null' ; expected: 'table'"},
    {"resume_non_generator", R"(try { resume 5; } catch (e) { print(e); })",
     "trying to resume a 'integer',only genenerator can be resumed"},
};

class CoroutineScripts : public ::testing::TestWithParam<CoroutineCase> {};

TEST_P(CoroutineScripts, SourceAndStreamGiveTheExpectedOutput) {
    const CoroutineCase& c = GetParam();
    const std::string name = std::string(c.name) + ".nut";
    const sqtest::RunResult src = sqtest::Run(name, c.source);
    EXPECT_EQ(src.out, c.out) << src.err;
    EXPECT_EQ(src.status, 0) << src.err;
    const std::string cnut = sqtest::Compile(name, c.source, true);
    ASSERT_FALSE(cnut.empty());
    const sqtest::RunResult bin = sqtest::Run(name, cnut);
    EXPECT_EQ(bin.out, c.out) << bin.err;
}

INSTANTIATE_TEST_SUITE_P(Squirrel, CoroutineScripts, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CoroutineCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
