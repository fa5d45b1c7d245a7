// Post effects at 640 x 480 and 1280 x 960: the bright bloom (kind 1) and an overlay, each
// timed against one full-screen copy pass in the same run. "ratio" is the request's whole
// render (its chain and the copy to the back buffer) over one copy; "chain_ratio" leaves that
// final copy out. bloomFrame: a frame of the bloom (clear, chain, copy) at 1280 x 960 with 1,
// 2 and 4 drawing threads, the median of five runs; with the device's skinned scene it is the
// device's frame benchmark.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <optional>

#include "bench/support/bench_device.h"
#include "foundation/DApplication.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/os/module_path.h"
#include "render3d/L3DDevice.h"
#include "render3d/posteffect/PostEffect.h"

namespace {

using namespace platform::d3d9;
using Clock = std::chrono::steady_clock;

class BenchHost : public PostEffectHost {
public:
    BenchHost(L3DDevice& device, uint32_t width, uint32_t height)
        : device_(device), mode_{width, height, false} {}
    L3DDevice& device() override { return device_; }
    PostEffectMode mode() const override { return mode_; }
    mirel::rcptr<L3DTexture> loadTexture(const char16_t*) override { return {}; }
    const L3DRenderer* renderer() const override { return nullptr; }
    mirel::rcptr<L3DObjectData> loadModel(const char16_t*, const char16_t*) override { return {}; }

private:
    L3DDevice& device_;
    PostEffectMode mode_;
};

// The library, a window device of the size and a post effect on it.
class Bench {
public:
    Bench(uint32_t width, uint32_t height, unsigned threads = 1) {
        platform::os::overrideModuleFileName(std::string(POSTEFFECT_PROGRAM_DIR) + "/bench");
        application_.Init(nullptr, 10);
        mirel::DApplication::SetCurrent(&application_);
        tessera::bench::createBenchDevice(device_, width, height, threads);
        host_.emplace(device_, width, height);
        ready_ = effect_.setup(&*host_);
        device_.device()->BeginScene();
    }
    ~Bench() {
        device_.device()->EndScene();
        effect_.release();
        tessera::bench::releaseBenchDevice(device_);
        mirel::DApplication::SetCurrent(nullptr);
    }
    bool ready() const { return ready_; }
    PostEffect& effect() { return effect_; }
    L3DDevice& device() { return device_; }

private:
    mirel::DApplication application_;
    L3DDevice device_;
    std::optional<BenchHost> host_;
    PostEffect effect_;
    bool ready_ = false;
};

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void runAgainstCopy(benchmark::State& state, void (*queue)(PostEffect&)) {
    const auto width = static_cast<uint32_t>(state.range(0));
    const auto height = width * 3 / 4;
    Bench bench(width, height);
    if (!bench.ready()) {
        state.SkipWithError("post effect set-up failed");
        return;
    }
    PostEffect& effect = bench.effect();
    queue(effect);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const POSTEFFECT_RECT whole = {0.0f, 0.0f, w, h, 0.0f, 0.0f, w, h};
    double copy = 0.0, render = 0.0;
    for (auto _ : state) {
        effect.beginFrame();
        bench.device().device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF306090, 1.0f, 0);
        const Clock::time_point start = Clock::now();
        effect.render();
        const Clock::time_point rendered = Clock::now();
        PostEffect::setPassStates(bench.device());
        effect.passCopy(whole, effect.textureB(), effect.textureA());
        copy += seconds(Clock::now() - rendered);
        render += seconds(rendered - start);
    }
    state.counters["copy_ms"] = 1000.0 * copy / static_cast<double>(state.iterations());
    state.counters["render_ms"] = 1000.0 * render / static_cast<double>(state.iterations());
    state.counters["ratio"] = render / copy;
    state.counters["chain_ratio"] = (render - copy) / copy;
}

void queueBloom(PostEffect& effect) {
    effect.addBrightRequest({0.6f, {{0, 0.6f}, {2, 0.5f}, {4, 0.5f}, {6, 0.5f}}});
}

void bloom(benchmark::State& state) { runAgainstCopy(state, queueBloom); }

void bloomFrame(benchmark::State& state) {
    Bench bench(1280, 960, static_cast<unsigned>(state.range(0)));
    if (!bench.ready()) {
        state.SkipWithError("post effect set-up failed");
        return;
    }
    PostEffect& effect = bench.effect();
    queueBloom(effect);
    for (auto _ : state) {
        effect.beginFrame();
        bench.device().device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF306090, 1.0f, 0);
        effect.render();
    }
}

void overlay(benchmark::State& state) {
    runAgainstCopy(state, [](PostEffect& effect) {
        effect.addOverlayRequest({1.0f, 0.6f, 0.2f, 0.6f});
    });
}

}  // namespace

BENCHMARK(bloom)->Arg(640)->Arg(1280)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(overlay)->Arg(640)->Arg(1280)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bloomFrame)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
