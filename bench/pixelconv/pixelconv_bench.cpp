// The hot conversions against memcpy of the same bytes, in cache (256 x 256) and out of cache
// (2048 x 2048), single-threaded. Each reports ratio_to_memcpy: its best time over the
// best time of memcpy. Targets: straight copies within 1.5, kind conversions within 3, the
// 2:1 box within 4.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <vector>

#include "foundation/DImage.h"
#include "pixelconv/blit.h"
#include "pixelconv/math_tables.h"
#include "pixelconv/mip_level.h"
#include "pixelconv/tex_level.h"
#include "pixelconv/ycbcr_tables.h"

namespace {

using namespace mirel;
using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of a number of memcpy runs over buffers of the given size.
double BestMemcpy(size_t bytes) {
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    double best = 1e9;
    for (int i = 0; i < 50; ++i) {
        best = std::min(best, Seconds([&] {
                            std::memcpy(to.data(), from.data(), bytes);
                            benchmark::DoNotOptimize(to.data());
                        }));
    }
    return best;
}

void Fill(DImage& image, int width, int height, DImageKind kind) {
    image.Create(width, height, 0, kind);
    for (int i = 0; i < height * image.Pitch(); ++i) image.Pixels()[i] = uint8_t(i * 7 + 3);
}

// Times `convert` per iteration and reports its best against memcpy of `bytes`.
void Measure(benchmark::State& state, size_t bytes, const std::function<void()>& convert) {
    const double memcpyBest = BestMemcpy(bytes);
    double best = 1e9;
    for (auto _ : state) {
        const double t = Seconds(convert);
        best = std::min(best, t);
        state.SetIterationTime(t);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["ratio_to_memcpy"] = best / memcpyBest;
}

void StartupTables() {
    static const bool built = DMathInitTables() && DimgInitYCbCrTables();
    (void)built;
}

void SameKindBlit(benchmark::State& state) {
    StartupTables();
    const int side = int(state.range(0));
    DImage src;
    Fill(src, side, side, DImageKind::BGRA32);
    DImage dst;
    Fill(dst, side, side, DImageKind::BGRA32);
    Measure(state, size_t(side) * side * 4,
            [&] { DimgBlit(dst, src, side, side, side, side, 0, 0); });
}

void TexLevelRgbaToBgra(benchmark::State& state) {
    StartupTables();
    const int side = int(state.range(0));
    DImage src;
    Fill(src, side, side, DImageKind::RGBA32);
    DImage dst;
    Fill(dst, side, side, DImageKind::BGRA32);
    Measure(state, size_t(side) * side * 4,
            [&] { l3dConvertToTexLevel(dst, src, side, side, side, side, 0, 0); });
}

void TextureLoadRgbToBgra(benchmark::State& state) {
    StartupTables();
    const int side = int(state.range(0));
    DImage src;
    Fill(src, side, side, DImageKind::RGB24);
    DImage dst;
    Fill(dst, side, side, DImageKind::BGRA32);
    Measure(state, size_t(side) * side * 4,
            [&] { DimgBlitColorFixedAlpha(dst, src, side, side, side, side, 255, 0); });
}

// Compared with memcpy of the source level, which the box reads whole.
void MipBoxBgra(benchmark::State& state) {
    StartupTables();
    const int side = int(state.range(0));
    DImage src;
    Fill(src, side, side, DImageKind::BGRA32);
    DImage dst;
    Fill(dst, side / 2, side / 2, DImageKind::BGRA32);
    Measure(state, size_t(side) * side * 4,
            [&] { l3dConvertMipLevel(dst, src, side / 2, side / 2, side, side, 0, 0); });
}

BENCHMARK(SameKindBlit)->Arg(256)->Arg(2048)->UseManualTime();
BENCHMARK(TexLevelRgbaToBgra)->Arg(256)->Arg(2048)->UseManualTime();
BENCHMARK(TextureLoadRgbToBgra)->Arg(256)->Arg(2048)->UseManualTime();
BENCHMARK(MipBoxBgra)->Arg(256)->Arg(2048)->UseManualTime();

}  // namespace
