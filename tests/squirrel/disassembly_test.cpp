// Snapshot of the disassembly of a small program that exercises the peephole merges (GETK,
// PREPCALLK, EQ with a literal, TAILCALL, merged LOADNULLS), compound assignment to a field,
// free variables, default parameters and foreach. A change here means the compiler's output
// changed: compare it with the reference compiler before updating the snapshot.
#include "squirrel/sqhost.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const char* const kSource = R"(local t = { a = 1 };
function f(x, y = 2) : (t) { return g(x + y); }
if (t.a == "s") t.a += 1;
local b = t.a, c = b;
b = c; c = b;
foreach (k, v in t) print(k);
)";

const char* const kListing = R"(function main "main"
  source "snap.nut" stacksize 10 generator 0 varparams 0
  literal 0 "a"
  literal 1 "f"
  literal 2 "s"
  literal 3 "print"
  param 0 "this"
  local "@ITERATOR@" pos 6 ops 19-24
  local "v" pos 5 ops 19-24
  local "k" pos 4 ops 18-24
  local "c" pos 3 ops 16-24
  local "b" pos 2 ops 15-24
  local "t" pos 1 ops 4-24
  local "this" pos 0 ops 0-25
  line 1 at 0
  line 2 at 4
  line 3 at 8
  line 4 at 14
  line 5 at 16
  line 6 at 18
  line 7 at 25
  [000] NEWTABLE        1      1   0   0
  [001] LOAD            2      0   0   0  ; "a"
  [002] LOADINT         3      1   0   0
  [003] NEWSLOTA        0      1   2   3
  [004] LOAD            2      1   0   0  ; "f"
  [005] LOADINT         3      2   0   0
  [006] CLOSURE         3      0   0   0
  [007] NEWSLOT         2      0   2   3
  [008] GETK            2      0   1   0  ; "a"
  [009] EQ              2      2   2 255  ; "s"
  [010] JZ              2      3   0   0
  [011] LOAD            2      0   0   0  ; "a"
  [012] LOADINT         3      1   0   0
  [013] COMPARITH       2  65539   2  43
  [014] GETK            2      0   1   0  ; "a"
  [015] MOVE            3      2   0   0
  [016] MOVE            2      3   0   0
  [017] MOVE            3      2   0   0
  [018] LOADNULLS       4      3   0   0
  [019] FOREACH         1      5   4   0
  [020] POSTFOREACH     1      5   4   0
  [021] PREPCALLK       7      3   0   8  ; "print"
  [022] MOVE            9      4   0   0
  [023] CALL            7      7   8   2
  [024] JMP             0     -6   0   0
  [025] RETURN        255      0   0   0
function main.0 "f"
  source "snap.nut" stacksize 6 generator 0 varparams 0
  literal 0 "g"
  param 0 "this"
  param 1 "x"
  param 2 "y"
  default 3
  outer 0 1 "t"
  local "y" pos 2 ops 0-4
  local "x" pos 1 ops 0-4
  local "this" pos 0 ops 0-4
  line 2 at 0
  line 2 at 4
  [000] PREPCALLK       3      0   0   4  ; "g"
  [001] ARITH           5      2   1  43
  [002] TAILCALL        3      3   4   2
  [003] RETURN          1      3   0   0
  [004] RETURN        255      0   0   0
)";

TEST(Disassembly, MatchesTheSnapshot) {
    std::ostringstream out, err;
    ASSERT_EQ(sqhost::Disassemble("snap.nut", kSource, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), kListing);
}

TEST(Disassembly, RefusesWhatDoesNotLoad) {
    std::ostringstream out, err;
    EXPECT_EQ(sqhost::Disassemble("bad.cnut", std::string("\xFA\xFA\x00", 3), out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("io error"), std::string::npos);
}

}  // namespace
