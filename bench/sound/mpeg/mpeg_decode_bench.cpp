// Decodes one 60-second 44.1 kHz stereo 128 kbit/s layer III file (made with sox and lame at
// start-up) with our decoder and with libmpg123, single-threaded, and reports each one's
// multiple of real time and the ratio of their times.
#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/mpegdec/mpeg_stream.h"

namespace {

constexpr double kSeconds = 60.0;

const std::vector<uint8_t>& fixture() {
    static const std::vector<uint8_t> bytes = [] {
        char folder[] = "/tmp/tessera_mpeg_bench_XXXXXX";
        if (!mkdtemp(folder)) return std::vector<uint8_t>{};
        const std::string wav = std::string(folder) + "/source.wav";
        const std::string mp3 = std::string(folder) + "/source.mp3";
        const std::string make =
            "sox -n -r 44100 -c 2 -b 16 " + wav +
            " synth 60 pinknoise lowpass 15000 gain -6 > /dev/null 2>&1 && lame --quiet -b 128 " +
            wav + " " + mp3 + " > /dev/null 2>&1";
        std::vector<uint8_t> data;
        if (std::system(make.c_str()) == 0) {
            std::ifstream in(mp3, std::ios::binary);
            data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } else {
            std::fprintf(stderr, "bench_sound_mpeg: sox and lame are needed to make the fixture\n");
        }
        std::remove(wav.c_str());
        std::remove(mp3.c_str());
        std::remove(folder);
        return data;
    }();
    return bytes;
}

size_t decodeOurs(const std::vector<uint8_t>& bytes) {
    return tools::mpegdec::decodeMpegStream(bytes.data(), bytes.size()).samples.size();
}

size_t decodeMpg123(const std::vector<uint8_t>& bytes) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(handle);
    mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    mpg123_open_feed(handle);
    std::vector<unsigned char> out(1 << 16);
    size_t samples = 0;
    size_t done = 0;
    int status = mpg123_decode(handle, bytes.data(), bytes.size(), out.data(), out.size(), &done);
    samples += done / 2;
    while (status == MPG123_OK || status == MPG123_NEW_FORMAT) {
        status = mpg123_decode(handle, nullptr, 0, out.data(), out.size(), &done);
        samples += done / 2;
    }
    mpg123_delete(handle);
    return samples;
}

double timeOf(size_t (*decode)(const std::vector<uint8_t>&), const std::vector<uint8_t>& bytes) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(decode(bytes));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Layer3Decode60s(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = fixture();
    if (bytes.empty()) {
        state.SkipWithError("no fixture (sox and lame needed)");
        return;
    }
    double ours = 0.0, reference = 0.0;
    for (auto _ : state) {
        ours += timeOf(decodeOurs, bytes);
        reference += timeOf(decodeMpg123, bytes);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_x_realtime"] = kSeconds / (ours / n);
    state.counters["mpg123_x_realtime"] = kSeconds / (reference / n);
    state.counters["time_ratio_ours_to_mpg123"] = ours / reference;
}
BENCHMARK(BM_Layer3Decode60s)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
