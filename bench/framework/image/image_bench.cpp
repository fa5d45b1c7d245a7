// A 1024 x 1024 RGBA PNG loaded into kind 1 through pelImageLoad, against a plain libpng
// decode of the same file with the same transformations and no packing. Reports
// ratio_to_libpng: the best time of the load over the best time of libpng. Target: within 1.2.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/core.h"
#include "framework/file/file.h"
#include "framework/image/image.h"
#include "tests/foundation/support/image_fixtures.h"

namespace {

constexpr int kSide = 1024;

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string writeFixture() {
    tessera::test::PngSpec spec;
    spec.width = kSide;
    spec.height = kSide;
    spec.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    spec.samples.resize(size_t{kSide} * kSide * 4);
    for (size_t i = 0; i < spec.samples.size(); ++i)
        spec.samples[i] = static_cast<uint32_t>((i * 7 + (i >> 12) * 13) & 0xFF);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tessera-bench-image-" + std::to_string(getpid()) + ".png"))
                                 .string();
    std::ofstream(path, std::ios::binary) << tessera::test::pngFile(spec);
    return path;
}

// The plain decode: stdio, the same transformations as the image module, rows as they come.
bool libpngDecode(const std::string& path, std::vector<uint8_t>& rows) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool ok = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_read_info(png, info);
        png_set_strip_16(png);
        png_set_packing(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        const size_t rowBytes = png_get_rowbytes(png, info);
        rows.resize(rowBytes * kSide);
        for (int y = 0; y < kSide; ++y) png_read_row(png, rows.data() + y * rowBytes, nullptr);
        png_read_end(png, nullptr);
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return ok;
}

void LoadRgbaPngIntoKind1(benchmark::State& state) {
    const std::string path = writeFixture();
    pelFileRegisterModule();
    pelInitialize();
    pelImageInitialize();
    const std::u16string widePath(path.begin(), path.end());
    std::vector<uint8_t> destination(size_t{kSide} * kSide * 4);
    std::vector<uint8_t> plain;

    double libpngBest = 1e9;
    for (int run = 0; run < 5; ++run)
        libpngBest = std::min(libpngBest, seconds([&] { libpngDecode(path, plain); }));

    double best = 1e9;
    for (auto _ : state) {
        const double t = seconds([&] {
            PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, widePath.c_str(), 0);
            PEL_IMAGE_INFO info{};
            if (pelImageGetInfo(&info, file) != PEL_OK ||
                pelImageLoad(&info, file, kSide * 4, PEL_IMAGE_KIND_ARGB8888, destination.data(),
                             kSide) != PEL_OK)
                state.SkipWithError("the image did not load");
            pelFileClose(file);
        });
        benchmark::DoNotOptimize(destination.data());
        best = std::min(best, t);
        libpngBest = std::min(libpngBest, seconds([&] { libpngDecode(path, plain); }));
        state.SetIterationTime(t);
    }
    state.counters["load_ms"] = best * 1e3;
    state.counters["libpng_ms"] = libpngBest * 1e3;
    state.counters["ratio_to_libpng"] = best / libpngBest;
    pelImageFinalize();
    pelFinalize();
    std::filesystem::remove(path);
}
BENCHMARK(LoadRgbaPngIntoKind1)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
