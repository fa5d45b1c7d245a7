// A script loop of 1,000,000 calls of the native mathSqrt, and the same loop calling a
// one-argument script function, in one VM. Reports both times and their ratio (counter
// "native_vs_script": the native loop's time divided by the script loop's; the target is 1.2
// or less).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "engine/script/script_vm.h"
#include "framework/core/core.h"
#include "framework/file/file.h"

namespace {

const char16_t* const kNativeLoop =
    u"local x = 0.0; for (local i = 0; i < 1000000; i++) x = mathSqrt(i); return x;";
const char16_t* const kScriptLoop =
    u"function root1(v) { return v; }\n"
    u"local x = 0.0; for (local i = 0; i < 1000000; i++) x = root1(i); return x;";

ScriptObject compile(ScriptVM& vm, const char16_t* source) {
    const std::u16string text(source);
    const SQInteger top = sq_gettop(vm.vm());
    sq_compilebuffer(vm.vm(), text.c_str(), static_cast<SQInteger>(text.size()), u"bench", SQTrue);
    ScriptObject closure = ScriptObject::fromStack(vm.vm(), -1);
    sq_settop(vm.vm(), top);
    return closure;
}

// Processor seconds of one run of the closure.
double timeRun(ScriptVM& vm, const ScriptObject& closure) {
    const std::clock_t start = std::clock();
    ScriptCall::prepareOnTask(vm.thread(), closure).run();
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

void NativeCallVsScriptCall(benchmark::State& state) {
    pelFileRegisterModule();
    pelInitialize();
    ScriptVM vm;
    const ScriptObject nativeLoop = compile(vm, kNativeLoop);
    const ScriptObject scriptLoop = compile(vm, kScriptLoop);
    std::vector<double> native, script;
    for (auto _ : state) {
        native.push_back(timeRun(vm, nativeLoop));
        script.push_back(timeRun(vm, scriptLoop));
    }
    std::sort(native.begin(), native.end());
    std::sort(script.begin(), script.end());
    const double n = native[native.size() / 2];
    const double s = script[script.size() / 2];
    state.counters["native_ms"] = n * 1000.0;
    state.counters["script_ms"] = s * 1000.0;
    state.counters["native_vs_script"] = n / s;
}
BENCHMARK(NativeCallVsScriptCall)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
