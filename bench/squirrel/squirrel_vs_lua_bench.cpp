// Runs the same programs (recursive fib(30), string-keyed tables, method calls) in our Squirrel
// VM and in the lua5.4 interpreter and reports the ratio of their times (counter "x_lua": our
// time divided by Lua's; the target is 2.5 or less).
// Both sides count processor time of five runs and keep the median: Lua with os.clock inside the
// interpreter (so its start-up is not counted), ours with std::clock, the same C clock.
#include <benchmark/benchmark.h>

#include "squirrel/squirrel.h"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Program {
    const char16_t* squirrel;
    const char* lua;
};

const Program kFib = {
    uR"(function fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }
fib(30);)",
    R"(function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end
fib(30))"};

// Builds, looks up and iterates 100,000 string keys, then concatenates.
const Program kTables = {
    uR"(local t = {};
for (local i = 0; i < 100000; i++) t["k" + i] <- i;
local sum = 0;
for (local i = 0; i < 100000; i++) sum += t["k" + i];
foreach (k, v in t) sum += v;
local s = "";
for (local i = 0; i < 2000; i++) s += i;)",
    R"(local t = {}
for i = 0, 99999 do t["k" .. i] = i end
local sum = 0
for i = 0, 99999 do sum = sum + t["k" .. i] end
for k, v in pairs(t) do sum = sum + v end
local s = ""
for i = 0, 1999 do s = s .. i end)"};

// 1,000,000 method calls on class instances (Lua: a metatable-based class).
const Program kMethods = {
    uR"(class Counter {
  n = 0;
  function add(k) { n += k; return n; }
}
local c = Counter();
for (local i = 0; i < 1000000; i++) c.add(1);)",
    R"(local Counter = {}
Counter.__index = Counter
function Counter.new() return setmetatable({n = 0}, Counter) end
function Counter:add(k) self.n = self.n + k return self.n end
local c = Counter.new()
for i = 0, 999999 do c:add(1) end)"};

constexpr int kRuns = 5;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median processor seconds Lua takes for one run of `source`, or a negative value when lua5.4 is
// missing.
double LuaSeconds(const char* source) {
    char path[] = "/tmp/tessera_lua_bench_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return -1;
    const std::string program =
        std::string("local function run()\n") + source + "\nend\nfor i = 1, " +
        std::to_string(kRuns) +
        " do local t0 = os.clock() run() io.write(os.clock() - t0, ' ') end\n";
    const bool written =
        write(fd, program.data(), program.size()) == static_cast<ssize_t>(program.size());
    close(fd);
    std::vector<double> seconds;
    if (written) {
        const std::string command = std::string("lua5.4 ") + path + " 2>/dev/null";
        if (FILE* p = popen(command.c_str(), "r")) {
            double s;
            while (std::fscanf(p, "%lf", &s) == 1) seconds.push_back(s);
            pclose(p);
        }
    }
    std::remove(path);
    return seconds.size() == kRuns ? Median(seconds) : -1;
}

void RunSquirrel(benchmark::State& state, const Program& program) {
    const double lua = LuaSeconds(program.lua);
    HSQUIRRELVM v = sq_open(1024);
    const std::u16string src(program.squirrel);
    if (SQ_FAILED(sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), u"bench.nut",
                                   SQFalse))) {
        state.SkipWithError("the program does not compile");
        sq_close(v);
        return;
    }
    std::vector<double> seconds;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        sq_push(v, -1);
        sq_pushroottable(v);
        if (SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse))) state.SkipWithError("the program failed");
        sq_pop(v, 1);
        seconds.push_back(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    sq_close(v);
    const double ours = Median(seconds);
    state.counters["lua_ms"] = lua * 1000.0;
    if (lua > 0) state.counters["x_lua"] = ours / lua;
}

void BM_Fib30(benchmark::State& state) { RunSquirrel(state, kFib); }
void BM_TablesAndStrings(benchmark::State& state) { RunSquirrel(state, kTables); }
void BM_MethodCalls(benchmark::State& state) { RunSquirrel(state, kMethods); }

BENCHMARK(BM_Fib30)->Unit(benchmark::kMillisecond)->Iterations(kRuns);
BENCHMARK(BM_TablesAndStrings)->Unit(benchmark::kMillisecond)->Iterations(kRuns);
BENCHMARK(BM_MethodCalls)->Unit(benchmark::kMillisecond)->Iterations(kRuns);

}  // namespace
